#!/usr/bin/python3
"""Prints the name of every net of a KiCad netlist (File > Export > Netlist, KiCad format), one a
line, followed by a tab and the number of pins on it.

Usage: netlist_nets.py FILE.net
"""

import sys

import sexpdata


def lists(item, token):
    return [c for c in item[1:] if isinstance(c, list) and c and c[0] == sexpdata.Symbol(token)]


def main(argv):
    if len(argv) != 1:
        print("usage: netlist_nets.py FILE.net", file=sys.stderr)
        return 2
    with open(argv[0], encoding="utf-8") as f:
        netlist = sexpdata.loads(f.read(), nil=None, true=None, line_comment=None)
    if not isinstance(netlist, list) or netlist[:1] != [sexpdata.Symbol("export")]:
        print("%s: not a KiCad netlist" % argv[0], file=sys.stderr)
        return 1
    for nets in lists(netlist, "nets"):
        for net in lists(nets, "net"):
            print("%s\t%d" % (lists(net, "name")[0][1], len(lists(net, "node"))))
    return 0


if __name__ == "__main__":
    sys.exit(main(sys.argv[1:]))
