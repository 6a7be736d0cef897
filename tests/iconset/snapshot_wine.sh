#!/usr/bin/env bash
# `vellum -SnapShot:` on a real Wine prefix: wineboot makes a fresh prefix in the build folder,
# the shipped catalogue is collected from it, and wrestool must list one icon group per icon
# position the iconset names (at least a few), and `unzip -t` must accept the archive. Skipped
# (exit 77) without wine, icoutils or unzip.
set -euo pipefail
vellum=$1 work=$2
for tool in wineboot wineserver wrestool unzip; do
  command -v $tool >/dev/null || { echo "$tool not installed"; exit 77; }
done
rm -rf "$work" && mkdir -p "$work"
export WINEPREFIX=$work/prefix WINEDEBUG=-all VELLUM_DATA_DIR=$work/data
# wineboot returns before the prefix is complete; wineserver -w waits for it to settle.
wineboot -i >"$work/wineboot.log" 2>&1 || { echo "wineboot failed:"; cat "$work/wineboot.log"; exit 1; }
wineserver -w
fail() { echo "FAIL: $*"; exit 1; }
[[ -f $WINEPREFIX/system.reg ]] || fail "wineboot made no system.reg"

"$vellum" "-SnapShot:$work/out/snap.iconzip" >"$work/stdout.txt" 2>"$work/stderr.txt" ||
  fail "snapshot exit $?: $(cat "$work/stderr.txt")"
unzip -t "$work/out/snap.iconzip" >/dev/null || fail "unzip -t rejects the iconzip"
mkdir "$work/x" && unzip -q -d "$work/x" "$work/out/snap.iconzip"
groups=$(wrestool -l --type=14 "$work/x/snap.icl" | wc -l)
positions=$(grep -o 'Icon="snap.icl,[0-9]*"' "$work/x/snap.iconset" | sort -u | wc -l)
highest=$(grep -o 'Icon="snap.icl,[0-9]*"' "$work/x/snap.iconset" | grep -o '[0-9]*' | sort -n | tail -1)
[[ $groups -ge 5 && $groups -eq $positions && $highest -eq $((groups - 1)) ]] ||
  fail "$groups groups, $positions icon positions, highest $highest"
echo "$(tail -1 "$work/stdout.txt"): $groups icon groups"
