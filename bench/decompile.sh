#!/usr/bin/env bash
# Times a decompile of a large resource DLL against wrestool extracting the same file's raw
# resources, in one run, and prints Vellum's peak memory.
#
# usage: bench/decompile.sh VELLUM [FILE]
# FILE defaults to Wine's shell32.dll when Wine is installed, else a DLL of about 3,000 resources
# and 9 MB of resource data built by make_large_pe.py.
set -euo pipefail
vellum=$(realpath "$1")
here=$(cd "$(dirname "$0")" && pwd)
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

file=${2:-}
if [[ -z $file ]]; then
  for candidate in /usr/lib/x86_64-linux-gnu/wine/i386-windows/shell32.dll \
                   /usr/lib/i386-linux-gnu/wine/i386-windows/shell32.dll \
                   /usr/lib/wine/i386-windows/shell32.dll; do
    [[ -f $candidate ]] && file=$candidate && break
  done
fi
if [[ -z $file ]]; then
  file=$work/large.dll
  python3 "$here/make_large_pe.py" "$file"
fi
command -v wrestool >/dev/null || { echo "decompile bench: wrestool (icoutils) is missing" >&2; exit 1; }
command -v hyperfine >/dev/null || { echo "decompile bench: hyperfine is missing" >&2; exit 1; }

echo "== decompile $(basename "$file") ($(stat -c %s "$file") bytes; $(wrestool -l "$file" | wc -l) resources)"
# Both write into a folder emptied before every run; the section dumps on standard output go to
# /dev/null.
hyperfine -N --warmup 2 --runs 10 --export-json "$work/times.json" \
  --prepare "rm -rf $work/vellum $work/wrestool" \
  -n vellum "sh -c '\"$vellum\" -Decompile \"$file\" -Output:$work/vellum >/dev/null'" \
  -n wrestool "sh -c 'mkdir -p $work/wrestool && wrestool -x --raw -o $work/wrestool \"$file\"'"
python3 - "$work/times.json" <<'PY'
import json, sys
r = {x["command"]: x for x in json.load(open(sys.argv[1]))["results"]}
v, w = r["vellum"]["median"], r["wrestool"]["median"]
print(f"decompile ratio (vellum/wrestool, medians): {v:.3f} s / {w:.3f} s = {v / w:.2f}")
PY
rm -rf "$work/vellum"
/usr/bin/time -f "vellum peak memory: %M KB" "$vellum" -Decompile "$file" "-Output:$work/vellum" >/dev/null
