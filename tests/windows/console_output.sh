#!/usr/bin/env bash
# Runs morvex-cli.exe under Wine on a terminal, where Wine gives it a console, and checks that the
# Unicode it writes (a Japanese file name) shows as written, on both of its streams.
#
# usage: console_output.sh WINE-RUN MORVEX-CLI-EXE DEMO-CE2 WORK-DIR
set -euo pipefail

wine_run=$1
exe=$2
demo=$3
work=$4

rm -rf "$work"
mkdir -p "$work/回路図"
cp "$demo" "$work/回路図/電源.ce2"
cd "$work"
# script(1) gives the program a terminal; what the console drew on it is kept in screen.txt: the
# cursor moves right (ESC [ n C) as the blanks they stand for, other control sequences and
# carriage returns left out.
script -qec "'$wine_run' '$exe' 回路図/電源.ce2 missing.ce2" /dev/null < /dev/null > raw.txt || true
perl -pe 's/\e\[(\d*)C/" " x ($1 || 1)/ge; s/\e\[[0-9;?]*[A-Za-z]//g; s/\r//g' raw.txt > screen.txt

failed=0
for expected in "回路図/電源.ce2 -> 回路図/電源.ce3: 13 elements" \
    "missing.ce2: not converted: cannot be opened: No such file or directory" \
    "2 files: 1 converted (1 in part), 1 not converted" "The conversion has finished."; do
    if ! grep -qF "$expected" screen.txt; then
        echo "console_output: not shown: $expected" >&2
        failed=1
    fi
done
if [ "$failed" != 0 ]; then
    echo "console_output: the console showed:" >&2
    cat screen.txt >&2
fi
exit $failed
