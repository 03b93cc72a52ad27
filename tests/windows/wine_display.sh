# Sourced by the tests that run morvex.exe under Wine: an X server on a display of its own (Xvfb)
# and Wine's session for windows on it, both ended when the test's shell exits; and the helpers
# the tests share. Expects wine_run (the build's wine-run), probe (dialog_probe.exe) and work (an
# empty folder) to be set.

# Starts the X server and Wine's session on it, windows drawn as Windows draws them (Wine draws
# the frame and caption itself) and with a face holding the Japanese glyphs for the dialog's font.
# The screen is 1024 × 768 pixels, or the size given (WIDTHxHEIGHT), at 96 dpi.
start_wine_display() {
    Xvfb -displayfd 3 -screen 0 "${1:-1024x768}x24" -nolisten tcp 3> "$work/display" > "$work/xvfb.log" 2>&1 &
    xvfb=$!
    for _ in $(seq 100); do
        [ -s "$work/display" ] && break
        sleep 0.1
    done
    if [ ! -s "$work/display" ]; then
        echo "$0: Xvfb did not start:" >&2
        cat "$work/xvfb.log" >&2
        exit 1
    fi
    MORVEX_WINE_DISPLAY=:$(head -n 1 "$work/display")
    export MORVEX_WINE_DISPLAY
    trap stop_wine_display EXIT
    "$wine_run" --setup
    printf 'Windows Registry Editor Version 5.00\r\n\r\n%s\r\n"Decorated"="N"\r\n\r\n%s\r\n%s\r\n' \
        '[HKEY_CURRENT_USER\Software\Wine\X11 Driver]' \
        '[HKEY_CURRENT_USER\Software\Wine\Fonts\Replacements]' \
        '"ＭＳ Ｐゴシック"="IPAPGothic"' | iconv -f UTF-8 -t UTF-16 > "$work/look.reg"
    "$wine_run" regedit /S "$work/look.reg"
    set_wine_dpi 96
}

# The dpi of the programs that start from now on (the user's LogPixels in Wine's prefix).
set_wine_dpi() {
    printf 'Windows Registry Editor Version 5.00\r\n\r\n%s\r\n"LogPixels"=dword:%08x\r\n' \
        '[HKEY_CURRENT_USER\Control Panel\Desktop]' "$1" | iconv -f UTF-8 -t UTF-16 > "$work/dpi.reg"
    "$wine_run" regedit /S "$work/dpi.reg"
}

stop_wine_display() {
    "$wine_run" --stop > /dev/null 2>&1 || true
    kill "$xvfb" 2> /dev/null || true
    wait "$xvfb" 2> /dev/null || true
}

# Windows' name of an absolute path, on Wine's drive Z:.
windows_path() {
    local path=${1//\//\\}
    printf 'Z:%s' "$path"
}

# Saves a picture of the screen's rectangle X Y WIDTH HEIGHT as a PNG file.
screenshot() {
    xwd -root -display "$MORVEX_WINE_DISPLAY" -silent | xwdtopnm 2> /dev/null |
        pnmcut "$2" "$3" "$4" "$5" | pnmtopng > "$1"
}

# What dialog_probe.exe ($probe) printed; when it fails, that goes to standard error too, and the
# status is its.
probe() {
    local out status=0
    out=$("$wine_run" "$probe" "$@") || status=$?
    printf '%s\n' "$out"
    if [ "$status" != 0 ]; then
        printf '%s: probe %s failed (%s):\n%s\n' "$(basename "$0")" "$1" "$status" "$out" >&2
    fi
    return "$status"
}

# The value NAME of the registry key KEY, its default without NAME; fails when it is missing.
value() {
    local out query=(/ve)
    [ $# = 1 ] || query=(/v "$2")
    out=$("$wine_run" reg query "$1" "${query[@]}") || return 1
    printf '%s\n' "$out" | tr -d '\r' | sed -n 's/^    .*    REG_[A-Z_]*    //p'
}

failed=0
# Notes a difference between what was expected and what came; the test fails at its end.
expect() {
    local what=$1 expected=$2 got=$3
    if [ "$got" != "$expected" ]; then
        echo "$(basename "$0"): $what:" >&2
        diff <(printf '%s\n' "$expected") <(printf '%s\n' "$got") >&2 || true
        failed=1
    fi
}
