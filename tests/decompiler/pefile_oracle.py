#!/usr/bin/env python3
"""Checks a decompiled project folder against what pefile reads from the same executable.

usage: pefile_oracle.py EXECUTABLE PROJECT_FOLDER

Compares the section files, the values of the NT header table and the resource tree of pe.xml
(types, names, IDs, languages, sizes, Start and End) with pefile's view. Exits 1 on a mismatch.
"""
import os
import re
import sys
import xml.etree.ElementTree as ET

import pefile

failures = []


def check(condition, message):
    if not condition:
        failures.append(message)


def section_file_name(name):
    name = name.rstrip(b"\0").decode("latin-1")
    if name.startswith("."):
        name = name[1:]
    safe = "".join("_" if c in '\\/:*?"<>|' or ord(c) < 32 else c for c in name)
    return (safe or "_") + ".BIN"


def check_sections(pe, folder):
    for section in pe.sections:
        if section.Name.rstrip(b"\0") == b".rsrc":
            check(not os.path.exists(os.path.join(folder, "rsrc.BIN")), ".rsrc got a section file")
            continue
        path = os.path.join(folder, section_file_name(section.Name))
        check(os.path.exists(path), f"missing section file {path}")
        if os.path.exists(path):
            with open(path, "rb") as f:
                data = f.read()
            start = section.PointerToRawData
            expected = pe.__data__[start:start + section.SizeOfRawData] if start else b""
            if not start:
                expected = pe.__data__[0:section.SizeOfRawData]
            check(data == expected, f"{path}: {len(data)} bytes differ from the section's raw data")


def check_header_table(pe, folder):
    with open(os.path.join(folder, "NTHeader.hdr"), "rb") as f:
        text = f.read().decode("latin-1")
    rows = dict(re.findall(r'C2="([A-Za-z0-9]+)" C3="[A-Z]+" C4="\d" C5="([0-9a-f]+)"', text))
    check(len(rows) >= 35, f"NTHeader.hdr has {len(rows)} rows")
    for header in (pe.FILE_HEADER, pe.OPTIONAL_HEADER):
        for field in header.__keys__:
            name = field[0]
            if name in rows:
                check(int(rows[name], 16) == getattr(header, name),
                      f"NTHeader.hdr {name}={rows[name]} but pefile reads {getattr(header, name):x}")


def pefile_tree(pe):
    """(type, name, language) -> (rva, size), with names as pe.xml writes them."""
    tree = {}
    if not hasattr(pe, "DIRECTORY_ENTRY_RESOURCE"):
        return tree
    for t in pe.DIRECTORY_ENTRY_RESOURCE.entries:
        type_key = str(t.name) if t.name is not None else int(t.id)
        for n in t.directory.entries:
            name_key = str(n.name) if n.name is not None else int(n.id)
            for lang in n.directory.entries:
                tree[(type_key, name_key, int(lang.id))] = (lang.data.struct.OffsetToData,
                                                            lang.data.struct.Size)
    return tree


def manifest_tree(folder):
    with open(os.path.join(folder, "pe.xml"), "rb") as f:
        root = ET.fromstring(f.read().decode("utf-8"))
    tree = {}

    def key(entry, strip_bitmap_ext):
        if entry.get("Name") is not None:
            name = entry.get("Name")
            if strip_bitmap_ext and entry.get("StripExt") == "1" and name.upper().endswith(".BMP"):
                name = name[:-4]
            return name.upper()
        return int(entry.get("ID"))

    for t in root.findall("Entry"):
        if t.get("Ignore") == "1":
            continue
        type_key = key(t, False)
        for n in t.find("Directory").findall("Entry"):
            name_key = key(n, type_key == 2)
            for lang in n.find("Directory").findall("Entry"):
                file = lang.find("File")
                if file is None:
                    continue
                start, end = int(file.get("Start"), 16), int(file.get("End"), 16)
                tree[(type_key, name_key, int(lang.get("ID")))] = (start, end - start)
                if type_key not in (12, 14):
                    check(int(file.get("Size")) == end - start,
                          f"Size {file.get('Size')} of {type_key}/{name_key} is not End - Start")
    return tree


def main():
    exe, folder = sys.argv[1], sys.argv[2]
    pe = pefile.PE(exe)
    check_sections(pe, folder)
    check_header_table(pe, folder)
    expected = {(t.upper() if isinstance(t, str) else t, n.upper() if isinstance(n, str) else n, l): v
                for (t, n, l), v in pefile_tree(pe).items()}
    # pefile skips empty resources; so does the manifest's File line.
    expected = {k: v for k, v in expected.items() if v[1] != 0}
    actual = manifest_tree(folder)
    for k in sorted(set(expected) | set(actual), key=str):
        check(expected.get(k) == actual.get(k),
              f"resource {k}: pefile {expected.get(k)}, pe.xml {actual.get(k)}")
    for line in failures:
        print(line)
    print(f"{exe}: {len(expected)} resources, {len(pe.sections)} sections, "
          f"{'OK' if not failures else str(len(failures)) + ' mismatches'}")
    return 1 if failures else 0


if __name__ == "__main__":
    sys.exit(main())
