#!/usr/bin/env bash
# Installs MORVEX with its installer under Wine, silently, into a Wine prefix of its own, and
# checks what it leaves: the files, the keys of the .ce2 type and of Apps, the two shortcuts. A
# drawing opened with the type's command is listed by the dialog, the installer refuses to
# replace the running program, a second installation over the first succeeds, and the silent
# uninstaller leaves nothing but the settings file.
# With SCREENSHOT, a picture of the installed dialog opened on a drawing is left there too.
#
# usage: installer_under_wine.sh WINE-RUN SETUP-EXE PROBE-EXE DEMO-CE2 WORK-DIR [SCREENSHOT]
set -euo pipefail

wine_run=$1
setup=$2
probe=$3
demo=$4
work=$5
screenshot=${6:-}

rm -rf "$work"
mkdir -p "$work"
work=$(cd "$work" && pwd)
MORVEX_WINE_PREFIX=$work/prefix
export MORVEX_WINE_PREFIX
source "$(dirname "$0")/wine_display.sh"
start_wine_display

# The value NAME of the registry key KEY ("" for its default); fails when either is missing.
value() {
    local out
    if [ -z "$2" ]; then
        out=$("$wine_run" reg query "$1" /ve) || return 1
    else
        out=$("$wine_run" reg query "$1" /v "$2") || return 1
    fi
    printf '%s\n' "$out" | tr -d '\r' | sed -n 's/^    .*    REG_[A-Z_]*    //p'
}

# Every file and folder of the user's profile, bar the uninstaller's temporary copy (the system
# removes it at the next start, as it does with every NSIS uninstaller).
users=$MORVEX_WINE_PREFIX-gui/drive_c/users
profile() {
    (cd "$users" && find . | grep -v '/Temp/~nsu[^/]*\.tmp' | LC_ALL=C sort)
}

# A silent installation, as it ends: its exit status.
install() {
    local status=0
    "$wine_run" "$setup" /S || status=$?
    echo "$status"
}

version=$(basename "$setup" | sed 's/^morvex-\(.*\)-setup\.exe$/\1/')
profile > "$work/profile-before"
expect "the first installation's exit status" 0 "$(install)"

# The files, in %LOCALAPPDATA%\Programs\MORVEX.
local_app_data=$("$wine_run" cmd /c echo '%LOCALAPPDATA%' | tr -d '\r')
folder="$local_app_data\\Programs\\MORVEX"
# The same folders in the prefix, from the profile's folder on.
local_app_data=${local_app_data#*\\users\\}
local_app_data=${local_app_data//\\//}
installed=$users/$local_app_data/Programs/MORVEX
files() {
    (cd "$installed" && find . -type f | LC_ALL=C sort)
}
all_files=$(printf '%s\n' ./LICENSE.txt ./README.txt ./licenses/CLI11.txt ./licenses/mingw-w64.txt \
    ./morvex-cli.exe ./morvex.exe ./uninstall.exe)
expect "the installed files" "$all_files" "$(files)"

# Both programs tell what they are, show the icon, and are drawn sharp at any scale.
for program in morvex.exe:"MORVEX converter" morvex-cli.exe:"MORVEX command-line converter"; do
    expect "the resources of ${program%%:*}" "$(printf '%s\n' 'ProductName: MORVEX' \
        "ProductVersion: $version" "FileDescription: ${program#*:}" \
        'CompanyName: the MORVEX authors' \
        'LegalCopyright: Copyright (c) the MORVEX authors. MIT License.' \
        "OriginalFilename: ${program%%:*}" 'icon: yes' \
        'manifest: common controls 6 yes, per-monitor DPI awareness v2 yes')" \
        "$(probe resources "$folder\\${program%%:*}")"
done

# The .ce2 type and the uninstaller's entry.
classes='HKCU\Software\Classes'
expect "the type of .ce2" "MORVEX.ce2" "$(value "$classes\\.ce2" "")"
value "$classes\\.ce2\\OpenWithProgids" MORVEX.ce2 > /dev/null ||
    expect "MORVEX under Open with" "MORVEX.ce2 listed" "missing"
expect "the icon of .ce2 files" "$folder\\morvex.exe,0" \
    "$(value "$classes\\MORVEX.ce2\\DefaultIcon" "")"
expect "the verb of .ce2 files" "Open with MORVEX" "$(value "$classes\\MORVEX.ce2\\shell\\open" "")"
command=$(value "$classes\\MORVEX.ce2\\shell\\open\\command" "")
expect "the command of .ce2 files" "\"$folder\\morvex.exe\" \"%1\"" "$command"
uninstall_key='HKCU\Software\Microsoft\Windows\CurrentVersion\Uninstall\MORVEX'
expect "the entry under Apps" \
    "$(printf '%s\n' MORVEX "$version" "the MORVEX authors" "\"$folder\\uninstall.exe\" /S")" \
    "$(for name in DisplayName DisplayVersion Publisher QuietUninstallString; do
        value "$uninstall_key" "$name"
    done)"

# The shortcuts start morvex.exe.
for link in "Start Menu/Programs/MORVEX.lnk" "SendTo/MORVEX.lnk"; do
    path=$users/$local_app_data/../Roaming/Microsoft/Windows/$link
    if ! [ -f "$path" ] || ! strings "$path" | grep -qxF "$folder\\morvex.exe"; then
        expect "the shortcut $link" "a shortcut to $folder\\morvex.exe" "missing"
    fi
done

# A drawing opened as Explorer opens it, with the default verb of its type. (Wine's shell looks
# only at the machine's types, not the user's: the probe names the user's type.)
drawing=$(windows_path "$work/回路図 一.ce2")
cp "$demo" "$work/回路図 一.ce2"
probe open MORVEX.ce2 "$drawing" > /dev/null || failed=1
expect "the list of the dialog opened on a drawing" "$drawing" "$(probe list)"
# In the middle of the screen (wine_display's, 1024 x 768).
read -r x y width height < <(probe rect)
expect "the dialog's place" "$(((1024 - width) / 2)) $(((768 - height) / 2))" "$x $y"
if [ -n "$screenshot" ]; then
    screenshot "$screenshot" "$x" "$y" "$width" "$height"
fi

# While it runs, an installation is refused and changes nothing.
before=$(cd "$installed" && ls -l --time-style=full-iso)
expect "the exit status of an installation over the running program" 2 "$(install)"
expect "the files after the refused installation" "$before" \
    "$(cd "$installed" && ls -l --time-style=full-iso)"
probe close > /dev/null || failed=1

# Installed again over the first installation: the same files.
expect "the second installation's exit status" 0 "$(install)"
expect "the files after the second installation" "$all_files" "$(files)"

# The settings the dialog keeps beside itself stay; all else goes. The uninstaller runs from a
# temporary copy of itself and ends a few seconds after the program that started it.
printf '[LARGE_FONT]\r\nSIZE=14\r\n' > "$installed/MORVEX.INI"
uninstaller=$(value "$uninstall_key" QuietUninstallString)
uninstaller=${uninstaller#\"}
"$wine_run" "${uninstaller%\" /S}" /S
for _ in $(seq 300); do
    value "$uninstall_key" DisplayName > /dev/null 2>&1 || break
    sleep 0.1
done
expect "the files left by the uninstaller" ./MORVEX.INI "$(files)"
expect "what the uninstaller left in the profile" \
    "$(cat "$work/profile-before" - << EOF | LC_ALL=C sort
./$local_app_data/Programs
./$local_app_data/Programs/MORVEX
./$local_app_data/Programs/MORVEX/MORVEX.INI
EOF
)" "$(profile)"
for key in "$classes\\.ce2" "$classes\\MORVEX.ce2" "$uninstall_key"; do
    if "$wine_run" reg query "$key" > /dev/null 2>&1; then
        expect "the key $key after uninstalling" "removed" "still there"
    fi
done

[ "$failed" = 0 ] &&
    echo "installer_under_wine: MORVEX installs, opens .ce2 files and uninstalls as expected"
exit $failed
