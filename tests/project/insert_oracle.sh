#!/bin/sh
# Insert oracle: adds an .ico to copies of PE and icon-library fixtures with `vellum -Insert:`,
# then checks with wrestool and python3-pefile that the new group holds the file's images and
# that every other resource kept its bytes. Exit 77 (skipped) when a reader is missing.
set -eu
VELLUM=$1 DATA=$2 WORK=$3
/usr/bin/python3 -c 'import pefile' 2>/dev/null || exit 77
command -v wrestool >/dev/null 2>&1 || exit 77
rm -rf "$WORK" && mkdir -p "$WORK/data"
export VELLUM_DATA_DIR="$WORK/data/"
ICO="$DATA/src/img/app.ico"
for target in resonly.dll reloc.dll localized.dll norsrc.dll icons.icl; do
    [ -f "$DATA/$target" ] || continue
    cp "$DATA/$target" "$WORK/$target"
    cp "$DATA/$target" "$WORK/before-$target"
    if ! "$VELLUM" "$WORK/$target" "-Insert:$ICO" -Type:Icon -Name:APP >"$WORK/out.txt" 2>&1; then
        grep -q "not available" "$WORK/out.txt" && exit 77
        cat "$WORK/out.txt"; exit 1
    fi
    /usr/bin/python3 - "$WORK/before-$target" "$WORK/$target" "$ICO" "$WORK" <<'PY'
import os, struct, subprocess, sys
before, after, ico, work = sys.argv[1:5]

def listing(path):
    out = subprocess.run(["wrestool", "-l", path], capture_output=True, text=True).stdout
    keys = []
    for line in out.splitlines():
        fields = dict(p.split("=", 1) for p in line.split() if p.startswith("--"))
        fields = {k: v.strip("'") for k, v in fields.items()}  # named: --name='DUO'
        keys.append((fields["--type"], fields["--name"], fields.get("--language")))
    return keys

def raw(path, key):
    args = ["wrestool", "-x", "--raw", "--type=" + key[0], "--name=" + key[1]]
    if key[2]:
        args.append("--language=" + key[2])
    return subprocess.run(args + [path], capture_output=True).stdout

def images(data):
    count = struct.unpack_from("<H", data, 4)[0]
    result = []
    for i in range(count):
        size, offset = struct.unpack_from("<II", data, 6 + 16 * i + 8)
        result.append(data[offset:offset + size])
    return result

old, new = listing(before), listing(after)
for key in old:
    assert key in new, "lost resource %s" % (key,)
    # An icon library stores lengths in alignment units, so padding may differ.
    a, b = raw(before, key), raw(after, key)
    if after.endswith(".icl"):
        a, b = a.rstrip(b"\0"), b.rstrip(b"\0")
    assert a == b, "changed resource %s" % (key,)
added = [k for k in new if k not in old]
groups = [k for k in added if k[0] == "14"]
assert len(groups) == 1, "expected one new icon group, got %s" % added
args = ["wrestool", "-x", "--type=14", "--name=" + groups[0][1], after]
extracted = subprocess.run(args, capture_output=True).stdout
assert images(extracted) == images(open(ico, "rb").read()), "the new group's images differ"
if after.endswith(".dll"):
    import pefile
    pe, old_pe = pefile.PE(after), pefile.PE(before)
    assert any(e.id == 14 for e in pe.DIRECTORY_ENTRY_RESOURCE.entries)
    # Only the resource section is new; every other section keeps its bytes.
    for a in old_pe.sections:
        if a.Name.rstrip(b"\0") != b".rsrc":
            b = next(s for s in pe.sections if s.Name == a.Name)
            assert a.get_data() == b.get_data(), "section %s changed" % a.Name
print("%s: %d resources kept, added %s" % (os.path.basename(after), len(old), added))
PY
done
