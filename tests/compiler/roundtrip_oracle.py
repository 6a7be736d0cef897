#!/usr/bin/env python3
"""Compares a compiled executable with the one its project was decompiled from, through pefile.

usage: roundtrip_oracle.py ORIGINAL COMPILED

The resource trees must match (types, names, IDs, every language) and every resource's bytes must
be equal (32-bit bitmaps too, though a project keeps them as PNG), except that string tables
compare by their strings. Sections other than .rsrc keep their bytes; sections behind .rsrc move
by whole alignment units, and the base-relocation directory moves with .reloc.
"""
import struct
import sys

import pefile

failures = []


def check(condition, message):
    if not condition:
        failures.append(message)


def resources(pe):
    out = {}
    if not hasattr(pe, "DIRECTORY_ENTRY_RESOURCE"):
        return out
    for t in pe.DIRECTORY_ENTRY_RESOURCE.entries:
        tkey = str(t.name) if t.name is not None else t.id
        for n in t.directory.entries:
            nkey = str(n.name) if n.name is not None else n.id
            for lang in n.directory.entries:
                d = lang.data.struct
                out[(tkey, nkey, lang.id)] = pe.get_data(d.OffsetToData, d.Size)
    return out


def strings(block):
    out, pos = [], 0
    for _ in range(16):
        if pos + 2 > len(block):
            out.append("")
            continue
        (n,) = struct.unpack_from("<H", block, pos)
        out.append(block[pos + 2:pos + 2 + 2 * n].decode("utf-16-le", "surrogatepass"))
        pos += 2 + 2 * n
    return out


def same_resource(key, old, new):
    if key[0] == 6:
        return strings(old) == strings(new)
    return old == new


def check_sections(old, new):
    names = [s.Name for s in old.sections]
    check(names == [s.Name for s in new.sections], "section names or order differ")
    rsrc = next((i for i, s in enumerate(old.sections) if s.Name.rstrip(b"\0") == b".rsrc"), None)
    for i, (a, b) in enumerate(zip(old.sections, new.sections)):
        if i == rsrc:
            continue
        check(a.get_data() == b.get_data(), f"section {a.Name} changed its bytes")
        if rsrc is None or i < rsrc:
            check((a.VirtualAddress, a.PointerToRawData) == (b.VirtualAddress, b.PointerToRawData),
                  f"section {a.Name} before .rsrc moved")
        else:
            va = new.OPTIONAL_HEADER.SectionAlignment
            check((b.VirtualAddress - a.VirtualAddress) % va == 0, f"{a.Name} moved by a non-aligned step")
            if a.Name.rstrip(b"\0") == b".reloc":
                reloc_old = old.OPTIONAL_HEADER.DATA_DIRECTORY[5].VirtualAddress
                reloc_new = new.OPTIONAL_HEADER.DATA_DIRECTORY[5].VirtualAddress
                check(reloc_new - reloc_old == b.VirtualAddress - a.VirtualAddress,
                      "the base-relocation directory did not follow .reloc")


def main():
    old, new = pefile.PE(sys.argv[1]), pefile.PE(sys.argv[2])
    check_sections(old, new)
    a, b = resources(old), resources(new)
    check(sorted(map(str, a)) == sorted(map(str, b)), f"resource trees differ: {set(map(str, a)) ^ set(map(str, b))}")
    for key in a:
        if key in b:
            check(same_resource(key, a[key], b[key]), f"resource {key} differs")
    new_size = new.OPTIONAL_HEADER.SizeOfImage
    last = new.sections[-1]
    check(new_size >= last.VirtualAddress + last.Misc_VirtualSize, "SizeOfImage is too small")
    for line in failures:
        print(line)
    print(f"{sys.argv[1]}: {len(a)} resources round-tripped, {'OK' if not failures else str(len(failures)) + ' mismatches'}")
    return 1 if failures else 0


if __name__ == "__main__":
    sys.exit(main())
