#!/usr/bin/env bash
# Where morvex-cli.exe finds MORVEX.INI under Wine: beside the program, whatever the program is
# called, unless the current directory has one, which then wins; a copy in a folder that the user
# cannot write uses the user's own, %APPDATA%\MORVEX\MORVEX.INI.
#
# usage: settings_beside_exe.sh WINE-RUN MORVEX-CLI-EXE DEMO-CE2 WORK-DIR
set -euo pipefail

wine_run=$1
exe=$2
demo=$3
work=$4

# A read-only file system that an interrupted run left mounted.
umount "$work/readonly" 2> /dev/null || true
rm -rf "$work"
mkdir -p "$work/bin" "$work/run"
cp "$exe" "$work/bin/convert.exe"
printf '[LARGE_FONT]\r\nFACE=Beside\r\nSIZE=15\r\n[SMALL_FONT]\r\nFACE=BesideSmall\r\nSIZE=6\r\n' \
    > "$work/bin/MORVEX.INI"
cp "$demo" "$work/run/demo.ce2"

# The comment fonts that the converted demo carries, one "FN:face,FS:size" per comment, in UTF-8,
# converted by the program given (the copy in bin when none).
fonts() {
    (cd "$work/run" && "$wine_run" "${1:-../bin/convert.exe}" -q demo.ce2 > /dev/null)
    LC_ALL=C grep -ao 'FN:[^,]*,FS:[0-9]*' "$work/run/demo.ce3" | iconv -f CP932 -t UTF-8 |
        tr '\n' ' '
}

failed=0
expect() {
    local got
    got=$(fonts "${3:-}")
    if [ "$got" != "$1" ]; then
        echo "settings_beside_exe: $2: expected '$1', got '$got'" >&2
        failed=1
    fi
}

expect "FN:Beside,FS:20 FN:BesideSmall,FS:8 " "MORVEX.INI beside the program"
printf '[LARGE_FONT]\r\nFACE=Here\r\n' > "$work/run/MORVEX.INI"
expect "FN:Here,FS:16 FN:Verdana,FS:10 " "MORVEX.INI in the current directory"
rm "$work/run/MORVEX.INI" "$work/bin/MORVEX.INI"
expect "FN:ＭＳ%20Ｐゴシック,FS:16 FN:Verdana,FS:10 " "no MORVEX.INI"
if [ -e "$work/bin/MORVEX.INI" ] || [ -e "$work/run/MORVEX.INI" ]; then
    echo "settings_beside_exe: reading the settings created a file" >&2
    failed=1
fi

# A copy on a read-only file system, which this test mounts when it may (as root).
mkdir -p "$work/readonly"
if mount -t tmpfs -o size=64m tmpfs "$work/readonly" 2> /dev/null; then
    trap 'umount "$work/readonly"' EXIT
    cp "$exe" "$work/readonly/convert.exe"
    mount -o remount,ro "$work/readonly"
    appdata=$("$wine_run" cmd /c echo %APPDATA% | tr -d '\r')
    own=$("$wine_run" winepath -u "$appdata\MORVEX")
    mkdir -p "$own"
    printf '[LARGE_FONT]\r\nFACE=Own\r\nSIZE=15\r\n' > "$own/MORVEX.INI"
    expect "FN:Own,FS:20 FN:Verdana,FS:10 " "%APPDATA%\\MORVEX\\MORVEX.INI for a read-only folder" \
        ../readonly/convert.exe
    rm -r "$own"
else
    echo "settings_beside_exe: no read-only folder checked: this user cannot mount one" >&2
fi
exit $failed
