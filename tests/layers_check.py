#!/usr/bin/env python3
"""Checks the engine's layers: each folder of src/core may include headers of its own folder and
of the layers below it, never of a layer above it or beside it, and never a Qt header.

usage: layers_check.py SRC_CORE_FOLDER
       layers_check.py --self-test     (a decompiler file that includes iconset must fail)
"""
import os
import re
import sys
import tempfile

# Bottom to top; folders in one row sit side by side and may not include each other.
LAYERS = [["common"], ["platform"], ["formats"], ["imaging"], ["decompiler", "compiler", "script"],
          ["project"], ["operations"], ["iconset"], ["cli"]]
RANK = {folder: rank for rank, row in enumerate(LAYERS) for folder in row}
INCLUDE = re.compile(r'^\s*#\s*include\s*([<"])([^>"]+)[>"]')


def violations(root):
    found = []
    for folder in sorted(os.listdir(root)):
        path = os.path.join(root, folder)
        if not os.path.isdir(path):
            continue
        if folder not in RANK:
            found.append(f"{folder}: a folder outside the layer list")
            continue
        for name in sorted(os.listdir(path)):
            if not name.endswith((".h", ".cpp")):
                continue
            with open(os.path.join(path, name), encoding="utf-8") as f:
                for number, line in enumerate(f, 1):
                    match = INCLUDE.match(line)
                    if not match:
                        continue
                    bracket, header = match.groups()
                    where = f"{folder}/{name}:{number}"
                    if bracket == "<" and header.startswith("Q"):
                        found.append(f"{where}: the engine includes Qt ({header})")
                    target = header.split("/")[0]
                    if bracket == '"' and target in RANK and target != folder \
                            and RANK[target] >= RANK[folder]:
                        found.append(f"{where}: {folder} may not include {header}")
    return found


def self_test():
    with tempfile.TemporaryDirectory() as root:
        for folder, text in (("iconset", "#pragma once\n"),
                             ("decompiler", '#include "common/Path.h"\n#include "iconset/X.h"\n')):
            os.makedirs(os.path.join(root, folder))
            with open(os.path.join(root, folder, "X.h"), "w") as f:
                f.write(text)
        found = violations(root)
        assert found == ["decompiler/X.h:2: decompiler may not include iconset/X.h"], found
    print("self-test: an upward include is caught")
    return 0


def main():
    if sys.argv[1:] == ["--self-test"]:
        return self_test()
    found = violations(sys.argv[1])
    for line in found:
        print(line)
    print(f"{len(found)} layer violations")
    return 1 if found else 0


if __name__ == "__main__":
    sys.exit(main())
