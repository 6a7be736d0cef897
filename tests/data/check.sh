#!/usr/bin/env bash
# Lists what the fixture images hold, as an independent check of make.sh:
# pefile's view of headers, sections and the resource tree, then wrestool's.
# Not part of the build; needs python3-pefile (Debian's /usr/bin/python3)
# and icoutils.  Usage: tests/data/check.sh [FILE...]
set -euo pipefail

here=$(cd "$(dirname "$0")" && pwd)
if [ $# -eq 0 ]; then
    set -- "$here"/*.dll "$here"/*.msstyles
fi

/usr/bin/python3 - "$@" <<'EOF'
import os
import sys

import pefile

TYPES = {1: "CURSOR", 2: "BITMAP", 3: "ICON", 4: "MENU", 5: "DIALOG",
         6: "STRING", 9: "ACCELERATOR", 10: "RCDATA", 12: "GROUP_CURSOR",
         14: "GROUP_ICON", 16: "VERSION"}


def label(entry, types=False):
    if entry.name is not None:
        return '"%s"' % entry.name
    if types and entry.id in TYPES:
        return "%d (%s)" % (entry.id, TYPES[entry.id])
    return str(entry.id)


for path in sys.argv[1:]:
    pe = pefile.PE(path)
    opt = pe.OPTIONAL_HEADER
    kind = "PE32+" if opt.Magic == 0x20b else "PE32"
    print("== %s: %s, machine 0x%x, %d bytes, entry point 0x%x, %d warnings"
          % (os.path.basename(path), kind, pe.FILE_HEADER.Machine,
             os.path.getsize(path), opt.AddressOfEntryPoint,
             len(pe.get_warnings())))
    for w in pe.get_warnings():
        print("   warning:", w)
    print("   sections:  name     VirtAddr VirtSize RawPtr   RawSize")
    for s in pe.sections:
        print("              %-8s %08x %08x %08x %08x" % (
            s.Name.rstrip(b"\0").decode(), s.VirtualAddress, s.Misc_VirtualSize,
            s.PointerToRawData, s.SizeOfRawData))
    dirs = [d for d in opt.DATA_DIRECTORY if d.Size]
    print("   directories:", ", ".join("%s %x+%x" % (d.name.replace("IMAGE_DIRECTORY_ENTRY_", ""),
                                                     d.VirtualAddress, d.Size) for d in dirs) or "none")
    if not hasattr(pe, "DIRECTORY_ENTRY_RESOURCE"):
        print("   resources: none")
        continue
    print("   resources: type / name / language / size")
    for t in pe.DIRECTORY_ENTRY_RESOURCE.entries:
        for n in t.directory.entries:
            for l in n.directory.entries:
                print("              %s / %s / %d / %d" % (
                    label(t, types=True), label(n), l.id, l.data.struct.Size))
EOF

for f in "$@"; do
    echo "== wrestool -l $(basename "$f")"
    wrestool -l "$f" || echo "   (no resources)"
done
