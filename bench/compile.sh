#!/usr/bin/env bash
# Times compiling the project of a large resource DLL against windres turning a .res with the
# same resources into a COFF object, in one run.
#
# usage: bench/compile.sh VELLUM
# The DLL and the .res come from make_large_pe.py; the project is decompiled beforehand (not
# timed).
set -euo pipefail
vellum=$(realpath "$1")
here=$(cd "$(dirname "$0")" && pwd)
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
windres=$(command -v x86_64-w64-mingw32-windres || command -v i686-w64-mingw32-windres || true)
[[ -n $windres ]] || { echo "compile bench: windres (binutils-mingw-w64) is missing" >&2; exit 1; }
command -v hyperfine >/dev/null || { echo "compile bench: hyperfine is missing" >&2; exit 1; }

python3 "$here/make_large_pe.py" "$work/large.dll" "$work/large.res"
"$vellum" -Decompile "$work/large.dll" "-Output:$work/project" >/dev/null
echo "== compile $(ls "$work/project" | wc -l) project files"
hyperfine -N --warmup 2 --runs 10 --export-json "$work/times.json" \
  -n vellum "sh -c '\"$vellum\" -Compile \"$work/large.dll\" -Output:$work/project/pe.xml >/dev/null'" \
  -n windres "$windres -J res -O coff -i $work/large.res -o $work/large.o"
python3 - "$work/times.json" <<'PY'
import json, sys
r = {x["command"]: x for x in json.load(open(sys.argv[1]))["results"]}
v, w = r["vellum"]["median"], r["windres"]["median"]
print(f"compile ratio (vellum/windres, medians): {v:.3f} s / {w:.3f} s = {v / w:.2f}")
PY
/usr/bin/time -f "vellum peak memory: %M KB" "$vellum" -Compile "$work/large.dll" "-Output:$work/project/pe.xml" >/dev/null
