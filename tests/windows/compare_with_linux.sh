#!/usr/bin/env bash
# Converts the same drawings with the Linux morvex-cli and, under Wine, with morvex-cli.exe, and
# compares what the two wrote (.ce3, .svg and .kicad_sch files) and reported (standard output,
# standard error, exit status) byte for byte; the lines of the Windows reports end in CR LF, as
# Windows text does. The Windows program writes its reports in UTF-8 (--utf8), or in a Japanese
# locale in CP932, its console code page; its wildcards match as the Linux shell's do.
#
# usage: compare_with_linux.sh WINE-RUN MORVEX-CLI-EXE LINUX-BUILD-DIR SOURCE-DIR WORK-DIR
#        JAPANESE-LOCPATH HOLD-FILE-EXE
# LINUX-BUILD-DIR is a Linux build of this project (the debug preset) that holds cli/morvex-cli and
# fuzz/make_seeds. JAPANESE-LOCPATH holds a ja_JP.UTF-8 locale made by localedef. HOLD-FILE-EXE
# runs a program while it holds a file open without sharing (hold_file.cpp).
set -euo pipefail

wine_run=$1
exe=$2
linux_build=$3
source_dir=$4
work=$5
locpath=$6
hold_file=$7
windows_cli=("$wine_run" "$exe" --utf8)

linux_cli=$linux_build/cli/morvex-cli
make_seeds=$linux_build/fuzz/make_seeds
for tool in "$linux_cli" "$make_seeds"; do
    if [ ! -x "$tool" ]; then
        echo "compare_with_linux: $tool is missing: build the Linux targets morvex-cli and" \
            "make_seeds in $linux_build first (make windows-check does)" >&2
        exit 1
    fi
done

rm -rf "$work"
mkdir -p "$work/drawings/回路図"
drawings=$work/drawings

# The demo, every fuzz seed drawing, and the demo damaged: cut short at record boundaries and
# inside records, and with single bytes changed (a record type, a length, a text, a coordinate).
"$make_seeds" "$work/seeds"
cp "$source_dir/examples/demo.ce2" "$drawings/demo.ce2"
for seed in "$work"/seeds/ce2/*; do
    cp "$seed" "$drawings/$(basename "$seed").ce2"
done
demo_size=$(stat -c %s "$drawings/demo.ce2")
for cut in 1 30 59 60 61 70 90 150 200 $((demo_size - 1)); do
    head -c "$cut" "$drawings/demo.ce2" > "$drawings/cut$cut.ce2"
done
for at in 60 80 100 128 140 200 250; do
    for byte in 00 7f ff; do
        cp "$drawings/demo.ce2" "$drawings/flip$at-$byte.ce2"
        printf "\\x$byte" | dd of="$drawings/flip$at-$byte.ce2" bs=1 seek="$at" conv=notrunc \
            status=none
    done
done
# A name that the ANSI code page 1252 cannot hold.
cp "$source_dir/examples/demo.ce2" "$drawings/回路図/電源.ce2"
# .ce3 files to draw, the SVG fuzz target's hostile one among them.
for ce3 in "$work"/seeds/svg/*ce3*; do
    cp "$ce3" "$drawings/$(basename "$ce3" .ce3).ce3"
done
# The settings: CP932 faces, CR LF lines; MORVEX.INI in the current directory, and a file named on
# the command line.
printf '[LARGE_FONT]\r\nFACE=\x82\x6c\x82\x72 \x96\xbe\x92\xa9\r\nSIZE=14\r\n[SMALL_FONT]\r\nFACE=Arial\r\nSIZE=9\r\n' \
    > "$drawings/MORVEX.INI"
printf '[LARGE_FONT]\nFACE=Courier\nSIZE=11\n' > "$drawings/回路図/フォント.ini"

cp -r "$drawings" "$work/linux"
cp -r "$drawings" "$work/windows"

# Runs one program in its folder with the given arguments; its reports go to NAME.out, NAME.err and
# NAME.status beside the folder.
run() {
    local name=$1
    shift
    local status=0
    (cd "$work/$name" && "$@" > "../$name.out" 2> "../$name.err") || status=$?
    echo "$status" > "$work/$name.status"
}

# Windows programs write text with CR LF line ends; the lines themselves must match.
lines_of_windows_reports() {
    local part
    for part in out err; do
        if grep -qv $'\r$' "$work/windows.$part"; then
            echo "compare_with_linux: lines of windows.$part that do not end in CR LF:" >&2
            grep -nv $'\r$' "$work/windows.$part" | head -5 | od -c >&2
            return 1
        fi
        tr -d '\r' < "$work/windows.$part" > "$work/windows.$part.lines"
        mv "$work/windows.$part.lines" "$work/windows.$part"
    done
}

compare() {
    local what=$1
    local failed=0
    lines_of_windows_reports || failed=1
    diff -r "$work/linux" "$work/windows" || failed=1
    for part in out err status; do
        if ! cmp -s "$work/linux.$part" "$work/windows.$part"; then
            echo "compare_with_linux: $what: the $part reports differ:" >&2
            diff "$work/linux.$part" "$work/windows.$part" >&2 || true
            failed=1
        fi
    done
    return $failed
}

# Every drawing: by wildcards for Windows, which matches them in byte order as the Linux shell
# does in the C locale, and by name (the Unicode one with a forward slash, which Windows takes
# too); a face given on the command line, a settings file named, drawing with --svg and writing
# KiCad schematics with --kicad. The Linux program takes --utf8 and changes nothing.
mapfile -t names < <(cd "$drawings" && LC_ALL=C && printf '%s\n' *.ce2 *.ce3 "回路図/電源.ce2")
options=(--svg --kicad --small-face 'ＭＳ ゴシック' --settings 回路図/フォント.ini --utf8)
drawn_ce3=$(find "$work/linux" -name '*.ce3' | wc -l)
run linux env LC_ALL=C.UTF-8 "$linux_cli" "${options[@]}" "${names[@]}"
run windows "$wine_run" "$exe" "${options[@]}" '*.ce2' '*.CE3' "回路図/電源.ce2"
failed=0
compare "named files" || failed=1
converted=$(($(find "$work/linux" -name '*.ce3' | wc -l) - drawn_ce3))
if [ "$(cat "$work/linux.status")" != 1 ] || [ ! -s "$work/linux/回路図/電源.ce3" ] ||
    ! grep -aq 'FN:Courier,FS:14' "$work/linux/demo.ce3"; then
    echo "compare_with_linux: the Linux run did not convert as expected" >&2
    failed=1
fi

# The folder searched, with MORVEX.INI: the same files are found, and the reports differ only in
# the separator that each system puts between a folder and the names in it.
rm -f "$work"/linux/*.ce3 "$work"/windows/*.ce3 "$work"/linux/*.svg "$work"/windows/*.svg
rm -f "$work"/linux/回路図/*.ce3 "$work"/windows/回路図/*.ce3
# Folder separators as Linux writes them, in the Windows reports.
forward_slashes() {
    local part
    for part in out err; do
        tr '\\' / < "$work/windows.$part" > "$work/windows.$part.slashes"
        mv "$work/windows.$part.slashes" "$work/windows.$part"
    done
}
run linux env LC_ALL=C.UTF-8 "$linux_cli" .
run windows "${windows_cli[@]}" .
forward_slashes
compare "a searched folder" || failed=1

# A face that CP932 cannot hold is refused alike, before anything is converted.
rm -f "$work"/linux/*.ce3 "$work"/windows/*.ce3
run linux env LC_ALL=C.UTF-8 "$linux_cli" --large-face 'Ø 😀' demo.ce2
run windows "${windows_cli[@]}" --large-face 'Ø 😀' demo.ce2
compare "a refused face" || failed=1

# An output saved by the editor is kept alike; --output-dir writes under a folder of its own.
rm -f "$work"/linux/*.ce3 "$work"/windows/*.ce3
for side in linux windows; do
    printf '+TOVR3_DATA_V.1.0\r\n+PARTLIB,N:R,-PARTLIB\r\n-TOVR3_DATA_V.1.0\r\n' \
        > "$work/$side/demo.ce3"
done
run linux env LC_ALL=C.UTF-8 "$linux_cli" demo.ce2
run windows "${windows_cli[@]}" demo.ce2
compare "an edited output" || failed=1
run linux env LC_ALL=C.UTF-8 "$linux_cli" --output-dir out 回路図 demo.ce2
run windows "${windows_cli[@]}" --output-dir out 回路図 demo.ce2
# Every path of the Windows reports has the backslash for its separator, the outputs' too.
if ! grep -qF 'out\電源.ce3' "$work/windows.out" || grep -q / "$work/windows.out"; then
    echo "compare_with_linux: the reports of an output folder mix separators:" >&2
    cat "$work/windows.out" >&2
    failed=1
fi
forward_slashes
compare "an output folder" || failed=1
if [ ! -s "$work/windows/out/電源.ce3" ] || [ ! -s "$work/windows/out/demo.ce3" ] ||
    ! grep -q "PARTLIB" "$work/windows/demo.ce3"; then
    echo "compare_with_linux: the edited output or the output folder went wrong" >&2
    failed=1
fi

# A file that another program holds open, sharing nothing, is in use: as a source, as an output
# read to check whether it may be replaced, and as an output replaced with --overwrite, which is
# not offered where it would meet the same lock; a dry run says so too. Each row: the file held,
# the arguments, the line.
held_cases=(
    "demo.ce2|demo.ce2|demo.ce2: not converted: cannot be opened: in use by another program"
    "demo.ce3|demo.ce2|demo.ce2: not converted: demo.ce3 cannot be read to check it: in use by another program"
    "demo.ce3|--overwrite demo.ce2|demo.ce2: not converted: demo.ce3 cannot be written: in use by another program"
    "demo.ce3|--dry-run --overwrite demo.ce2|demo.ce2: not converted: demo.ce3 cannot be written: in use by another program"
    "held/demo.kicad_sch|--kicad --output-dir held demo.ce2|demo.ce2: KiCad file not written: held\\demo.kicad_sch cannot be read to check it: in use by another program"
)
mkdir -p "$work/windows/held"
echo '(kicad_sch (version 20211123) (generator eeschema)' > "$work/windows/held/demo.kicad_sch"
for held_case in "${held_cases[@]}"; do
    IFS='|' read -r held arguments said <<< "$held_case"
    read -ra arguments <<< "$arguments"
    run windows "$wine_run" "$hold_file" "$held" "$exe" --utf8 -q "${arguments[@]}"
    if [ "$(cat "$work/windows.status")" != 1 ] ||
        ! cmp -s "$work/windows.err" <(printf '%s\r\n' "$said"); then
        echo "compare_with_linux: held $held, ${arguments[*]}: expected \"$said\", status 1:" >&2
        cat "$work/windows.status" "$work/windows.out" "$work/windows.err" >&2
        failed=1
    fi
done
if ! grep -q "PARTLIB" "$work/windows/demo.ce3"; then
    echo "compare_with_linux: a held output was replaced" >&2
    failed=1
fi
rm -rf "$work/windows/held"

# In a Japanese locale both programs report in Japanese, alike; the Windows program, its output
# redirected, in CP932.
rm -rf "$work"/linux/out "$work"/windows/out
japanese=(LOCPATH="$locpath" MORVEX_WINE_LOCALE=ja_JP.UTF-8)
run linux env "${japanese[@]}" LC_ALL=ja_JP.UTF-8 "$linux_cli" --output-dir out 回路図 demo.ce2 \
    missing.ce2
run windows env "${japanese[@]}" "$wine_run" "$exe" --output-dir out 回路図 demo.ce2 missing.ce2
for part in out err; do
    iconv -f CP932 -t UTF-8 "$work/windows.$part" > "$work/windows.$part.utf8"
    mv "$work/windows.$part.utf8" "$work/windows.$part"
done
forward_slashes
compare "Japanese messages" || failed=1
if ! grep -qF "missing.ce2: 変換しませんでした: 開けません: そのようなファイルやディレクトリはありません" \
    "$work/windows.err"; then
    echo "compare_with_linux: the reports are not in Japanese" >&2
    failed=1
fi

# In the C locale, whose code page 437 holds no Japanese, a redirected report without --utf8
# shows each Japanese character as "?" and keeps the rest of the line.
run windows "$wine_run" "$exe" -q 回路図/電源.ce2
if ! cmp -s "$work/windows.out" \
    <(printf '???/??.ce2 -> ???/??.ce3: 13 elements; 1 element outside the sheet left out\r\n'); then
    echo "compare_with_linux: the report in code page 437 is not as expected:" >&2
    cat "$work/windows.out" >&2
    failed=1
fi

# Patterns that match nothing are said to, and counted as not converted; /? and -? show the help;
# a path may begin with "/".
run windows "${windows_cli[@]}" 'nothing*.ce2' '回路図\?.ce2'
if [ "$(cat "$work/windows.status")" != 1 ] ||
    ! cmp -s "$work/windows.err" <(printf 'morvex-cli: no file or directory matches %s\r\n' \
        'nothing*.ce2' '回路図\?.ce2' && printf '2 files: 0 converted, 2 not converted\r\n'); then
    echo "compare_with_linux: patterns that match nothing are not reported so:" >&2
    cat "$work/windows.err" >&2
    failed=1
fi
run windows "${windows_cli[@]}" --help
mv "$work/windows.out" "$work/help.out"
for help in '/?' '-?'; do
    run windows "${windows_cli[@]}" "$help"
    if [ "$(cat "$work/windows.status")" != 0 ] || ! cmp -s "$work/help.out" "$work/windows.out"; then
        echo "compare_with_linux: $help does not show the help" >&2
        failed=1
    fi
done
rm -f "$work/windows/demo.ce3"
run windows "${windows_cli[@]}" -q "$work/windows/demo.ce2"
if [ "$(cat "$work/windows.status")" != 0 ] || [ ! -s "$work/windows/demo.ce3" ]; then
    echo "compare_with_linux: $work/windows/demo.ce2 was not taken as a path" >&2
    failed=1
fi

if [ "$failed" = 0 ]; then
    echo "compare_with_linux: $(ls "$drawings"/*.ce2 "$drawings"/回路図/*.ce2 | wc -l) drawings" \
        "converted alike; $converted .ce3 files written, identical"
fi
exit $failed
