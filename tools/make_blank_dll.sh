#!/usr/bin/env bash
# Builds data/blank.dll, the resource-only PE32 library new projects start from, from blank.rc
# and blank.ld with the mingw-w64 toolchain (windres, gcc/ld).
#
# The output is reproducible: the linker writes no time stamp, the image base is fixed and
# there are no symbols.
# Usage: tools/make_blank_dll.sh   (needs mingw-w64)
set -euo pipefail

here=$(cd "$(dirname "$0")" && pwd)
out=$here/../data/blank.dll
tmp=$(mktemp -d)
trap 'rm -rf "$tmp"' EXIT

cd "$here"
i686-w64-mingw32-windres -O coff -i blank.rc -o "$tmp/blank.res.o"
# -s: no COFF symbol table behind the last section; entry point 0: a library without code.
i686-w64-mingw32-gcc -nostdlib -shared -s -Wl,--no-insert-timestamp -Wl,--subsystem,windows \
    -Wl,--image-base,0x10000000 -Wl,-T,blank.ld -Wl,--entry,0 \
    "$tmp/blank.res.o" -o "$tmp/blank.dll"
mv "$tmp/blank.dll" "$out"
ls -l "$out"
