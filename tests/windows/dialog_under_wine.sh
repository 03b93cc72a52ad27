#!/usr/bin/env bash
# Runs morvex.exe under Wine on an X display of its own (Xvfb, 1366 × 768) and drives it with
# dialog_probe.exe as a user and the shell would: its dialog is as its template, the font fields
# come from MORVEX.INI, a drop fills the list (a folder with the .ce2 files below it) and the title
# counts it, OK converts the files as the Linux build does (byte for byte) and ends in the result
# dialog, with the icon that fits, the summary, string 102 and every file, failures first, which
# fits into the work area, copies and saves the CLI's report; the font dialog gives back the
# stored font, the about box and the output folder come from the system menu, Browse picks a
# folder, a click on a file shows it in the preview window, clear of the list and the buttons,
# which zooms and pans, and 終了 ends the program. At 144 dpi the dialog, the preview and the
# result fit as well. Started with paths, it lists them, and it tells of a settings file that
# cannot be used.
# With SCREENSHOT, a picture of the dialog with a few files listed is left there instead, and with
# RESULT-SCREENSHOT one of the result of a mixed batch in Japanese (MORVEX_JAPANESE_LOCPATH).
#
# usage: dialog_under_wine.sh WINE-RUN MORVEX-EXE PROBE-EXE CLI-EXE LINUX-CLI DEMO-CE2 WORK-DIR
#                             [SCREENSHOT [RESULT-SCREENSHOT]]
set -euo pipefail

wine_run=$1
exe=$2
probe=$3
cli=$4
linux_cli=$5
demo=$6
work=$7
screenshot=${8:-}
result_screenshot=${9:-}

# A read-only file system that an interrupted run left mounted.
umount "$work/readonly" 2> /dev/null || true
rm -rf "$work"
mkdir -p "$work"
work=$(cd "$work" && pwd)

source "$(dirname "$0")/wine_display.sh"
start_wine_display 1366x768

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
    # The drawings as a drive of their own, for short names: a link in the prefix's dosdevices,
    # which lasts beyond the program that made it, as one of subst does not.
    dosdevices=$(dirname "$("$wine_run" winepath -u 'C:\')")
    ln -sfn "$drawings" "$dosdevices/d:"
    probe drop 'D:\demo.ce2' 'D:\回路図\電源.ce2' 'D:\B.CE2' > /dev/null
    read -r x y width height < <(probe rect)
    screenshot "$screenshot" "$x" "$y" "$width" "$height"
    probe close > /dev/null
    wait "$morvex"
    if [ -n "$result_screenshot" ]; then
        (cd "$drawings" && exec env MORVEX_WINE_LOCALE=ja_JP.UTF-8 \
            LOCPATH="$MORVEX_JAPANESE_LOCPATH" "$wine_run" "$exe" > /dev/null 2>&1) &
        morvex=$!
        probe drop 'D:\demo.ce2' 'D:\回路図\電源.ce2' 'D:\B.CE2' 'D:\one.ce2' 'D:\missing.ce2' \
            > /dev/null
        # The result stays until the picture is taken.
        ("$wine_run" "$probe" ok hold "$(windows_path "$work/taken")" > "$work/result.out") &
        holder=$!
        for _ in $(seq 600); do
            [ "$(wc -l < "$work/result.out")" -gt 0 ] && grep -q '^[0-9]* [0-9]* [0-9]* [0-9]*$' \
                "$work/result.out" && break
            sleep 0.1
        done
        read -r x y width height < <(grep '^[0-9]* [0-9]* [0-9]* [0-9]*$' "$work/result.out")
        screenshot "$result_screenshot" "$x" "$y" "$width" "$height"
        touch "$work/taken"
        wait "$holder"
        probe close > /dev/null
        wait "$morvex"
    fi
    rm "$dosdevices/d:"
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
expect "the title with the list" "MORVEX - 6 files" "$(probe title)"
expect "the dialog's place" "inside the work area" "$(probe rect | tail -n 1)"

# A click on an entry shows its drawing in the preview window, fitted to what is drawn on the
# sheet; the wheel zooms (three notches: 1.25 cubed) and a drag pans, out to an eighth of the
# scale that shows the whole page; a file that cannot be read shows no zoom.
preview=$(probe preview 2) || failed=1
expect "the preview" "MORVEX - demo.ce2 (100 %)" "$(printf '%s\n' "$preview" | head -n 1)"
expect "the preview's place" $'clear of the list and the buttons\ninside the work area' \
    "$(printf '%s\n' "$preview" | tail -n 2)"
expect "the preview zoomed" "MORVEX - demo.ce2 (195 %)" "$(probe preview 2 3 60 -40 | head -n 1)"
expect "the preview zoomed to its limit" "MORVEX - demo.ce2 (7 %)" \
    "$(probe preview 2 -60 0 0 | head -n 1)"
expect "the preview of a missing file" "MORVEX - missing.ce2" "$(probe preview 3 | head -n 1)"

# OK: the result, a warning with the summary and string 102, the filters with their counts, then
# the two files not converted and the four converted in part (the demo drawing has an element
# outside the sheet), each with its reason.
message=$(probe ok) || failed=1
expect "the icon after a mixed batch" "warning" "$(printf '%s\n' "$message" | head -n 1)"
in_part() {
    printf '%s -> %s: 13 elements; 1 element outside the sheet left out' "$1" "${1%.*}.ce3"
}
expect "the message after a mixed batch" \
    "$(printf '%s\n' '4 files converted (4 of them in part). 2 files could not be converted.' '' \
        '変換が完了しました。' '生成したのはライブラリ情報なしの.CE3ファイルです。' \
        '最初にTovr3/Pelnakで読み込む前に必要なライブラリを設定してください。' \
        'Tovr3/Pelnakで上書き保存すると、ライブラリ情報付きの.CE3ファイルになります。' '' \
        '* All files (6)' '  Not converted (2)' '  Converted in part (4)' \
        "$w\\missing.ce2: not converted: cannot be opened" \
        "$w\\one.ce2: not converted: fewer than two elements" "$(in_part "$w\\$long")" \
        "$(in_part "$w\\B.CE2")" "$(in_part "$w\\demo.ce2")" "$(in_part "$w\\回路図\\電源.ce2")")" \
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
    "$(printf '%s\n' 'error' 'None of the 2 files could be converted.' '' '* All files (2)' \
        '  Not converted (2)' "$w\\missing.ce2: not converted: cannot be opened" \
        "$w\\one.ce2: not converted: fewer than two elements")" \
    "$(printf '%s\n' "$message" | sed 's/\(cannot be opened\): .*/\1/')"

# A dropped folder stands for the .ce2 files below it, as does one that Browse picks.
expect "the list after a folder's drop" "$(printf '%s\n' "$w\\回路図\\電源.ce2")" \
    "$(probe drop "$w\\回路図" "$w\\folder")"
expect "the list after Browse picked a folder" \
    "$(printf '%s\n' "$w\\$long" "$w\\B.CE2" "$w\\demo.ce2" "$w\\one.ce2" "$w\\回路図\\電源.ce2")" \
    "$(probe browse-folder "$w")"

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

# An archive of 200 drawings, 21 of which cannot be converted, in folders of 20: the result lies
# inside the work area with its summary and OK in sight, lists every file, failures first, filters
# them, copies them, and saves the report that morvex-cli.exe --report writes for the same files.
archive=$work/archive
for i in $(seq 200); do
    mkdir -p "$archive/$((i % 10))"
    if [ $((i % 10)) = 3 ] || [ "$i" = 200 ]; then
        head -c 70 "$demo" > "$archive/$((i % 10))/$i.ce2"
    else
        ln "$drawings/demo.ce2" "$archive/$((i % 10))/$i.ce2"
    fi
done
a=$(windows_path "$archive")
listed=$(probe drop "$a") || failed=1
expect "the title of the archive" "MORVEX - 200 files" "$(probe title)"
archive_result=$(probe ok fit copy filter 1 save "$a\\morvex-report.csv") || failed=1
expect "the archive's result" \
    "$(printf '%s\n' warning \
        '179 files converted (179 of them in part). 21 files could not be converted.' '' \
        '変換が完了しました。')" \
    "$(printf '%s\n' "$archive_result" | head -n 4)"
expect "the archive's filters" \
    "$(printf '%s\n' '* All files (200)' '  Not converted (21)' '  Converted in part (179)')" \
    "$(printf '%s\n' "$archive_result" | sed -n '9,11p')"
rows=$(printf '%s\n' "$archive_result" | grep '^Z:' | head -n 200)
expect "the archive's rows: failures first" \
    "$(printf '%s\n' "$(printf 'not converted\n%.0s' $(seq 21))" \
        "$(printf 'in part\n%.0s' $(seq 179))")" \
    "$(printf '%s\n' "$rows" |
        sed 's/.*: not converted: .*/not converted/; s/.*ce3: 13 elements; .*/in part/')"
expect "the archive's result in sight, copied and filtered" \
    "$(printf '%s\n' 'the result inside the work area' 'the summary in sight' 'OK in sight' \
        'rows in sight' 'the copy holds the summary and the rows shown' 'filter 1:' \
        "$(printf '%s\n' "$rows" | head -n 21)")" \
    "$(printf '%s\n' "$archive_result" | tail -n 27)"
# The CLI converts the files of the list, in its order, beside the same settings.
mapfile -t files < <(printf '%s\n' "$listed")
(cd "$drawings" &&
    "$wine_run" "$cli" -q --report "$a\\cli-report.csv" "${files[@]}" > /dev/null 2>&1) || true
if ! cmp "$archive/cli-report.csv" "$archive/morvex-report.csv"; then
    echo "dialog_under_wine: the saved report differs from morvex-cli.exe --report's" >&2
    failed=1
fi

# An output folder from the system menu: the title names it, the settings keep it, the outputs go
# there; back beside their sources, the title no longer names it.
find "$archive" -name '*.ce3' -delete
mkdir -p "$work/out"
o=$(windows_path "$work/out")
expect "the title with an output folder" "MORVEX - 200 files - outputs to $o" \
    "$(probe output-folder "$o")"
# The settings file holds CP932, as the faces are; the folder's name is compared as UTF-8.
expect "the output folder in the settings" "$(printf '[OUTPUT]\r\nFOLDER=%s\r' "$o")" \
    "$(grep -a -A1 '^\[OUTPUT\]' "$drawings/MORVEX.INI" | iconv -f CP932 -t UTF-8)"
probe ok > /dev/null || failed=1
expect "outputs in the output folder" "179 0" \
    "$(find "$work/out" -name '*.ce3' | wc -l) $(find "$archive" -name '*.ce3' | wc -l)"
expect "the title with outputs beside their sources" "MORVEX - 200 files" \
    "$(probe outputs-beside)"

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
written=$(find "$work/many" -name '*.ce3' | wc -l)
if [ "$written" -ge "$many" ] || [ "$written" = 0 ]; then
    echo "dialog_under_wine: $written drawings written in the cancelled batch" >&2
    failed=1
fi
# The counts add up to the batch: the files written, none failed, the rest not started; the
# converted files come first in the list.
group() { printf '%s' "$1" | sed ':a;s/\B[0-9]\{3\}\>/,&/;ta'; }
converted=$(group "$written")
unstarted=$(group $((many - written)))
expect "the message after cancelling" \
    "$(printf '%s\n' warning "Cancelled: $converted files converted ($converted of them in \
part), 0 could not be converted, $unstarted not started." '' "* All files ($(group $many))" \
        "  Converted in part ($converted)" "  Not started ($unstarted)")" \
    "$(printf '%s\n' "$cancelled" | head -n 6)"
expect "the rows after cancelling" "converted $written cancelled $((many - written))" \
    "$(printf '%s\n' "$cancelled" | tail -n +7 |
        sed 's/.*ce3: 13 elements; .*/converted/; s/.*\.ce2: not converted: cancelled$/cancelled/' |
        uniq -c | awk '{printf "%s%s %s", (NR > 1 ? " " : ""), $2, $1}')"

probe close > /dev/null || failed=1
status=0
wait "$morvex" || status=$?
expect "the program's exit" "0" "$status"
# Wine notes once that the folder picker could not read the volume label of Z: (the host's root).
expect "the program's output" "" \
    "$(cat "$work/morvex.out" "$work/morvex.err" | grep -v '^wine: Read access denied for device' ||
        true)"

# At 144 dpi the dialog, the preview and the archive's result fit into the work area as well, the
# preview clear of the list and the buttons.
set_wine_dpi 144
(cd "$drawings" && exec "$wine_run" "$exe" "$a" > /dev/null 2>&1) &
morvex=$!
expect "the dialog's place at 144 dpi" "inside the work area" "$(probe rect | tail -n 1)"
expect "the preview's place at 144 dpi" $'clear of the list and the buttons\ninside the work area' \
    "$(probe preview 0 | tail -n 2)"
expect "the archive's result at 144 dpi" \
    "$(printf '%s\n' 'the result inside the work area' 'the summary in sight' 'OK in sight' \
        'rows in sight')" \
    "$(probe ok fit | tail -n 4)"
probe close > /dev/null || failed=1
wait "$morvex" || failed=1
set_wine_dpi 96

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
    '* All files (2)' '  Not converted (2)' \
    "$w\\missing.ce2: not converted: cannot be opened: No such file or directory" \
    "$w\\one.ce2: not converted: fewer than two elements")
if [ ${#japanese[@]} != 0 ]; then
    notice="設定ファイルではありません: 1 行目はセクション、キー=値の行、コメント、空行のどれでもあ\
りません; 既定のフォントを使います"
    failed_batch=$(printf '%s\n' 'error' 'どのファイルも変換できませんでした（2 ファイル）。' '' \
        '* すべてのファイル (2)' '  変換できず (2)' \
        "$w\\missing.ce2: 変換しませんでした: 開けません: そのようなファイルやディレクトリはありません" \
        "$w\\one.ce2: 変換しませんでした: 要素が 2 個未満です")
fi
expect "the notice of a settings file that cannot be used" \
    "$(printf '%s\n' warning "$(windows_path "$work/second")\\MORVEX.INI: $notice")" "$(probe notice)"
expect "the list from the command line" "$(printf '%s\n' "$w\\demo.ce2" "$w\\回路図\\電源.ce2")" \
    "$(probe list)"
probe drop "$w\\one.ce2" "$w\\missing.ce2" > /dev/null || failed=1
expect "the message after a failed batch, in the user's language" "$failed_batch" "$(probe ok)"
probe close > /dev/null || failed=1
wait "$morvex" || failed=1

# A copy on a read-only file system (mounted when this test may, as root) keeps what the user
# changes in %APPDATA%\MORVEX\MORVEX.INI, and says so once, when it makes that file.
mkdir -p "$work/readonly" "$work/third"
if mount -t tmpfs -o size=64m tmpfs "$work/readonly" 2> /dev/null; then
    cp "$exe" "$work/readonly/morvex.exe"
    mount -o remount,ro "$work/readonly"
    appdata=$("$wine_run" cmd /c echo %APPDATA% | tr -d '\r')
    own=$("$wine_run" winepath -u "$appdata\MORVEX")
    rm -rf "$own"
    (cd "$work/third" && exec "$wine_run" "$work/readonly/morvex.exe" > /dev/null 2>&1) &
    morvex=$!
    expect "the notice of the first write" \
        "$(printf '%s\n' information 'The settings are kept in this file from now on:' \
            "$appdata\\MORVEX\\MORVEX.INI" "MORVEX - outputs to $o")" \
        "$(probe output-folder "$o")"
    expect "the second write, without a notice" "MORVEX" "$(probe outputs-beside)"
    probe font small > /dev/null || failed=1
    # The write follows the font dialog's end; the probe waits for it, this checks it.
    for _ in $(seq 100); do
        grep -q -a '^\[SMALL_FONT\]' "$own/MORVEX.INI" 2> /dev/null && break
        sleep 0.1
    done
    expect "the sections kept in %APPDATA%" $'[OUTPUT]\n[SMALL_FONT]' \
        "$(grep -a '^\[' "$own/MORVEX.INI" | tr -d '\r' | sort)"
    expect "no settings file beside the copy or in the current folder" "" \
        "$(ls "$work/third" "$work/readonly" | grep -i '\.ini$' || true)"
    probe close > /dev/null || failed=1
    wait "$morvex" || failed=1
    umount "$work/readonly"
    rm -rf "$own"
else
    echo "dialog_under_wine: no read-only folder checked: this user cannot mount one" >&2
fi

[ "$failed" = 0 ] && echo "dialog_under_wine: morvex.exe shows, converts and reports as expected"
exit $failed
