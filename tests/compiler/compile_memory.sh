#!/usr/bin/env bash
# A project whose section table places a section near 4 GB asks the compiler for gigabytes of
# padding. With the address space limited below that, the compile must fail with a message, not
# abort, and leave the executable as it was.
set -euo pipefail
vellum=$1 data=$2 work=$3
# AddressSanitizer reserves terabytes of address space up front; no limit fits beside it.
if ldd "$vellum" 2>/dev/null | grep -q libasan; then echo "sanitizer build"; exit 77; fi
rm -rf "$work" && mkdir -p "$work" && cd "$work"
cp "$data/x64.dll" x64.dll
"$vellum" -Decompile x64.dll -Output:project > /dev/null
python3 - project/NTHEADER.BIN <<'PY'
import struct, sys
header = bytearray(open(sys.argv[1], "rb").read())
optional_size = struct.unpack_from("<H", header, 20)[0]
struct.pack_into("<I", header, 24 + optional_size + 20, 0xF0000000)  # first PointerToRawData
open(sys.argv[1], "wb").write(header)
PY
cp x64.dll before.dll
status=0
(ulimit -v 1500000 && exec "$vellum" -Compile x64.dll -Output:project/pe.xml) > out.txt 2>&1 ||
  status=$?
[[ $status -eq 1 ]] || { echo "FAIL: exit $status"; cat out.txt; exit 1; }
grep -q 'Not enough memory to assemble' out.txt || { echo "FAIL: no message"; cat out.txt; exit 1; }
cmp -s x64.dll before.dll || { echo "FAIL: the executable changed"; exit 1; }
echo "refused with a message; x64.dll unchanged"
