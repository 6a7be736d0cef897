#!/usr/bin/env bash
# Extracts every icon group of the PE fixtures with Vellum and with wrestool and compares the
# files. wrestool may copy bytes past a group's last image (it takes the member resource's whole
# size), so the comparison covers the bytes the icon directory describes. Cursor groups are
# checked with icotool instead: wrestool writes their byte counts with the hot-spot words that
# the images lack, which icotool rejects. Skipped (exit 77) without icoutils.
set -euo pipefail
vellum=$1 data=$2 work=$3
command -v wrestool >/dev/null && command -v icotool >/dev/null || { echo "icoutils not installed"; exit 77; }
rm -rf "$work" && mkdir -p "$work"
export VELLUM_DATA_DIR=$work/data
status=0 compared=0
for exe in "$data/resources.dll" "$data/resonly.dll"; do
  for type in 14 12; do
    label=$([[ $type == 14 ]] && echo IconGroup || echo CursorGroup)
    ext=$([[ $type == 14 ]] && echo ico || echo cur)
    for name in $(wrestool -l --type=$type "$exe" | sed -n "s/.*--name=\([0-9]*\) .*/\1/p"); do
      ours=$work/$(basename "$exe")-$type-$name.$ext
      "$vellum" -Extract:$name -Type:$label "-Source:$exe" "-Output:$ours"
      if [[ $type == 12 ]]; then
        icotool -l "$ours" | grep -q -- '--hotspot-x=' || { echo "icotool rejects $ours"; status=1; }
        compared=$((compared + 1))
        continue
      fi
      theirs=$(mktemp -d "$work/w.XXXX")
      wrestool -x --type=$type --name=$name -o "$theirs/" "$exe"
      if ! python3 - "$ours" "$theirs"/* <<'PY'
import struct, sys
ours, theirs = (open(p, "rb").read() for p in sys.argv[1:3])
count = struct.unpack_from("<H", ours, 4)[0]
# Each 16-byte directory entry ends with the image's byte count and offset.
end = max(sum(struct.unpack_from("<II", ours, 6 + 16 * i + 8)) for i in range(count))
sys.exit(0 if len(ours) == end and theirs[:end] == ours else 1)
PY
      then echo "differs: $exe type $type name $name"; status=1; fi
      compared=$((compared + 1))
    done
  done
done
echo "$compared groups compared"
[[ $compared -gt 0 ]] || status=1
exit $status
