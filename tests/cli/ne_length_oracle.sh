#!/usr/bin/env bash
# Icon libraries through Vellum, read back by icoutils. Each library is decompiled and compiled
# into a DLL; there every group must be the library's group, every member the library's resource
# cut to the byte count its group entry states (the library pads resources to its alignment
# unit, the DLL must not), and `wrestool -x` must extract each icon group without a warning and
# with the library's images. Then the .ico and .cur files `vellum -Extract:0` writes from the
# library must be files icotool reads. Skipped (exit 77) without icoutils.
set -euo pipefail
vellum=$1 data=$2 work=$3
command -v wrestool >/dev/null && command -v icotool >/dev/null || { echo "icoutils not installed"; exit 77; }
rm -rf "$work" && mkdir -p "$work"
export VELLUM_DATA_DIR=$work/data
status=0
for lib in groupend padded; do
  dir=$work/$lib
  mkdir -p "$dir/extract"
  cp "$data/$lib.icl" "$dir/"
  "$vellum" -Decompile "$dir/$lib.icl" "-Output:$dir/proj" >/dev/null
  "$vellum" -Compile "$dir/proj/$lib.dll" "-Output:$dir/proj/pe.xml" >/dev/null
  python3 - "$dir/$lib.icl" "$dir/proj/$lib.dll" <<'PY' || status=1
import re, struct, subprocess, sys

icl, dll = sys.argv[1:3]
failures = []

def wrestool(*args):
    p = subprocess.run(["wrestool", *args], capture_output=True)
    return p.stdout, p.stderr.decode().strip()

def names(path, kind):
    return sorted(int(n) for n in re.findall(r"--name=(\d+)", wrestool("-l", f"--type={kind}", path)[0].decode()))

def raw(path, kind, name, label):
    data, err = wrestool("-x", "--raw", f"--type={kind}", f"--name={name}", path)
    if err and path == dll:
        failures.append(f"{label}: wrestool says {err!r}")
    return data

for kind, member in ((14, 3), (12, 1)):
    groups = names(icl, kind)
    if names(dll, kind) != groups:
        failures.append(f"type {kind}: the DLL holds groups {names(dll, kind)}, the library {groups}")
        continue
    for name in groups:
        label = f"group {kind}/{name}"
        group = raw(icl, kind, name, label)
        count = struct.unpack_from("<H", group, 4)[0]
        group = group[:6 + 14 * count]  # the header and entries; the library pads the rest
        if raw(dll, kind, name, label) != group:
            failures.append(f"{label}: differs from the library's")
        entries = [group[6 + 14 * i:20 + 14 * i] for i in range(count)]
        images = []
        for entry in entries:
            size, res = struct.unpack_from("<IH", entry, 8)
            stored = raw(icl, member, res, label)
            ours = raw(dll, member, res, f"{label} member {res}")
            if len(stored) < size or ours != stored[:size]:
                failures.append(f"{label} member {res}: {len(ours)} bytes, the group says {size}")
            images.append(stored[:size])
        if kind != 14:
            continue
        ico, err = wrestool("-x", "--type=14", f"--name={name}", dll)
        if err or len(ico) < 6 or struct.unpack_from("<H", ico, 4)[0] != count:
            failures.append(f"{label}: wrestool -x gives {len(ico)} bytes and {err!r}")
            continue
        for i, (entry, image) in enumerate(zip(entries, images)):
            field = ico[6 + 16 * i:22 + 16 * i]
            size, offset = struct.unpack_from("<II", field, 8)
            if field[:12] != entry[:12] or ico[offset:offset + size] != image:
                failures.append(f"{label}: image {i} of the extracted .ico differs")
for failure in failures:
    print(f"{icl}: {failure}")
sys.exit(1 if failures else 0)
PY
  "$vellum" -Extract:0 -Type:IconGroup "-Source:$dir/$lib.icl" "-Output:$dir/extract/a.ico"
  "$vellum" -Extract:0 -Type:CursorGroup "-Source:$dir/$lib.icl" "-Output:$dir/extract/c.cur"
  files=$(find "$dir/extract" -type f | sort)
  [[ -n $files ]] || { echo "$lib: nothing extracted"; status=1; }
  for file in $files; do
    if ! icotool -l "$file" >"$file.list" 2>"$file.err" || [[ -s $file.err ]]; then
      echo "icotool rejects $file: $(cat "$file.err")"; status=1
    fi
  done
done
exit $status
