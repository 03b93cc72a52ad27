#!/usr/bin/env bash
# The MSI under Wine's msiexec, in a fresh prefix of its own: a silent installation puts the
# files, the Start-menu shortcut, the .ce2 type under HKLM\Software\Classes, the Apps entry and the
# folder on the system PATH in place, and a new cmd runs morvex-cli by its name; ASSOCIATE=0
# ADDTOPATH=0 adds neither type nor PATH; where another program holds .ce2, MORVEX is only added to
# "Open with"; a higher version upgrades in place; each silent uninstallation leaves the prefix as
# it was.
#
# What Wine's msiexec does otherwise than Windows, and the test therefore allows: it writes the
# appended PATH entry with a separator too many ("…;;C:\Program Files\MORVEX\") and takes out the
# entry but not its separators, so PATH is compared without its empty entries; and its
# ProgramMenuFolder of a per-machine installation is at times the user's Start menu, not the
# machine's, so the shortcut may be in either.
#
# usage: msi_under_wine.sh WINE-RUN MSI MAKE-MSI STAGE-DIR ICON WORK-DIR
set -euo pipefail

wine_run=$1
msi=$2
make_msi=$3
stage=$4
icon=$5
work=$6

rm -rf "$work"
mkdir -p "$work"
work=$(cd "$work" && pwd)
MORVEX_WINE_PREFIX=$work/prefix
export MORVEX_WINE_PREFIX
unset MORVEX_WINE_DISPLAY
source "$(dirname "$0")/wine_display.sh"
"$wine_run" --setup
trap '"$wine_run" --stop > /dev/null 2>&1 || true' EXIT

# The same files as version 1.0.1, for the upgrade.
version=$(basename "$msi" | sed 's/^morvex-\(.*\)-x64\.msi$/\1/')
newer=$work/morvex-1.0.1-x64.msi
SOURCE_DATE_EPOCH=1700000000 "$make_msi" "$newer" 1.0.1 "$stage" "$icon" 2> "$work/make-msi.log"

msiexec() {
    local status=0
    "$wine_run" msiexec "$@" /qn || status=$?
    echo "$status"
}

classes='HKLM\Software\Classes'
environment='HKLM\System\CurrentControlSet\Control\Session Manager\Environment'
apps='HKLM\Software\Microsoft\Windows\CurrentVersion\Uninstall'
drive=$MORVEX_WINE_PREFIX/drive_c
folder='C:\Program Files\MORVEX'
menus=("ProgramData/Microsoft/Windows/Start Menu"
    "users/$(id -un)/AppData/Roaming/Microsoft/Windows/Start Menu")
# The system PATH, one entry a line, without empty ones.
system_path() {
    value "$environment" PATH | tr ';' '\n' | grep -v '^$'
}
# What an installation may change: the files of Program Files and of the Start menus, the keys of
# .ce2, the Apps entries of MORVEX and the system PATH.
state() {
    (cd "$drive" && find "Program Files" "${menus[@]}" | LC_ALL=C sort)
    "$wine_run" reg query "$classes\\.ce2" /s 2> /dev/null | tr -d '\r' | grep -v '^$' || true
    "$wine_run" reg query "$classes\\MORVEX.ce2" /s 2> /dev/null | tr -d '\r' | grep -v '^$' || true
    "$wine_run" reg query "$apps" /s /f MORVEX 2> /dev/null | tr -d '\r' | grep -i 'morvex' || true
    system_path
}
installed_files() {
    printf '%s\n' "Program Files/MORVEX"{,/LICENSE.txt,/README.ja.txt,/README.txt,/licenses} \
        "Program Files/MORVEX"/{licenses/CLI11.txt,licenses/mingw-w64.txt,morvex-cli.exe,morvex.exe} \
        "Start Menu/Programs/MORVEX.lnk"
}
# The files of MORVEX in Program Files and the Start menus, the menus' part of their paths left out.
found_files() {
    (cd "$drive" && find "Program Files" "${menus[@]}" -path '*MORVEX*' |
        sed 's|^.*/Start Menu/|Start Menu/|' | LC_ALL=C sort)
}
# The Apps entry whose DisplayName is MORVEX: its DisplayVersion.
apps_versions() {
    local key
    for key in $("$wine_run" reg query "$apps" | tr -d '\r' | grep -o '{[-0-9A-F]*}$'); do
        [ "$(value "$apps\\$key" DisplayName 2> /dev/null)" != MORVEX ] ||
            value "$apps\\$key" DisplayVersion
    done
}

path_before=$(system_path)
path_with_folder=$(printf '%s\n%s\\\n' "$path_before" "$folder")
state > "$work/before"

expect "the installation's exit status" 0 "$(msiexec /i "$(windows_path "$msi")")"
expect "the installed files and shortcut" "$(installed_files)" "$(found_files)"
for menu in "${menus[@]}"; do
    strings "$drive/$menu/Programs/MORVEX.lnk" 2> /dev/null
done | grep -qxF "$folder\\morvex.exe" || expect "the shortcut's target" "$folder\\morvex.exe" other
expect "the keys of .ce2" "$(printf '%s\n' MORVEX.ce2 '' "$folder\\morvex.exe,0" \
    'Open with MORVEX' "\"$folder\\morvex.exe\" \"%1\"")" \
    "$(value "$classes\\.ce2" && value "$classes\\.ce2\\OpenWithProgids" MORVEX.ce2 &&
        value "$classes\\MORVEX.ce2\\DefaultIcon" && value "$classes\\MORVEX.ce2\\shell\\open" &&
        value "$classes\\MORVEX.ce2\\shell\\open\\command")"
expect "the Apps entry's version" "$version" "$(apps_versions)"
expect "the system PATH" "$path_with_folder" "$(system_path)"
expect "the exit status and output of morvex-cli by its name in a new cmd" "0 morvex-cli $version" \
    "$(cd "$work" && out=$("$wine_run" cmd /c morvex-cli --version) && echo "0 $out" | tr -d '\r')"

# 1.0.1 over 1.0.0: one installation, of the newer version.
expect "the upgrade's exit status" 0 "$(msiexec /i "$(windows_path "$newer")")"
expect "the Apps entry's version after the upgrade" 1.0.1 "$(apps_versions)"
expect "the system PATH after the upgrade" "$path_with_folder" "$(system_path)"
expect "the .ce2 type after the upgrade" MORVEX.ce2 "$(value "$classes\\.ce2")"
expect "the uninstallation's exit status" 0 "$(msiexec /x "$(windows_path "$newer")")"
expect "the prefix after the uninstallation" "$(cat "$work/before")" "$(state)"

# Neither file type nor PATH.
expect "the exit status without type and PATH" 0 \
    "$(msiexec /i "$(windows_path "$msi")" ASSOCIATE=0 ADDTOPATH=0)"
expect "the files without type and PATH" "$(installed_files)" "$(found_files)"
! "$wine_run" reg query "$classes\\MORVEX.ce2" > /dev/null 2>&1 || expect "MORVEX.ce2" absent present
expect "the system PATH without PATH" "$path_before" "$(system_path)"
expect "the second uninstallation's exit status" 0 "$(msiexec /x "$(windows_path "$msi")")"
expect "the prefix after the second uninstallation" "$(cat "$work/before")" "$(state)"

# .ce2 held by another program: MORVEX is offered under "Open with" only, and leaves the holder.
"$wine_run" reg add "$classes\\.ce2" /ve /d Editor.ce2 /f > /dev/null
state > "$work/held"
expect "the exit status where .ce2 is held" 0 "$(msiexec /i "$(windows_path "$msi")")"
expect "the .ce2 type and Open with where it is held" "$(printf '%s\n' Editor.ce2 '')" \
    "$(value "$classes\\.ce2" && value "$classes\\.ce2\\OpenWithProgids" MORVEX.ce2)"
expect "the third uninstallation's exit status" 0 "$(msiexec /x "$(windows_path "$msi")")"
expect "the prefix after the third uninstallation" "$(cat "$work/held")" "$(state)"

[ "$failed" = 0 ] && echo "msi_under_wine: installs, upgrades and uninstalls as expected"
exit $failed
