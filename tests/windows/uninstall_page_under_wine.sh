#!/usr/bin/env bash
# The README's picture of the uninstaller's page where the user chooses what goes, in Japanese
# under Wine: installed silently in a prefix of its own, the uninstaller is started in a Japanese
# locale, led to its second page, and the pointer put on the settings, whose description shows.
#
# usage: uninstall_page_under_wine.sh WINE-RUN SETUP-EXE LOCPATH WORK-DIR PICTURE.png
set -euo pipefail

wine_run=$1
setup=$2
locpath=$3
work=$4
picture=$5

rm -rf "$work"
mkdir -p "$work" "$locpath"
work=$(cd "$work" && pwd)
[ -e "$locpath/ja_JP.UTF-8" ] || localedef -i ja_JP -f UTF-8 "$locpath/ja_JP.UTF-8"
MORVEX_WINE_PREFIX=$work/prefix
export MORVEX_WINE_PREFIX
source "$(dirname "$0")/wine_display.sh"
start_wine_display
export DISPLAY=$MORVEX_WINE_DISPLAY

"$wine_run" "$setup" /S /NOPATH
uninstaller=$(cd "$MORVEX_WINE_PREFIX-gui/drive_c" &&
    find . -path '*/Programs/MORVEX/uninstall.exe' | sed 's|^\.|C:|; s|/|\\|g')
MORVEX_WINE_LOCALE=ja_JP.UTF-8 LOCPATH=$locpath "$wine_run" "$uninstaller" &

# The uninstaller's window, once it shows.
window=
for _ in $(seq 300); do
    window=$(xdotool search --onlyvisible --name 'MORVEX' 2> /dev/null | head -n 1) && [ -n "$window" ] && break
    sleep 0.1
done
[ -n "$window" ] || { echo "$0: the uninstaller's window did not show" >&2; exit 1; }
# The first page names the folder; Next leads to the choice.
sleep 1
xdotool key --window "$window" Return
sleep 1
eval "$(xdotool getwindowgeometry --shell "$window")"
# The settings are the second item of the list, in the middle of the page.
xdotool mousemove $((X + 270)) $((Y + 185))
sleep 1
screenshot "$picture" "$X" "$Y" "$WIDTH" "$HEIGHT"
xdotool key --window "$window" Escape
echo "uninstall_page_under_wine: $picture"
