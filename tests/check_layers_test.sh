#!/usr/bin/env bash
# scripts/check-layers on small trees: an include from a layer that is not below the file's own
# fails, naming the file and line; includes of the file's own folder and of layers below pass.
# Usage: check_layers_test.sh CHECK_LAYERS
set -euo pipefail
check=$1
tree=$(mktemp -d)
trap 'rm -rf "$tree"' EXIT

# Each case: whether the check passes, the file, and what its third line includes.
cases=(
    "pass platform/x.h platform/text.h"
    "pass app/core/y.h platform/x.h"
    "pass cli/main.cpp app/core/y.h"
    "pass web/page.cpp render/draw.h"
    "pass kicad/sheet.cpp render/draw.h"
    "fail platform/x.h app/core/y.h"
    "fail model/doc.cpp ce2/reader.h"
    "fail render/draw.h ce2/reader.h"
    "fail cli/main.cpp app/gui/dialog.h"
    "fail render/draw.h kicad/sheet.h"
    "pass app/core/y.h kicad/sheet.h"
    "fail kicad/sheet.h app/core/y.h"
)
failures=0
for entry in "${cases[@]}"; do
    read -r expected file included <<<"$entry"
    rm -rf "${tree:?}"/*
    # A tree whose includes all go down, with <system> includes the check leaves alone.
    for source in platform/text.h app/core/core.cpp cli/batch.cpp; do
        mkdir -p "$tree/$(dirname "$source")"
        printf '#include <string>\n#include "platform/text.h"\n' >"$tree/$source"
    done
    mkdir -p "$tree/$(dirname "$file")"
    printf '#pragma once\n\n#include "%s"\n' "$included" >"$tree/$file"
    status=0
    out=$("$check" "$tree" 2>&1) || status=$?
    folder=${file%%/*}
    [[ $folder == app ]] && folder=$(cut -d/ -f1-2 <<<"$file")
    if [[ $expected == pass && ($status != 0 || -n $out) ]]; then
        echo "$file including $included: refused (status $status): $out" >&2
        failures=$((failures + 1))
    elif [[ $expected == fail && $status == 0 ]]; then
        echo "$file including $included: passed" >&2
        failures=$((failures + 1))
    elif [[ $expected == fail &&
        $out != "$file:3: $folder includes $included, from a layer that is not below it" ]]; then
        echo "$file including $included: not named as expected: $out" >&2
        failures=$((failures + 1))
    fi
done

# A tree without a single include of the project's own passes too.
rm -rf "${tree:?}"/*
mkdir -p "$tree/platform"
printf '#include <string>\n' >"$tree/platform/x.h"
if ! out=$("$check" "$tree" 2>&1); then
    echo "a tree without includes of the project's own: refused: $out" >&2
    failures=$((failures + 1))
fi

if ((failures > 0)); then
    exit 1
fi
echo "${#cases[@]} trees and one without includes checked"
