#!/usr/bin/env bash
# The translated manual pages: po4a finds a translation for every paragraph of each English page;
# the built page renders with man under the language's locale without a warning of groff; and
# every option that the English page describes is described in the translated page too.
# Usage: manual_translation_test.sh PO4A-TRANSLATE PO-FILE BUILT-PAGES-DIR LOCPATH LOCALE PAGE.in...
# LOCPATH holds LOCALE, a locale of the language (ja_JP.UTF-8).
set -euo pipefail
po4a_translate=$1
po=$2
built=$3
locpath=$4
locale=$5
shift 5

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
failures=0
fail() {
    echo "manual_translation_test: $*" >&2
    failures=$((failures + 1))
}

# The options named on the line after each .TP of a page, as roff source.
tp_options() {
    sed -n '/^\.TP/{n;p;}' "$1" | sed 's/\\f[BIRP]//g; s/\\-/-/g' |
        grep -o -- '--*[A-Za-z][A-Za-z0-9-]*' | sort -u || true
}

for source in "$@"; do
    page=$(basename "$source" .in)
    # -k 100: a page with any paragraph left untranslated is not written (po4a says so, and
    # exits with status 0).
    rm -f "$work/$page"
    # po4a hands the catalogue's path to msgfmt through a shell, unquoted: it is given from the
    # catalogue's folder, so that a path with a space works.
    if ! (cd "$(dirname "$po")" && "$po4a_translate" -f man -M UTF-8 -L UTF-8 -k 100 \
        -m "$source" -p "$(basename "$po")" -l "$work/$page") > "$work/po4a.txt" 2>&1 ||
        [[ ! -s $work/$page ]]; then
        fail "$page: paragraphs without a translation in $po:"
        cat "$work/po4a.txt" >&2
    fi

    translated=$built/$page
    # man --warnings=w: every warning of groff.
    if ! LOCPATH=$locpath LC_ALL= LANGUAGE= LANG=$locale MANWIDTH=80 man --warnings=w -l "$translated" \
        > "$work/shown.txt" 2> "$work/warnings.txt"; then
        fail "$page: man failed"
    fi
    if [[ -s $work/warnings.txt ]]; then
        fail "$page: groff warns:"
        cat "$work/warnings.txt" >&2
    fi
    # The page is shown in the language: its heading of the name is not the English one.
    if [[ ! -s $work/shown.txt ]] || grep -qx 'NAME' "$work/shown.txt"; then
        fail "$page: not shown translated:"
        head -5 "$work/shown.txt" >&2
    fi

    english=$(tp_options "$source")
    [[ -n $english ]] || fail "$page: no options found in $source"
    missing=$(comm -23 <(echo "$english") <(tp_options "$translated"))
    [[ -z $missing ]] || fail "$page: options of the English page not described: $missing"
done

if ((failures > 0)); then
    exit 1
fi
echo "$# pages translated whole, rendered without warnings, every option described"
