#!/usr/bin/env bash
# Decompiles every PE fixture and compares the project folder with python3-pefile's reading of the
# same file. Skipped (exit 77) when pefile is not installed.
set -euo pipefail
vellum=$1 data=$2 work=$3
python=/usr/bin/python3
[[ -x $python ]] && $python -c 'import pefile' 2>/dev/null || { echo "pefile not installed"; exit 77; }
rm -rf "$work" && mkdir -p "$work"
status=0
for exe in "$data"/*.dll "$data"/*.exe "$data"/*.msstyles; do
  name=$(basename "$exe")
  "$vellum" -Decompile "$exe" "-Output:$work/$name" >/dev/null
  $python "$(dirname "$0")/pefile_oracle.py" "$exe" "$work/$name" || status=1
done
exit $status
