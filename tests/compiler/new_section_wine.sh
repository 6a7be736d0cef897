#!/usr/bin/env bash
# A program linked without resources gets its first icon through `vellum -Insert:`. noicon.exe
# looks up its own icon group 1 and loads it: under Wine it must say "no group" (exit 2) before
# and find and load the icon (exit 0) after. python3-pefile checks that only the resource section
# is new. Skipped (exit 77) without wine or pefile.
set -euo pipefail
source "$(dirname "$0")/../common/wine.sh"
vellum=$1 data=$2 work=$3
command -v wine >/dev/null && command -v wineboot >/dev/null || { echo "wine not installed"; exit 77; }
/usr/bin/python3 -c 'import pefile' 2>/dev/null || { echo "pefile not installed"; exit 77; }
rm -rf "$work" && mkdir -p "$work/home"
export HOME=$work/home WINEPREFIX=$work/prefix WINEDEBUG=-all VELLUM_DATA_DIR=$work/data
wineboot -i >"$work/wineboot.log" 2>&1 || { echo "wineboot failed:"; cat "$work/wineboot.log"; exit 1; }
wineserver -w
fail() { echo "FAIL: $*"; exit 1; }

cp "$data/noicon.exe" "$work/noicon.exe"
status=0; wine "$work/noicon.exe" >/dev/null 2>&1 || status=$?
[[ $status -eq 2 ]] || fail "before the insert noicon.exe exits $status, not 2 (no icon group)"

"$vellum" "$work/noicon.exe" "-Insert:$data/src/img/app.ico" -Type:Icon >"$work/insert.txt" 2>&1 ||
  fail "insert: $(cat "$work/insert.txt")"
/usr/bin/python3 - "$data/noicon.exe" "$work/noicon.exe" <<'PY' || fail "pefile check"
import sys
import pefile
old, new = pefile.PE(sys.argv[1]), pefile.PE(sys.argv[2])
names = [s.Name.rstrip(b"\0") for s in new.sections]
assert names == [s.Name.rstrip(b"\0") for s in old.sections] + [b".rsrc"], names
for a, b in zip(old.sections, new.sections):
    assert (a.get_data(), a.VirtualAddress, a.PointerToRawData) == \
        (b.get_data(), b.VirtualAddress, b.PointerToRawData), a.Name
groups = [e for e in new.DIRECTORY_ENTRY_RESOURCE.entries if e.id == 14]
assert groups and groups[0].directory.entries[0].id == 1, "no icon group 1"
rsrc = new.sections[-1]
assert new.OPTIONAL_HEADER.DATA_DIRECTORY[2].VirtualAddress == rsrc.VirtualAddress
assert new.OPTIONAL_HEADER.SizeOfImage >= rsrc.VirtualAddress + rsrc.Misc_VirtualSize
print("pefile: .rsrc added at RVA 0x%x, icon group 1 present" % rsrc.VirtualAddress)
PY
status=0; wine "$work/noicon.exe" >/dev/null 2>&1 || status=$?
[[ $status -eq 0 ]] || fail "after the insert noicon.exe exits $status (2: no group, 3: LoadImage failed)"
echo "noicon.exe finds and loads the inserted icon group under Wine"
remove_prefix "$WINEPREFIX"
