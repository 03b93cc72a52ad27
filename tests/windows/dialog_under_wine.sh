#!/usr/bin/env bash
# Runs morvex.exe under Wine on an X display of its own (Xvfb) and drives it with dialog_probe.exe
# as a user and the shell would: its dialog is as its template, the font fields come from
# MORVEX.INI, a drop fills the list (a folder with the .ce2 files below it), OK converts the files
# as the Linux build does (byte for byte) and reports, with the icon that fits, a summary, string
# 102 and the files not converted, the font dialog gives back the stored font, the about box
# comes from the system menu, a click on a file shows it in the preview window, which zooms and
# pans, and 終了 ends the program. Started with paths, it lists them, and it
# tells of a settings file that cannot be used.
# With SCREENSHOT, a picture of the dialog with a few files listed is left there instead.
#
# usage: dialog_under_wine.sh WINE-RUN MORVEX-EXE PROBE-EXE LINUX-CLI DEMO-CE2 WORK-DIR [SCREENSHOT]
set -euo pipefail

wine_run=$1
exe=$2
probe=$3
linux_cli=$4
demo=$5
work=$6
screenshot=${7:-}

rm -rf "$work"
mkdir -p "$work"
work=$(cd "$work" && pwd)

source "$(dirname "$0")/wine_display.sh"
start_wine_display

drawings=$work/drawings
mkdir -p "$drawings/回路図" "$drawings/folder" "$work/linux/回路図"
long=a-drawing-whose-name-is-long-enough-to-need-the-horizontal-scroll-bar.ce2
for name in demo.ce2 B.CE2 回路図/電源.ce2 "$long"; do
    cp "$demo" "$drawings/$name"
    cp "$demo" "$work/linux/$name"
done
head -c 70 "$demo" > "$drawings/one.ce2"
echo notes > "$drawings/notes.txt"
# The large face in CP932 ("ＭＳ 明朝"); the small one installed, its size written with a zero.
printf '[LARGE_FONT]\r\nFACE=\x82\x6c\x82\x72 \x96\xbe\x92\xa9\r\nSIZE=14\r\n[SMALL_FONT]\r\nFACE=IPAPGothic\r\nSIZE=09\r\n' \
    > "$drawings/MORVEX.INI"
cp "$drawings/MORVEX.INI" "$work/linux/MORVEX.INI"

(cd "$drawings" && exec "$wine_run" "$exe" > "$work/morvex.out" 2> "$work/morvex.err") &
morvex=$!

if [ -n "$screenshot" ]; then
    # The drawings as a drive of their own, for short names.
    "$wine_run" subst D: /D > /dev/null 2>&1 || true
    "$wine_run" subst D: "$(windows_path "$drawings")"
    probe drop 'D:\demo.ce2' 'D:\回路図\電源.ce2' 'D:\B.CE2' > /dev/null
    read -r x y width height < <(probe rect)
    screenshot "$screenshot" "$x" "$y" "$width" "$height"
    probe close > /dev/null
    wait "$morvex"
    "$wine_run" subst D: /D
    exit 0
fi

expect "the template" "the dialog is as its template" "$(probe template "$(windows_path "$exe")")"
expect "the font fields" $'ＭＳ 明朝\n14\nIPAPGothic\n9' "$(probe fields)"

# A drop: the .ce2 files in the list's order, without the text file and the folder; a file that
# is not there is listed all the same, as a drop from elsewhere could name one.
w=$(windows_path "$drawings")
expect "the list after a drop" "$(printf '%s\n' "$w\\$long" "$w\\B.CE2" "$w\\demo.ce2" \
    "$w\\missing.ce2" "$w\\one.ce2" "$w\\回路図\\電源.ce2")" \
    "$(probe drop "$w\\notes.txt" "$w\\one.ce2" "$w\\demo.ce2" "$w\\folder" "$w\\B.CE2" \
        "$w\\回路図\\電源.ce2" "$w\\missing.ce2" "$w\\$long")"
expect "the scroll bars" "vertical hidden, horizontal shown" "$(probe scrollbars)"

# A click on an entry shows its drawing in the preview window, fitted to what is drawn on the
# sheet; the wheel zooms (three notches: 1.25 cubed) and a drag pans, out to an eighth of the
# scale that shows the whole page; a file that cannot be read shows no zoom.
expect "the preview" "MORVEX - demo.ce2 (100 %)" "$(probe preview 2 | head -n 1)"
expect "the preview zoomed" "MORVEX - demo.ce2 (195 %)" "$(probe preview 2 3 60 -40 | head -n 1)"
expect "the preview zoomed to its limit" "MORVEX - demo.ce2 (5 %)" \
    "$(probe preview 2 -60 0 0 | head -n 1)"
expect "the preview of a missing file" "MORVEX - missing.ce2" "$(probe preview 3 | head -n 1)"

# OK: a warning with the summary, string 102, then the two files not converted and the four
# converted in part (the demo drawing has an element outside the sheet), each with its reason.
message=$(probe ok) || failed=1
expect "the icon after a mixed batch" "warning" "$(printf '%s\n' "$message" | head -n 1)"
in_part=': 13 elements; 1 element outside the sheet left out'
expect "the message after a mixed batch" \
    "$(printf '%s\n' '4 files converted (4 of them in part). 2 files could not be converted.' '' \
        '変換が完了しました。' '生成したのはライブラリ情報なしの.CE3ファイルです。' \
        '最初にTovr3/Pelnakで読み込む前に必要なライブラリを設定してください。' \
        'Tovr3/Pelnakで上書き保存すると、ライブラリ情報付きの.CE3ファイルになります。' '' \
        'Files not converted:' "$w\\missing.ce2: cannot be opened" \
        "$w\\one.ce2: fewer than two elements" '' 'Files converted in part:' \
        "$w\\$long$in_part" "$w\\B.CE2$in_part" "$w\\demo.ce2$in_part" \
        "$w\\回路図\\電源.ce2$in_part")" \
    "$(printf '%s\n' "$message" | tail -n +2 | sed 's/\(cannot be opened\): .*/\1/')"
(cd "$work/linux" && "$linux_cli" -q demo.ce2 B.CE2 回路図/電源.ce2 "$long" > /dev/null)
for name in demo.ce3 B.ce3 回路図/電源.ce3 "${long%.ce2}.ce3"; do
    if ! cmp "$work/linux/$name" "$drawings/$name"; then
        echo "dialog_under_wine: $name differs from the Linux build's" >&2
        failed=1
    fi
done
expect "files written" "" "$(cd "$drawings" && ls missing.ce3 one.ce3 2> /dev/null || true)"

# A batch of which nothing is converted: an error, without string 102.
probe drop "$w\\one.ce2" "$w\\missing.ce2" > /dev/null || failed=1
message=$(probe ok) || failed=1
expect "the message after a failed batch" \
    "$(printf '%s\n' 'error' 'None of the 2 files could be converted.' '' 'Files not converted:' \
        "$w\\missing.ce2: cannot be opened" "$w\\one.ce2: fewer than two elements")" \
    "$(printf '%s\n' "$message" | sed 's/\(cannot be opened\): .*/\1/')"

# A dropped folder stands for the .ce2 files below it.
expect "the list after a folder's drop" "$(printf '%s\n' "$w\\回路図\\電源.ce2")" \
    "$(probe drop "$w\\回路図" "$w\\folder")"

# The font dialog opens on the stored face and size, and confirming it writes both keys.
expect "the fields after confirming the small font" $'ＭＳ 明朝\n14\nIPAPGothic\n9' \
    "$(probe font small)"
# The write follows the font dialog's end; the probe waits for it, this checks it.
settings=$(printf '[LARGE_FONT]\r\nFACE=\x82\x6c\x82\x72 \x96\xbe\x92\xa9\r\nSIZE=14\r\n[SMALL_FONT]\r\nFACE=IPAPGothic\r\nSIZE=9\r\n' | od -c)
for _ in $(seq 100); do
    [ "$(od -c < "$drawings/MORVEX.INI")" = "$settings" ] && break
    sleep 0.1
done
expect "the settings after confirming the small font" "$settings" \
    "$(od -c < "$drawings/MORVEX.INI")"

expect "the about box" \
    "$(printf '%s\n' 'MORVEXのバージョン情報' 'MORVEX' 'バージョン @MORVEX_VERSION@' \
        '回路図の .CE2 ファイルを .CE3 ファイルに変換します。' 'MIT License' 'OK' | sed "s/@MORVEX_VERSION@/$("$linux_cli" --version | awk '{print $NF}')/")" \
    "$(probe about)"

# A long batch shows how far it has got. The progress window shows once a batch has run for a
# second: the batch is made to last some seconds even on a fast machine with nothing else to do.
# (Folders of a few files each: Wine looks through a whole folder for every file it creates there.)
many=1500
for i in $(seq "$many"); do
    mkdir -p "$work/many/$((i % 50))"
    ln "$drawings/demo.ce2" "$work/many/$((i % 50))/$i.ce2"
    windows_path "$work/many/$((i % 50))/$i.ce2"
    echo
done > "$work/many.txt"
probe drop "@$(windows_path "$work/many.txt")" > /dev/null || failed=1
progress=$(probe progress) || failed=1
if ! [[ "$progress" =~ ^MORVEX$'\n'Converting:\ [0-9]+\ of\ $many\ files$ ]]; then
    echo "dialog_under_wine: the progress window showed: $progress" >&2
    failed=1
fi
expect "drawings converted in the long batch" "$many" "$(find "$work/many" -name '*.ce3' | wc -l)"

# The long batch again, cancelled once its progress shows: the files under way are finished, the
# others left, and the message says so, with a warning.
find "$work/many" -name '*.ce3' -delete
cancelled=$(probe cancel) || failed=1
expect "the message's start after cancelling" \
    "$(printf '%s\n' warning 'The conversion was cancelled.')" \
    "$(printf '%s\n' "$cancelled" | head -n 2)"
if ! printf '%s\n' "$cancelled" | grep -q '\.ce2: cancelled$'; then
    echo "dialog_under_wine: no file was reported as cancelled: $cancelled" >&2
    failed=1
fi
written=$(find "$work/many" -name '*.ce3' | wc -l)
if [ "$written" -ge "$many" ] || [ "$written" = 0 ]; then
    echo "dialog_under_wine: $written drawings written in the cancelled batch" >&2
    failed=1
fi

probe close > /dev/null || failed=1
status=0
wait "$morvex" || status=$?
expect "the program's exit" "0" "$status"
expect "the program's output" "" "$(cat "$work/morvex.out" "$work/morvex.err")"

# Started as "Open with" and "Send to" start it, beside a settings file that is none, for a user
# who reads Japanese when the locale is given (MORVEX_JAPANESE_LOCPATH holds ja_JP.UTF-8): the
# files among its arguments and below its folders are listed, the settings file is reported, and
# a batch's reasons and summary are told, in the user's language.
mkdir -p "$work/second"
printf '\x89PNG\r\n\x1a\n' > "$work/second/MORVEX.INI"
japanese=()
if [ -n "${MORVEX_JAPANESE_LOCPATH:-}" ]; then
    japanese=(env MORVEX_WINE_LOCALE=ja_JP.UTF-8 LOCPATH="$MORVEX_JAPANESE_LOCPATH")
fi
(cd "$work/second" && exec "${japanese[@]}" "$wine_run" "$exe" "$w\\回路図" "$w\\notes.txt" \
    "$w\\demo.ce2" > "$work/morvex.out" 2> "$work/morvex.err") &
morvex=$!
notice="not a settings file: line 1 is neither a section, a key=value line, a comment nor blank; \
the default fonts apply"
failed_batch=$(printf '%s\n' 'error' 'None of the 2 files could be converted.' '' \
    'Files not converted:' "$w\\missing.ce2: cannot be opened: No such file or directory" \
    "$w\\one.ce2: fewer than two elements")
if [ ${#japanese[@]} != 0 ]; then
    notice="設定ファイルではありません: 1 行目はセクション、キー=値の行、コメント、空行のどれでもあ\
りません; 既定のフォントを使います"
    failed_batch=$(printf '%s\n' 'error' 'どのファイルも変換できませんでした（2 ファイル）。' '' \
        '変換しなかったファイル:' \
        "$w\\missing.ce2: 開けません: そのようなファイルやディレクトリはありません" \
        "$w\\one.ce2: 要素が 2 個未満です")
fi
expect "the notice of a settings file that cannot be used" \
    "$(printf '%s\n' warning "$(windows_path "$work/second")\\MORVEX.INI: $notice")" "$(probe notice)"
expect "the list from the command line" "$(printf '%s\n' "$w\\demo.ce2" "$w\\回路図\\電源.ce2")" \
    "$(probe list)"
probe drop "$w\\one.ce2" "$w\\missing.ce2" > /dev/null || failed=1
expect "the message after a failed batch, in the user's language" "$failed_batch" "$(probe ok)"
probe close > /dev/null || failed=1
wait "$morvex" || failed=1

[ "$failed" = 0 ] && echo "dialog_under_wine: morvex.exe shows, converts and reports as expected"
exit $failed
