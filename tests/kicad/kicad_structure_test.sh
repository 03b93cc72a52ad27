#!/usr/bin/env bash
# Every .kicad_sch that morvex-cli --kicad writes passes check_kicad_sch.py: for the fuzz seeds
# (converted from .ce2, and written from .ce3 as given, hostile texts among them) and for 200
# drawings of random records.
# Usage: kicad_structure_test.sh MORVEX_CLI MAKE_SEEDS NODE
set -euo pipefail
cli=$1
make_seeds=$2
node=$3
here=$(cd "$(dirname "$0")" && pwd)
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
shopt -s nullglob

"$make_seeds" "$work/seeds"
mkdir -p "$work/ce2" "$work/ce3"
for seed in "$work"/seeds/ce2/*; do
    cp "$seed" "$work/ce2/$(basename "$seed").ce2"
done
"$node" "$here/write_drawings.mjs" "$work/ce2" 200
for seed in "$work"/seeds/ce3_load/*; do
    cp "$seed" "$work/ce3/$(basename "$seed").ce3"
done
cp "$work/seeds/svg/hostile.ce3" "$work/ce3/"

# Sources that cannot be read fail the run; each that can gets its schematic, checked below.
"$cli" --quiet --kicad "$work/ce2" "$work"/ce3/*.ce3 >"$work/report" 2>&1 || true
missing=0
for ce3 in "$work"/ce2/*.ce3; do
    if [[ ! -e ${ce3%.ce3}.kicad_sch ]]; then
        echo "no KiCad schematic beside $ce3" >&2
        missing=$((missing + 1))
    fi
done
written=("$work"/ce2/*.kicad_sch "$work"/ce3/*.kicad_sch)
if ((${#written[@]} < 200 || missing > 0)); then
    echo "${#written[@]} schematics written, $missing missing; morvex-cli said:" >&2
    cat "$work/report" >&2
    exit 1
fi
/usr/bin/python3 "$here/check_kicad_sch.py" "${written[@]}"
echo "${#written[@]} schematics pass the check"
