#!/usr/bin/env python3
# SPDX-License-Identifier: MIT
"""Reads one callgrind output file and prints, as shell assignments:
total=<instructions>, own=<instructions in the program's own object file> and
calls=<calls of the functions whose name contains NAME> (when NAME is given).

Usage: callgrind_split.py FILE PROGRAM [NAME]"""
import os
import sys


def main():
    if len(sys.argv) not in (3, 4):
        print(__doc__, file=sys.stderr)
        return 2
    path, program = sys.argv[1], os.path.realpath(sys.argv[2])
    name = sys.argv[3] if len(sys.argv) == 4 else None
    objects, functions = {}, {}
    current_ob = None
    call_target = None
    skip_next = False
    total = own = calls = 0
    with open(path, encoding="utf-8", errors="replace") as lines:
        for line in lines:
            if line[0].isdigit() or line[0] in "+-*":
                if skip_next:  # the inclusive cost of a call, already counted in its callee
                    skip_next = False
                    continue
                parts = line.split()
                if len(parts) > 1:
                    cost = int(parts[1])
                    total += cost
                    if current_ob is not None and os.path.realpath(current_ob) == program:
                        own += cost
                continue
            key, _, value = line.rstrip("\n").partition("=")
            if key in ("ob", "fn", "cfn", "cob"):
                table = objects if key in ("ob", "cob") else functions
                if value.startswith("("):
                    ident, _, text = value.partition(")")
                    text = text.strip()
                    if text:
                        table[ident] = text
                    value = table.get(ident, "")
                if key == "ob":
                    current_ob = value
                elif key == "cfn":
                    call_target = value
            elif key == "calls":
                skip_next = True
                if name is not None and call_target is not None and name in call_target:
                    calls += int(value.split()[0])
    print(f"total={total}")
    print(f"own={own}")
    print(f"calls={calls}")
    return 0


if __name__ == "__main__":
    sys.exit(main())
