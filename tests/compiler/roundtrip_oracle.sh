#!/usr/bin/env bash
# Decompiles and compiles every PE fixture and compares the result with the original through
# python3-pefile. Skipped (exit 77) when pefile is not installed.
set -euo pipefail
vellum=$1 data=$2 work=$3
python=/usr/bin/python3
[[ -x $python ]] && $python -c 'import pefile' 2>/dev/null || { echo "pefile not installed"; exit 77; }
rm -rf "$work" && mkdir -p "$work"
status=0
for exe in "$data"/*.dll "$data"/*.exe "$data"/*.msstyles; do
  name=$(basename "$exe")
  cp "$exe" "$work/$name"
  "$vellum" -Decompile "$work/$name" "-Output:$work/$name.project" >/dev/null
  "$vellum" -Compile "$work/$name" "-Output:$work/$name.project/pe.xml" >/dev/null
  $python "$(dirname "$0")/roundtrip_oracle.py" "$exe" "$work/$name" || status=1
done
exit $status
