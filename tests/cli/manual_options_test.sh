#!/usr/bin/env bash
# The manual page documents every option that --help lists, and no other: an option added to the
# program must be described in the page.
# Usage: manual_options_test.sh PROGRAM PAGE
set -euo pipefail
program=$1
page=$2

# The first word of each option line of the help, split at its commas: -h,--help gives two.
help_options() {
    LC_ALL=C LANGUAGE= "$program" --help | sed -n 's/^ \{1,\}\(-[^ ]*\).*/\1/p' | tr ',' '\n' |
        sort -u
}

# The options named on the line after each .TP of the page's OPTIONS section.
page_options() {
    sed -n '/^\.SH OPTIONS/,/^\.SH [^O]/p' "$page" | sed -n '/^\.TP/{n;p;}' | sed 's/\\-/-/g' |
        grep -o -- '--*[A-Za-z][A-Za-z0-9-]*' | sort -u
}

listed=$(help_options)
documented=$(page_options)
if ! grep -qx -- --help <<<"$listed" || ! grep -qx -- --version <<<"$listed"; then
    echo "the help of $program lists no options:" >&2
    LC_ALL=C "$program" --help >&2
    exit 1
fi
if [[ $listed != "$documented" ]]; then
    echo "options of --help (<) and of $page (>) differ:" >&2
    diff <(echo "$listed") <(echo "$documented") >&2 || true
    exit 1
fi
echo "$(wc -l <<<"$listed") options, all documented"
