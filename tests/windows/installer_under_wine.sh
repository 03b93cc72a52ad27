#!/usr/bin/env bash
# The installer under Wine, in a prefix of its own: a silent installation leaves the files, the
# shortcuts and the keys of the .ce2 type and of Apps, and its folder at the end of the user's
# PATH, whose 2,000 characters stay whole; a drawing opened through the type is listed; an
# installation over the running program is refused; a second one without the PATH option
# (/NOPATH) takes the folder off PATH again; after a third, a new cmd runs morvex-cli by its name;
# the silent uninstaller leaves nothing but the settings file, and PATH as it was. With SCREENSHOT, a picture of the dialog
# opened through the type is left there too.
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

# The user's profile, but for the uninstaller's temporary copy, which goes at the next start.
users=$MORVEX_WINE_PREFIX-gui/drive_c/users
profile() {
    (cd "$users" && find . | grep -v '/Temp/~nsu[^/]*\.tmp' | LC_ALL=C sort)
}
# The profile as it was, with these paths added.
profile_with() {
    printf '%s\n' "$@" | cat "$work/profile-before" - | LC_ALL=C sort
}

# A path of the user's profile with its variables expanded, and where it is in the prefix.
expand() {
    "$wine_run" cmd /c echo "$1" | tr -d '\r'
}
in_profile() {
    local path=${1#*\\users\\}
    printf './%s' "${path//\\//}"
}

install() {
    local status=0
    "$wine_run" "$setup" /S "$@" || status=$?
    echo "$status"
}

# The user's PATH, over 2,000 characters, with an entry that differs from the installer's own only
# in its end.
environment='HKCU\Environment'
user_path="C:\Tools;%SystemRoot%\system32;$(printf 'C:\Long folder %04d;' $(seq 1 100))"
user_path="${user_path}C:\Users\Programs\MORVEX2"
"$wine_run" reg add "$environment" /v Path /t REG_EXPAND_SZ /d "$user_path" /f > /dev/null

profile > "$work/profile-before"
expect "the installation's exit status" 0 "$(install)"
windows_folder=$(expand '%LOCALAPPDATA%\Programs\MORVEX')
folder=$(in_profile "$windows_folder")
shell=$(in_profile "$(expand '%APPDATA%\Microsoft\Windows')")
installed=$(printf '%s\n' "$folder"{,/LICENSE.txt,/README.ja.txt,/README.txt,/licenses,/licenses/CLI11.txt} \
    "$folder"/{licenses/mingw-w64.txt,morvex-cli.exe,morvex.exe,uninstall.exe} \
    "${folder%/*}" "$shell/SendTo/MORVEX.lnk" "$shell/Start Menu/Programs/MORVEX.lnk")
expect "the installed files and shortcuts" "$(profile_with "$installed")" "$(profile)"
for link in SendTo "Start Menu/Programs"; do
    strings "$users/$shell/$link/MORVEX.lnk" | grep -qxF "$windows_folder\\morvex.exe" ||
        expect "the target of $link\\MORVEX.lnk" "$windows_folder\\morvex.exe" "another"
done

expect "the user's PATH" "$user_path;$windows_folder" "$(value "$environment" Path)"

classes='HKCU\Software\Classes'
apps='HKCU\Software\Microsoft\Windows\CurrentVersion\Uninstall\MORVEX'
expect "the keys of .ce2 and Apps" "$(printf '%s\n' MORVEX.ce2 '' "$windows_folder\\morvex.exe,0" \
    'Open with MORVEX' "\"$windows_folder\\morvex.exe\" \"%1\"" MORVEX \
    "$(basename "$setup" | sed 's/^morvex-\(.*\)-setup\.exe$/\1/')" \
    "\"$windows_folder\\uninstall.exe\" /S")" \
    "$(value "$classes\\.ce2" && value "$classes\\.ce2\\OpenWithProgids" MORVEX.ce2 &&
        value "$classes\\MORVEX.ce2\\DefaultIcon" && value "$classes\\MORVEX.ce2\\shell\\open" &&
        value "$classes\\MORVEX.ce2\\shell\\open\\command" && value "$apps" DisplayName &&
        value "$apps" DisplayVersion && value "$apps" QuietUninstallString)"

# Opened as Explorer opens a .ce2 file (Wine's shell reads the machine's types only: the probe
# names the user's), the dialog lists the drawing, in the middle of the 1024 x 768 screen.
cp "$demo" "$work/回路図 一.ce2"
drawing=$(windows_path "$work/回路図 一.ce2")
probe open MORVEX.ce2 "$drawing" > /dev/null || failed=1
expect "the list of the dialog opened on a drawing" "$drawing" "$(probe list)"
read -r x y width height < <(probe rect)
expect "the dialog's place" "$(((1024 - width) / 2)) $(((768 - height) / 2))" "$x $y"
[ -z "$screenshot" ] || screenshot "$screenshot" "$x" "$y" "$width" "$height"

before=$(cd "$users/$folder" && ls -l --full-time)
expect "the exit status over the running program" 2 "$(install)"
expect "the files after the refusal" "$before" "$(cd "$users/$folder" && ls -l --full-time)"
probe close > /dev/null || failed=1
expect "the second installation's exit status" 0 "$(install /NOPATH)"
expect "the files after the second installation" "$(profile_with "$installed")" "$(profile)"
expect "the user's PATH after an installation without it" "$user_path" \
    "$(value "$environment" Path)"
# Wine cuts a value of HKCU\Environment to 1,023 characters when it builds the environment of a
# new process, so the program's name is looked up on a short PATH.
short_path='C:\Tools'
"$wine_run" reg add "$environment" /v Path /t REG_EXPAND_SZ /d "$short_path" /f > /dev/null
expect "the third installation's exit status" 0 "$(install)"
expect "the user's short PATH" "$short_path;$windows_folder" "$(value "$environment" Path)"
expect "the exit status and output of morvex-cli by its name in a new cmd" "0 morvex-cli 1.0.0" \
    "$(cd "$work" && out=$("$wine_run" cmd /c morvex-cli --version) && echo "0 $out" | tr -d '\r')"

# The uninstaller runs from a temporary copy of itself and ends some seconds after its start,
# removing its own key before its last files: it is waited for until both are gone (at most 60 s).
printf '[LARGE_FONT]\r\nSIZE=14\r\n' > "$users/$folder/MORVEX.INI"
"$wine_run" "$windows_folder\\uninstall.exe" /S
left=$(profile_with "${folder%/*}" "$folder" "$folder/MORVEX.INI")
for _ in $(seq 600); do
    ! value "$apps" DisplayName > /dev/null 2>&1 && [ "$(profile)" = "$left" ] && break
    sleep 0.1
done
expect "what the uninstaller left" "$left" "$(profile)"
expect "the user's PATH after the uninstallation" "$short_path" "$(value "$environment" Path)"
for key in "$classes\\.ce2" "$classes\\MORVEX.ce2" "$apps"; do
    ! "$wine_run" reg query "$key" > /dev/null 2>&1 || expect "$key" "removed" "still there"
done

[ "$failed" = 0 ] && echo "installer_under_wine: installs, opens .ce2 files and uninstalls as expected"
exit $failed
