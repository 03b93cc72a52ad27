#!/usr/bin/env bash
# Opens each schematic in KiCad 6's schematic editor on a private X server and fails, naming the
# file and the window, when KiCad refuses it or shows any dialog while loading it. With
# --netlist DIR it also exports KiCad's netlist of each file to DIR/NAME.net.
# Usage: kicad_open.sh [--netlist DIR] [--screenshot PNG] FILE.kicad_sch...
# KICAD_WAIT (seconds, default 300) bounds each wait for a window or a file; a busy machine
# only makes the polls take longer, it does not fail them.
set -euo pipefail

netlists=
screenshot=
while [[ $# -gt 0 ]]; do
    case $1 in
    --netlist) mkdir -p "$2" && netlists=$(realpath "$2") && shift 2 ;;
    --screenshot) screenshot=$(realpath "$2") && shift 2 ;;
    --) shift && break ;;
    -*) echo "kicad_open.sh: unknown option $1" >&2 && exit 2 ;;
    *) break ;;
    esac
done
[[ $# -gt 0 ]] || {
    echo "usage: kicad_open.sh [--netlist DIR] [--screenshot PNG] FILE.kicad_sch..." >&2
    exit 2
}
for tool in Xvfb eeschema xdotool; do
    command -v "$tool" >/dev/null || { echo "kicad_open.sh: $tool is not installed" >&2 && exit 2; }
done
ceiling=${KICAD_WAIT:-300}

work=$(mktemp -d)
xvfb=
editor=
cleanup() {
    [[ -n $editor ]] && kill "$editor" 2>/dev/null && wait "$editor" 2>/dev/null
    [[ -n $xvfb ]] && kill "$xvfb" 2>/dev/null && wait "$xvfb" 2>/dev/null
    rm -rf "$work"
}
trap cleanup EXIT
trap 'exit 130' INT TERM

# A private home whose empty library tables and settings spare KiCad its first-start dialogs, and
# which binds the netlist export to a key, so no menu has to be walked.
export HOME=$work/home
settings=$HOME/.config/kicad/6.0
mkdir -p "$settings"
printf '(sym_lib_table\n)\n' >"$settings/sym-lib-table"
printf '(fp_lib_table\n)\n' >"$settings/fp-lib-table"
printf '{}\n' >"$settings/kicad_common.json"
printf 'eeschema.EditorControl.exportNetlist\tCtrl+Shift+Alt+N\n' >"$settings/user.hotkeys"

# Calls the command (a function) every tenth of a second until it succeeds; fails after the
# ceiling, printing what it waited for.
wait_for() {
    local what=$1
    shift
    local deadline=$((SECONDS + ceiling))
    until "$@"; do
        if ((SECONDS >= deadline)); then
            echo "kicad_open.sh: no $what after ${ceiling}s" >&2
            return 1
        fi
        sleep 0.1
    done
}

: >"$work/display"
Xvfb -displayfd 3 -nolisten tcp -noreset -screen 0 1280x1024x24 3>"$work/display" >"$work/xvfb.log" 2>&1 &
xvfb=$!
display_ready() { grep -q '^[0-9]' "$work/display"; }
wait_for "X server" display_ready || { cat "$work/xvfb.log" >&2 && exit 1; }
DISPLAY=:$(head -n 1 "$work/display")
export DISPLAY
server_answers() { xdotool getmouselocation >/dev/null 2>&1; }
wait_for "answer from the X server" server_answers

# The visible windows that have a title, one "ID TITLE" a line.
titled_windows() {
    local id title
    for id in $(xdotool search --onlyvisible --name '' 2>/dev/null); do
        title=$(xdotool getwindowname "$id" 2>/dev/null) || continue
        [[ -n $title ]] && printf '%s %s\n' "$id" "$title"
    done
    return 0
}

# Sets $found to the first titled window that is not one of the given titles (extended regular
# expressions over the whole title) nor the editor's progress window, or to nothing.
unexpected_window() {
    local allowed id title
    found=
    while read -r id title; do
        for allowed in "$@" 'Loading Schematic'; do
            [[ $title =~ ^($allowed)$ ]] && continue 2
        done
        found=$title
        return 0
    done < <(titled_windows)
    return 0
}

# Waits until a window titled as given is visible (with "gone:" before the title, until none
# is), setting $window_id to it; fails as soon as another titled window shows than those given
# after the file. The editor's own window, with a file or with none, is expected throughout.
# With $press set, sends that key again every two seconds while waiting: the editor drops keys
# that come before it is ready for them, and shows nothing to say when it is. With $until set,
# a window gone is awaited until that command succeeds, too.
press=
until=
window_id=
await_window() {
    local wanted=$1 file=$2
    shift 2
    local pattern=${wanted#gone:} deadline=$((SECONDS + ceiling)) polls=0
    window_id=
    while :; do
        unexpected_window "$pattern" "$main" '\[no schematic loaded\] — Schematic Editor' "$@"
        if [[ -n $found ]]; then
            echo "$file: KiCad shows the window \"$found\"" >&2
            return 1
        fi
        window_id=$(xdotool search --onlyvisible --name "^($pattern)\$" 2>/dev/null | head -n 1)
        if [[ $wanted == gone:* ]]; then
            [[ -z $window_id ]] && { [[ -z $until ]] || $until; } && return 0
        elif [[ -n $window_id ]]; then
            return 0
        fi
        if ! kill -0 "$editor" 2>/dev/null; then
            echo "$file: the schematic editor ended while waiting for the window \"$wanted\"" >&2
            return 1
        fi
        if ((SECONDS >= deadline)); then
            echo "$file: still waiting for the window \"$wanted\" after ${ceiling}s" >&2
            return 1
        fi
        [[ -n $press ]] && ((polls++ % 20 == 0)) && xdotool key --clearmodifiers "$press"
        sleep 0.1
    done
}

quote_regex() { sed 's/[][\.*^$+?(){}|]/\\&/g' <<<"$1"; }

# The editor in a process group of its own: started in this script's group, without job control,
# it takes none of the keys sent to it.
set -m
failures=0
index=0
for file in "$@"; do
    # A copy in a folder of its own, beside which the editor writes the netlist under the name it
    # proposes, so that no path has to be typed.
    index=$((index + 1))
    name=$(basename "$file" .kicad_sch)
    copy=$work/files/$index/$name.kicad_sch
    mkdir -p "$(dirname "$copy")"
    cp "$file" "$copy"
    netlist=${copy%.kicad_sch}.net
    main="$(quote_regex "$name") \[.*\] — Schematic Editor"
    eeschema "$copy" >"$work/editor.log" 2>&1 &
    editor=$!
    ok=true
    # Loaded: the editor's window names the file. The netlist dialog opening on the editor's key
    # then shows that no dialog holds the editor, also none that came after the title.
    await_window "$main" "$file" || ok=false
    if $ok; then
        # The editor's keys work once its canvas has the keyboard: a click on it, beside the
        # drawing sheet, gives it that (with no window manager to give its window the keyboard).
        xdotool windowfocus --sync "$window_id" 2>/dev/null || true
        xdotool mousemove --window "$window_id" 1150 300 click 1
        press=ctrl+shift+alt+n await_window 'Export Netlist' "$file" || ok=false
    fi
    if $ok && [[ -n $netlists ]]; then
        # The dialog's default button exports; the file chooser's, saves. The editor closes its
        # dialog once the netlist is written, or asks instead for the schematic to be annotated
        # (references missing or repeated). Each key is sent again only after a look that found
        # its dialog still open, so a late one hardly ever meets the dialog after it.
        press=Return await_window 'Save Netlist File' "$file" 'Export Netlist' || ok=false
        $ok && { press=Return await_window 'gone:Save Netlist File' "$file" 'Export Netlist' || ok=false; }
        netlist_written() { [[ -s $netlist ]]; }
        $ok && { until=netlist_written await_window 'gone:Export Netlist' "$file" || ok=false; }
        $ok && cp "$netlist" "$netlists/$name.net"
    fi
    if $ok && [[ -n $screenshot ]]; then
        press=Escape await_window 'gone:Export Netlist' "$file" || ok=false
        $ok && { await_window "$main" "$file" || ok=false; }
        if $ok; then
            # Zoomed to the drawing, the pointer off the canvas; taken once two pictures in a row
            # are the same and not the one before the zoom.
            capture() { xwd -id "$window_id" -silent | xwdtopnm 2>/dev/null | pnmtopng; }
            capture >"$work/before.png"
            xdotool mousemove 640 1000 key --clearmodifiers ctrl+Home
            cp "$work/before.png" "$work/last.png"
            settled() {
                capture >"$work/now.png"
                ! cmp -s "$work/now.png" "$work/before.png" && cmp -s "$work/now.png" "$work/last.png" &&
                    return 0
                mv "$work/now.png" "$work/last.png"
                return 1
            }
            wait_for "zoomed picture of $file" settled || ok=false
            $ok && cp "$work/now.png" "$screenshot"
        fi
    fi
    kill "$editor" 2>/dev/null || true
    wait "$editor" 2>/dev/null || true
    editor=
    # The editor's lock on the file, left behind by its end.
    rm -f "$HOME"/.cache/kicad_v6.0/*.lock
    if ! $ok; then
        failures=$((failures + 1))
        sed 's/^/  kicad: /' "$work/editor.log" >&2
    fi
done
if ((failures > 0)); then
    echo "kicad_open.sh: $failures of $# files not opened cleanly" >&2
    exit 1
fi
