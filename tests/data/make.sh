#!/usr/bin/env bash
# Regenerates the test fixtures of this folder from the sources in src/:
# first the icon, cursor, bitmap and text inputs (src/img/), then the DLLs,
# built with the mingw-w64 toolchain (windres, gcc, ld).
#
# The output is reproducible: the images are written byte by byte, the
# linker writes no time stamp, image bases are fixed and symbols stripped.
# Usage: tests/data/make.sh   (needs python3 and mingw-w64)
set -euo pipefail

here=$(cd "$(dirname "$0")" && pwd)
src=$here/src
tmp=$(mktemp -d)
trap 'rm -rf "$tmp"' EXIT

CC32=i686-w64-mingw32-gcc
RC32=i686-w64-mingw32-windres
CC64=x86_64-w64-mingw32-gcc
RC64=x86_64-w64-mingw32-windres

# No C runtime, no unwind tables, no compiler ident string: the code
# sections hold only the few functions of the sources.
CFLAGS=(-Os -ffreestanding -fno-ident -fno-asynchronous-unwind-tables -fno-stack-protector)
# -s drops the COFF symbol table, which would otherwise follow the last
# section in the file.
LDFLAGS=(-nostdlib -shared -s -Wl,--no-insert-timestamp -Wl,--subsystem,windows)
LDFLAGS32=("${LDFLAGS[@]}" -Wl,--image-base,0x10000000)
LDFLAGS64=("${LDFLAGS[@]}" -Wl,--image-base,0x180000000)

python3 "$src/make_images.py" "$src/img"

cd "$src"   # the .rc files name their inputs relative to src/

rc32() { "$RC32" -O coff -i "$1.rc" -o "$tmp/$1.res.o"; }
cc32() { "$CC32" "${CFLAGS[@]}" -c "$1.c" -o "$tmp/$1.o"; }

cc32 dllmain
cc32 reloc
for rc in resources reloc resonly theme; do rc32 "$rc"; done

# Code, exports and resources; .rsrc is the last section.
"$CC32" "${LDFLAGS32[@]}" -Wl,-e,_DllMain@12 \
    "$tmp/dllmain.o" "$tmp/resources.res.o" -o "$here/resources.dll"

# Initialised pointers make the linker emit base relocations, and ld places
# .reloc after .rsrc.
"$CC32" "${LDFLAGS32[@]}" -Wl,-e,_DllMain@12 \
    "$tmp/reloc.o" "$tmp/reloc.res.o" -o "$here/reloc.dll"

# Resources only, no entry point.
"$CC32" "${LDFLAGS32[@]}" -Wl,-T,resonly.ld -Wl,--entry,0 \
    "$tmp/resonly.res.o" -o "$here/resonly.dll"
"$CC32" "${LDFLAGS32[@]}" -Wl,-T,resonly.ld -Wl,--entry,0 \
    "$tmp/theme.res.o" -o "$here/theme.msstyles"

# Code without any resources.
"$CC32" "${LDFLAGS32[@]}" -Wl,-e,_DllMain@12 \
    "$tmp/dllmain.o" -o "$here/norsrc.dll"

# The 64-bit image.
"$RC64" -O coff -i x64.rc -o "$tmp/x64.res.o"
"$CC64" "${CFLAGS[@]}" -c dllmain.c -o "$tmp/dllmain64.o"
"$CC64" "${LDFLAGS64[@]}" -Wl,-e,DllMain \
    "$tmp/dllmain64.o" "$tmp/x64.res.o" -o "$here/x64.dll"

# A localized 64-bit resource DLL: a bitmap, a string table and a dialog in two languages.
"$RC64" -O coff -i localized.rc -o "$tmp/localized.res.o"
"$CC64" "${LDFLAGS64[@]}" -Wl,-e,DllMain \
    "$tmp/dllmain64.o" "$tmp/localized.res.o" -o "$here/localized.dll"

# A 64-bit console program without resources that looks for its own icon group
# (the Wine test of adding a resource section).
"$CC64" "${CFLAGS[@]}" -c noicon.c -o "$tmp/noicon.o"
"$CC64" -nostdlib -s -Wl,--no-insert-timestamp -Wl,--subsystem,console -Wl,-e,start \
    -Wl,--image-base,0x140000000 "$tmp/noicon.o" -lkernel32 -luser32 -o "$here/noicon.exe"

ls -l "$here"/*.dll "$here"/*.exe "$here"/*.msstyles

# The 16-bit icon library (NE) of the icon-library tests.
python3 "$src/make_icl.py" "$src/img" "$here/icons.icl"

# Two libraries for where a resource ends: one whose last bytes are an icon
# group, one whose images are followed by alignment padding.
python3 "$src/make_icl_ends.py" "$src/img" "$here"
