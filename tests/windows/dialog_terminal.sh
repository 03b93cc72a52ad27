#!/usr/bin/env bash
# Runs morvex.exe, a program without a console of its own, with the options that it answers
# without opening a window: what it prints reaches a pipe, and the console of a Command Prompt
# that started it, in the locale's language; an unknown option is a usage error.
#
# usage: dialog_terminal.sh WINE-RUN MORVEX-EXE VERSION WORK-DIR JAPANESE-LOCPATH
# JAPANESE-LOCPATH holds a ja_JP.UTF-8 locale made by localedef.
set -euo pipefail

wine_run=$1
exe=$2
version=$3
work=$4
locpath=$5

rm -rf "$work"
mkdir -p "$work"
cd "$work"

failed=0
# expect WHAT ACTUAL EXPECTED
expect() {
    if [[ $2 != "$3" ]]; then
        printf 'dialog_terminal: %s: [%s], expected [%s]\n' "$1" "$2" "$3" >&2
        failed=1
    fi
}

# To a pipe; the C runtime ends lines with CR LF.
status=0
out=$("$wine_run" "$exe" --version 2> err.txt) || status=$?
expect "--version, status" "$status" 0
expect "--version, output" "${out//$'\r'/}" "morvex $version"

status=0
out=$("$wine_run" "$exe" a.ce2 --bogus 2> err.txt) || status=$?
expect "--bogus, status" "$status" 2
expect "--bogus, output" "$out" ""
expect "--bogus, error" "$(tr -d '\r' < err.txt)" \
    "morvex: unknown option: --bogus"$'\n'"Run with --help for more information."

# On the console of a Command Prompt, run under script(1), in Japanese: what the console drew,
# control sequences and carriage returns left out.
MORVEX_WINE_LOCALE=ja_JP.UTF-8 LOCPATH=$locpath \
    script -qec "'$wine_run' cmd /c '$exe' --help" /dev/null < /dev/null > raw.txt || true
perl -pe 's/\e\[[0-9;?]*[A-Za-z]//g; s/\r//g' raw.txt > screen.txt
for shown in "使い方: morvex [PATH...]" "  --version  バージョン情報を表示して終了します"; do
    if ! grep -qxF -- "$shown" screen.txt; then
        echo "dialog_terminal: not shown on the console: $shown" >&2
        cat screen.txt >&2
        failed=1
    fi
done
exit $failed
