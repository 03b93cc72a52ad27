#!/usr/bin/env bash
# The bash completion offers every option the manual page documents (which are those of --help),
# and as paths the drawings in any letter case and directories; a settings file may be any file.
# Usage: completion_test.sh PROGRAM COMPLETION PAGE
set -euo pipefail
program=$(realpath "$1")
completion=$(realpath "$2")
page=$(realpath "$3")

source /usr/share/bash-completion/bash_completion
source "$completion"
PATH=$(dirname "$program"):$PATH

# What the completion offers for "morvex-cli WORD...", the last word being completed, sorted.
offered() {
    COMP_WORDS=(morvex-cli "$@")
    COMP_CWORD=$#
    COMP_LINE="${COMP_WORDS[*]}"
    COMP_POINT=${#COMP_LINE}
    COMPREPLY=()
    _morvex_cli morvex-cli "${COMP_WORDS[COMP_CWORD]}" "${COMP_WORDS[COMP_CWORD - 1]}"
    if ((${#COMPREPLY[@]} > 0)); then
        printf '%s\n' "${COMPREPLY[@]}" | sort | tr '\n' ' '
    fi
}

documented=$(sed -n '/^\.SH OPTIONS/,/^\.SH [^O]/p' "$page" | sed -n '/^\.TP/{n;p;}' |
    sed 's/\\-/-/g' | grep -o -- '--*[A-Za-z][A-Za-z0-9-]*' | sort | tr '\n' ' ')

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
cd "$work"
mkdir folder
touch a.ce2 B.CE2 c.ce3 Mixed.Ce2 notes.txt fonts.ini

failures=0
while IFS='|' read -r words expected; do
    read -ra args <<<"$words"
    [[ $words == *' ' || -z $words ]] && args+=("")
    actual=$(offered "${args[@]}")
    if [[ $actual != "$expected" ]]; then
        echo "morvex-cli ${words}<TAB>: offered [$actual], expected [$expected]" >&2
        failures=$((failures + 1))
    fi
done <<EOT
-|$documented
--s|--settings --small-face --small-size --svg 
--k|--kicad 
-q --l|--large-face --large-size 
|B.CE2 Mixed.Ce2 a.ce2 c.ce3 folder 
--quiet |B.CE2 Mixed.Ce2 a.ce2 c.ce3 folder 
--settings |B.CE2 Mixed.Ce2 a.ce2 c.ce3 folder fonts.ini notes.txt 
--settings f|folder fonts.ini 
--large-size |
--small-face |
EOT
if ((failures > 0)); then
    exit 1
fi
[[ -n $documented ]] || { echo "no options found in $page" >&2; exit 1; }
echo "completion offers: $documented"
