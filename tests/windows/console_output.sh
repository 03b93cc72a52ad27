#!/usr/bin/env bash
# Runs morvex-cli.exe under Wine on a terminal, where Wine gives it a console, and checks that the
# Unicode it writes (a Japanese file name) shows as written, on both of its streams; that its
# messages are English in the C locale and Japanese in a Japanese one; and that it waits for a key
# when the console is its alone (as when Explorer starts it), not when a Command Prompt shares it.
#
# usage: console_output.sh WINE-RUN MORVEX-CLI-EXE DEMO-CE2 WORK-DIR JAPANESE-LOCPATH
# JAPANESE-LOCPATH holds a ja_JP.UTF-8 locale made by localedef.
set -euo pipefail

wine_run=$1
exe=$2
demo=$3
work=$4
locpath=$5

rm -rf "$work"
mkdir -p "$work/回路図"
cp "$demo" "$work/回路図/電源.ce2"
cd "$work"

# Runs the command line given on a terminal that script(1) gives it, a key typed on it from the
# start; what the console drew there goes to the file named first: the cursor moves right
# (ESC [ n C) as the blanks they stand for, other control sequences and carriage returns left out.
on_console() {
    local screen=$1
    shift
    printf x | script -qec "$*" /dev/null > raw.txt || true
    perl -pe 's/\e\[(\d*)C/" " x ($1 || 1)/ge; s/\e\[[0-9;?]*[A-Za-z]//g; s/\r//g' raw.txt > "$screen"
}

failed=0
# shows SCREEN TEXT...: each text is on the screen; "!TEXT": it is not.
shows() {
    local screen=$1
    shift
    local ok=0
    for expected in "$@"; do
        if [[ $expected == !* ]]; then
            if grep -qF -- "${expected#!}" "$screen"; then
                echo "console_output: shown: ${expected#!}" >&2
                ok=1
            fi
        elif ! grep -qF -- "$expected" "$screen"; then
            echo "console_output: not shown: $expected" >&2
            ok=1
        fi
    done
    if [ "$ok" != 0 ]; then
        echo "console_output: the console showed ($screen):" >&2
        cat "$screen" >&2
        failed=1
    fi
}

on_console english.txt "'$wine_run' '$exe' 回路図/電源.ce2 missing.ce2"
shows english.txt "回路図/電源.ce2 -> 回路図/電源.ce3: 13 elements" \
    "missing.ce2: not converted: cannot be opened: No such file or directory" \
    "2 files: 1 converted (1 in part), 1 not converted" "The conversion has finished." \
    "Press any key to close this window."

on_console japanese.txt \
    "MORVEX_WINE_LOCALE=ja_JP.UTF-8 LOCPATH='$locpath' '$wine_run' '$exe' 回路図/電源.ce2 missing.ce2"
shows japanese.txt "回路図/電源.ce2 -> 回路図/電源.ce3: 要素 13 個; シート外の要素 1 個を除外" \
    "missing.ce2: 変換しませんでした: 開けません: そのようなファイルやディレクトリはありません" \
    "2 ファイル: 1 ファイルを変換（うち 1 ファイルは一部のみ）、1 ファイルは変換できませんでした" \
    "変換が完了しました。" "何かキーを押すとこのウィンドウを閉じます。"

# In a Command Prompt, which keeps the console open after the program, it does not wait.
on_console prompt.txt "'$wine_run' cmd /c '$exe' 回路図/電源.ce2"
shows prompt.txt "回路図/電源.ce2 -> 回路図/電源.ce3: 13 elements" "!Press any key"
exit $failed
