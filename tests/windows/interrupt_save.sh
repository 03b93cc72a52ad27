#!/usr/bin/env bash
# Interrupts a save under Wine (SIGINT reaches a Windows program as the console's Ctrl-C) while
# its named temporary is open, and checks that the temporary is gone and the target untouched.
#
# usage: interrupt_save.sh WINE-RUN INTERRUPTED-SAVE-EXE WORK-DIR
set -euo pipefail

wine_run=$1
probe=$2
work=$3

rm -rf "$work"
mkdir -p "$work"
printf 'old content\r\n' > "$work/target.ce3"

"$wine_run" "$probe" "$work/target.ce3" > "$work/probe.out" 2> "$work/probe.err" &
pid=$!
# However long Wine takes to start it: until the probe says so or ends (CTest's timeout ends a
# probe that hangs).
while ! grep -q writing "$work/probe.out" && kill -0 "$pid" 2> /dev/null; do
    sleep 0.1
done
failed=0
if ! grep -q writing "$work/probe.out"; then
    echo "interrupt_save: the save did not start" >&2
    cat "$work/probe.err" >&2
    failed=1
elif ! ls "$work"/.morvex-*.tmp > /dev/null 2>&1; then
    echo "interrupt_save: no named temporary while writing; nothing to test" >&2
    failed=1
fi
kill -INT "$pid"
status=0
wait "$pid" || status=$?

# Status 3: the wait ran out, uninterrupted. (Wine ends an interrupted program with status 0,
# Windows with 0xC000013A.)
if [ "$status" = 3 ]; then
    echo "interrupt_save: the interruption did not end the process" >&2
    failed=1
fi
if ls "$work"/.morvex-*.tmp > /dev/null 2>&1; then
    echo "interrupt_save: a temporary was left behind:" "$work"/.morvex-*.tmp >&2
    failed=1
fi
if [ "$(cat "$work/target.ce3")" != $'old content\r' ]; then
    echo "interrupt_save: the target changed" >&2
    failed=1
fi
[ "$failed" = 0 ] && echo "interrupt_save: interrupted (status $status), nothing left behind"
exit $failed
