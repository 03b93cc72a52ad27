#!/usr/bin/env bash
# KiCad 6 opens what morvex-cli --kicad writes without an error or any other dialog: the demo,
# five drawings of random records, the fuzz seeds' .ce3 file of hostile texts and coordinates,
# and two drawings of parts, wires and labels. For the demo and
# those two, KiCad's netlist lists as many nets as morvex-cli's report line says, and the labels
# named below name nets of that netlist. First, the KiCad driver itself: it passes a sample and its netlist, and
# fails a copy of the sample that KiCad refuses.
# Usage: kicad_in_kicad_test.sh MORVEX_CLI MAKE_SEEDS NODE SOURCE_DIR
set -euo pipefail
cli=$1
make_seeds=$2
node=$3
source=$4
here=$(cd "$(dirname "$0")" && pwd)
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
mkdir -p "$work/in" "$work/nets" "$work/refused"
failures=0
fail() {
    echo "FAILED: $*" >&2
    failures=$((failures + 1))
}

# Drawings of parts (bodies 20 units square, to the upper left of X, Y) with wires ending on their
# sides, written as .ce3 files, which --kicad takes as they are.
write_ce3() {
    {
        echo '+TOVR3_DATA_V.1.0'
        echo '+SHEETINFO,EL:0,VL:0,W:1600,H:1200,-SHEETINFO'
        cat
        echo '-TOVR3_DATA_V.1.0'
    } | sed 's/$/\r/' >"$work/in/$1.ce3"
}
# A net through a junction's T and two wires end to end, a labelled net, a part's pin alone.
write_ce3 parts-joined <<'CE3'
+COMPONENT,L:0,X:200,Y:200,LIB:NAND,DIR:0,BLK:0,N:U1,NX:2,NY:20,R:U1,RX:2,RY:10,-COMPONENT
+WIRE,L:0,X1:100,Y1:190,X2:180,Y2:190,-WIRE
+LABEL,L:0,X:120,Y:185,D:0,S:IN_A,-LABEL
+WIRE,L:0,X1:200,Y1:190,X2:300,Y2:190,-WIRE
+LABEL,L:0,X:270,Y:185,D:0,S:OUT_Y,-LABEL
+COMPONENT,L:0,X:400,Y:200,LIB:RESISTOR,DIR:0,BLK:0,N:R2,NX:2,NY:20,R:R2,RX:2,RY:10,-COMPONENT
+WIRE,L:0,X1:300,Y1:190,X2:380,Y2:190,-WIRE
+WIRE,L:0,X1:400,Y1:190,X2:500,Y2:190,-WIRE
+WIRE,L:0,X1:250,Y1:190,X2:250,Y2:300,-WIRE
+JUNCTION,L:0,X:250,Y:190,-JUNCTION
+COMPONENT,L:0,X:260,Y:320,LIB:RESISTOR,DIR:0,BLK:0,N:R3,NX:2,NY:20,R:R3,RX:2,RY:10,-COMPONENT
CE3
# One label text on two wires, a T-join without a junction, a label on no wire.
write_ce3 parts-apart <<'CE3'
+COMPONENT,L:0,X:200,Y:200,LIB:BUFFER,DIR:0,BLK:0,N:A,NX:2,NY:20,R:U1,RX:2,RY:10,-COMPONENT
+WIRE,L:0,X1:100,Y1:190,X2:180,Y2:190,-WIRE
+LABEL,L:0,X:120,Y:185,D:0,S:DATA,-LABEL
+COMPONENT,L:0,X:200,Y:400,LIB:BUFFER,DIR:0,BLK:0,N:B,NX:2,NY:20,R:U2,RX:2,RY:10,-COMPONENT
+WIRE,L:0,X1:100,Y1:390,X2:180,Y2:390,-WIRE
+LABEL,L:0,X:120,Y:385,D:0,S:DATA,-LABEL
+WIRE,L:0,X1:200,Y1:190,X2:300,Y2:190,-WIRE
+WIRE,L:0,X1:250,Y1:190,X2:250,Y2:300,-WIRE
+COMPONENT,L:0,X:260,Y:320,LIB:RESISTOR,DIR:0,BLK:0,N:R1,NX:2,NY:20,R:R1,RX:2,RY:10,-COMPONENT
+LABEL,L:0,X:600,Y:600,D:0,S:FLOAT,-LABEL
CE3
# The labels that must name nets in KiCad's netlist: local labels as /TEXT.
declare -A labelled=([parts-joined]="/IN_A /OUT_Y" [parts-apart]="/DATA")
cp "$source/examples/demo.ce2" "$work/in/"
"$node" "$here/write_drawings.mjs" "$work/in" 5
"$make_seeds" "$work/seeds"
cp "$work/seeds/svg/hostile.ce3" "$work/in/"

sources=("$work"/in/*.ce2 "$work"/in/*.ce3)
"$cli" --kicad "${sources[@]}" >"$work/report" 2>&1 || true
schematics=()
for ce in "${sources[@]}"; do
    schematic=${ce%.*}.kicad_sch
    if [[ -e $schematic ]]; then
        schematics+=("$schematic")
    else
        fail "no $schematic written"
    fi
done
((${#schematics[@]} == 9)) || { cat "$work/report" >&2 && exit 1; }

# The driver: the sample opens, with its one labelled net of two pins; a refused file fails.
cp "$here/sample.kicad_sch" "$work/in/"
sed 's/(font (size/(font (face "Arial") (size/' "$here/sample.kicad_sch" >"$work/refused/sample.kicad_sch"
if "$here/kicad_open.sh" "$work/refused/sample.kicad_sch" 2>"$work/refused.log"; then
    fail "kicad_open.sh passed a file that KiCad refuses"
fi
grep -q 'KiCad shows the window "Error"' "$work/refused.log" ||
    fail "kicad_open.sh did not name KiCad's error: $(cat "$work/refused.log")"

# The random drawings' parts without a reference get "U?", for KiCad to annotate, which it asks
# for before it exports a netlist: those are only opened, as is the hostile one.
compared=()
opened=()
for schematic in "${schematics[@]}"; do
    case $(basename "$schematic") in
    random-* | hostile.*) opened+=("$schematic") ;;
    *) compared+=("$schematic") ;;
    esac
done
start=$SECONDS
"$here/kicad_open.sh" "${opened[@]}" || failures=$((failures + 1))
"$here/kicad_open.sh" --netlist "$work/nets" "$work/in/sample.kicad_sch" "${compared[@]}" ||
    failures=$((failures + 1))
echo "KiCad opened $((${#schematics[@]} + 1)) schematics, $((${#compared[@]} + 1)) with netlists, in $((SECONDS - start)) s"
nets_of() { /usr/bin/python3 "$here/netlist_nets.py" "$work/nets/$1.net"; }
[[ $(nets_of sample 2>&1) == $'/OUT\t2\nunconnected-(R1-Pad1)\t1\nunconnected-(R2-Pad2)\t1' ]] ||
    fail "the sample's netlist: $(nets_of sample 2>&1)"

# The report line of each: "... KiCad: DIR/NAME.kicad_sch (N nets; ...)".
for schematic in "${compared[@]}"; do
    name=$(basename "$schematic" .kicad_sch)
    [[ -e $work/nets/$name.net ]] || continue
    line=$(grep -F "KiCad: $schematic (" "$work/report" || true)
    if [[ ! $line =~ KiCad:\ .*\(([0-9]+)\ nets? ]]; then
        fail "$name: no KiCad report line with a net count in: $(cat "$work/report")"
        continue
    fi
    reported=${BASH_REMATCH[1]}
    listed=$(nets_of "$name" | wc -l)
    ((listed == reported)) || fail "$name: morvex-cli reports $reported nets, KiCad lists $listed: $(nets_of "$name" | tr '\n' ' ')"
    for label in ${labelled[$name]:-}; do
        nets_of "$name" | cut -f 1 | grep -qxF "$label" ||
            fail "$name: no net $label in KiCad's netlist: $(nets_of "$name" | tr '\n' ' ')"
    done
done
((failures == 0))
