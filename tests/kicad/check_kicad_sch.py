#!/usr/bin/python3
"""Checks that .kicad_sch files are schematics KiCad 6 loads as MORVEX means them.

Usage: check_kicad_sch.py FILE...     prints one line per fault, "FILE: fault", exits 1 on any
       check_kicad_sch.py --self-test  the check against sample.kicad_sch and faulty copies of it

Each file must parse; be a kicad_sch of version 20211123 made by morvex; hold no token that
KiCad 6 refuses; name every symbol MORVEX:NAME with no "/" in NAME and each unit of a library
symbol NAME_N_M; list in lib_symbols every symbol it places and in symbol_instances every placed
symbol, with a reference; and give every item a well-formed uuid of its own. References may
repeat ("U?" for parts without one): KiCad loads such a file, and asks only before exporting a
netlist for the parts to be annotated.
"""

import os
import re
import sys

import sexpdata

VERSION = 20211123
GENERATOR = "morvex"
NICKNAME = "MORVEX"
# Tokens of later KiCad versions that KiCad 6 refuses the whole file for.
LATER_TOKENS = {
    "dnp",
    "embedded_fonts",
    "embedded_files",
    "exclude_from_sim",
    "generator_version",
    "netclass_flag",
    "directive_label",
    "rule_area",
    "text_box",
    "table",
    "instances",
    "do_not_autoplace",
    "show_name",
}
UUID = re.compile(r"[0-9a-fA-F]{8}-[0-9a-fA-F]{4}-[0-9a-fA-F]{4}-[0-9a-fA-F]{4}-[0-9a-fA-F]{12}")


def name_of(item):
    """The head symbol of a list, or None."""
    if isinstance(item, list) and item and isinstance(item[0], sexpdata.Symbol):
        return item[0].value()
    return None


def children(item, token):
    return [c for c in item[1:] if name_of(c) == token]


def value(item, token):
    """The first value of the child list named token, or None."""
    found = children(item, token)
    return found[0][1] if found and len(found[0]) > 1 else None


def text(atom):
    """A string or symbol atom as text (KiCad takes both where a name is expected)."""
    if isinstance(atom, sexpdata.Symbol):
        return atom.value()
    return atom if isinstance(atom, str) else None


def walk(item, path=()):
    """Every list in the tree, with the names of the lists around it."""
    if isinstance(item, list):
        yield item, path
        for child in item[1:]:
            yield from walk(child, path + (name_of(item),))


def check_tokens(top, faults):
    for item, _ in walk(top):
        token = name_of(item)
        if token in LATER_TOKENS:
            faults.append("(%s) is a token of later KiCad versions" % token)
        elif token == "font" and children(item, "face"):
            faults.append("a font with a face")
        elif token in ("fields_autoplaced", "hide") and len(item) > 1:
            faults.append("(%s %s) takes no value in KiCad 6" % (token, text(item[1]) or item[1]))


def check_library(top, faults):
    """Checks lib_symbols; returns the names of its symbols."""
    names = set()
    for library in children(top, "lib_symbols"):
        for symbol in children(library, "symbol"):
            full = text(symbol[1]) if len(symbol) > 1 else None
            nickname, _, name = (full or "").partition(":")
            names.add(full)
            if nickname != NICKNAME or not name or "/" in name:
                faults.append('library symbol "%s" is not %s:NAME without "/"' % (full, NICKNAME))
                continue
            unit = re.compile(re.escape(name) + r"_[0-9]+_[0-9]+")
            for sub in children(symbol, "symbol"):
                sub_name = text(sub[1]) if len(sub) > 1 else None
                if not sub_name or not unit.fullmatch(sub_name):
                    faults.append('unit "%s" of "%s" is not named %s_N_M' % (sub_name, full, name))
    return names


def check_symbols(top, library, faults):
    instances = {}
    for table in children(top, "symbol_instances"):
        for path in children(table, "path"):
            instances[text(path[1]) if len(path) > 1 else None] = path
    for symbol in children(top, "symbol"):
        lib_id = text(value(symbol, "lib_id"))
        if lib_id is None or "/" in lib_id.partition(":")[2]:
            faults.append('placed symbol with lib_id "%s"' % lib_id)
        elif lib_id not in library:
            faults.append('placed symbol "%s" is not in lib_symbols' % lib_id)
        uuid = text(value(symbol, "uuid"))
        instance = instances.get("/%s" % uuid)
        if instance is None:
            faults.append('placed symbol "%s" (uuid %s) is not in symbol_instances' % (lib_id, uuid))
            continue
        if not value(instance, "reference"):
            faults.append('placed symbol "%s" (uuid %s) has no reference' % (lib_id, uuid))


def check_uuids(top, faults):
    seen = set()
    for item, _ in walk(top):
        if name_of(item) != "uuid":
            continue
        uuid = text(item[1]) if len(item) == 2 else None
        if uuid is None or not UUID.fullmatch(uuid):
            faults.append("malformed uuid %s" % sexpdata.dumps(item))
        elif uuid.lower() in seen:
            faults.append("uuid %s is given twice" % uuid)
        else:
            seen.add(uuid.lower())


def faults_of(source):
    """The faults of a schematic's text, in the order found."""
    try:
        forms = sexpdata.loads("(%s\n)" % source, nil=None, true=None, line_comment=None)
    except Exception as error:  # sexpdata raises several kinds, all meaning "does not parse"
        return ["does not parse: %s" % str(error).splitlines()[0]]
    if len(forms) != 1 or name_of(forms[0]) != "kicad_sch":
        return ["is not one (kicad_sch ...)"]
    top = forms[0]
    faults = []
    if value(top, "version") != VERSION:
        faults.append("version %s, not %d" % (value(top, "version"), VERSION))
    if text(value(top, "generator")) != GENERATOR:
        faults.append("generator %s, not %s" % (text(value(top, "generator")), GENERATOR))
    check_tokens(top, faults)
    check_symbols(top, check_library(top, faults), faults)
    check_uuids(top, faults)
    return faults


def check_files(paths):
    failed = False
    for path in paths:
        try:
            with open(path, encoding="utf-8") as f:
                source = f.read()
        except (OSError, UnicodeDecodeError) as error:
            print("%s: cannot be read as UTF-8: %s" % (path, error))
            failed = True
            continue
        faults = faults_of(source)
        for fault in dict.fromkeys(faults):
            count = faults.count(fault)
            print("%s: %s%s" % (path, fault, " (%d times)" % count if count > 1 else ""))
            failed = True
    return 1 if failed else 0


SAMPLE = os.path.join(os.path.dirname(os.path.abspath(__file__)), "sample.kicad_sch")
PLACED = '(symbol (lib_id "MORVEX:RESISTOR") (at 101.6 50.8 0) (unit 1)'
R1_UUID = "5e0f7b1c-3f52-4d6e-9a51-0c7d2b8e1a01"
R2_UUID = "5e0f7b1c-3f52-4d6e-9a51-0c7d2b8e1a02"
WIRE_UUID = "5e0f7b1c-3f52-4d6e-9a51-0c7d2b8e1a10"

# Each row: what it breaks, the text replaced in the sample, its replacement, and the fault the
# check must report.
SELF_TEST_ROWS = [
    ("unbalanced", "(paper", "((paper", "does not parse"),
    ("other top", "(kicad_sch (version", "(kicad_pcb (version", "is not one (kicad_sch"),
    ("version", "(version 20211123)", "(version 20230121)", "version 20230121, not 20211123"),
    ("generator", "(generator morvex)", "(generator eeschema)", "generator eeschema, not morvex"),
    ("font face", "(font (size 1.27 1.27))", '(font (face "Arial") (size 1.27 1.27))',
     "a font with a face"),
    ("later token", "(in_bom yes)", "(exclude_from_sim no) (in_bom yes)",
     "(exclude_from_sim) is a token of later KiCad versions"),
    ("valued flag", "(effects (font (size 1.27 1.27)) hide)",
     "(effects (font (size 1.27 1.27)) (hide yes))", "(hide yes) takes no value in KiCad 6"),
    ("slash in library name", '"MORVEX:RESISTOR"', '"MORVEX:RES/ISTOR"',
     'library symbol "MORVEX:RES/ISTOR" is not MORVEX:NAME'),
    ("other nickname", '(symbol "MORVEX:RESISTOR"', '(symbol "Device:RESISTOR"',
     'library symbol "Device:RESISTOR" is not MORVEX:NAME'),
    ("unit prefix", '"RESISTOR_0_1"', '"RES_0_1"', 'unit "RES_0_1" of "MORVEX:RESISTOR"'),
    ("slash in lib_id", PLACED, PLACED.replace("MORVEX:RESISTOR", "MORVEX:A/B"),
     'placed symbol with lib_id "MORVEX:A/B"'),
    ("lib_id not in library", PLACED, PLACED.replace("RESISTOR", "CAPACITOR"),
     'placed symbol "MORVEX:CAPACITOR" is not in lib_symbols'),
    ("no instance", '(path "/%s"' % R2_UUID, '(path "/%s"' % WIRE_UUID,
     "(uuid %s) is not in symbol_instances" % R2_UUID),
    ("empty reference", '(reference "R2")', '(reference "")', "(uuid %s) has no reference" % R2_UUID),
    ("uuid twice", "(uuid %s)" % WIRE_UUID, "(uuid %s)" % R1_UUID.upper(),
     "uuid %s is given twice" % R1_UUID),
    ("malformed uuid", "(uuid %s)" % WIRE_UUID, "(uuid %s)" % WIRE_UUID[:-1], "malformed uuid"),
]


def self_test():
    with open(SAMPLE, encoding="utf-8") as f:
        sample = f.read()
    failures = ["sample: %s" % fault for fault in faults_of(sample)]
    for name, old, new, expected in SELF_TEST_ROWS:
        if old not in sample:
            failures.append("%s: the sample holds no %s" % (name, old))
            continue
        faults = faults_of(sample.replace(old, new, 1))
        if not any(expected in fault for fault in faults):
            failures.append("%s: expected a fault with '%s', got %s" % (name, expected, faults))
    for failure in failures:
        print("self-test: %s" % failure)
    print("self-test: %d rows, %d failures" % (len(SELF_TEST_ROWS) + 1, len(failures)))
    return 1 if failures else 0


def main(argv):
    if argv == ["--self-test"]:
        return self_test()
    if not argv or argv[0].startswith("-"):
        print("usage: check_kicad_sch.py FILE... | --self-test", file=sys.stderr)
        return 2
    return check_files(argv)


if __name__ == "__main__":
    sys.exit(main(sys.argv[1:]))
