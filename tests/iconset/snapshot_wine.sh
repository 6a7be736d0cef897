#!/usr/bin/env bash
# `vellum -SnapShot:` on a real Wine prefix and `vellum -Apply:` of the result on a second one:
# wineboot makes fresh prefixes in the build folder, the shipped catalogue is collected from the
# first, wrestool must list one icon group per icon position the iconset names (at least a few)
# and `unzip -t` must accept the archive; applied to the second prefix, `wine reg query` must show
# Shell Icons and DefaultIcon values that each name an existing icon file. Skipped (exit 77)
# without wine, icoutils or unzip.
set -euo pipefail
source "$(dirname "$0")/../common/wine.sh"
vellum=$1 work=$2
for tool in wine wineboot wineserver winepath wrestool unzip; do
  command -v $tool >/dev/null || { echo "$tool not installed"; exit 77; }
done
rm -rf "$work" && mkdir -p "$work/home"
# HOME in the work folder: the prefixes' Desktop links there, not to the real home.
export HOME=$work/home WINEPREFIX=$work/prefix WINEDEBUG=-all VELLUM_DATA_DIR=$work/data
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

# Applying the snapshot to a second, fresh prefix.
export WINEPREFIX=$work/prefix2
wineboot -i >"$work/wineboot2.log" 2>&1 || { echo "wineboot failed:"; cat "$work/wineboot2.log"; exit 1; }
wineserver -w
"$vellum" "-Apply:$work/out/snap.iconzip" >"$work/apply.txt" 2>&1 || fail "apply: $(cat "$work/apply.txt")"
# Every REG_SZ value of a key: "name<TAB>data" lines.
values() {
  wine_reg query "$1" 2>/dev/null | tr -d '\r' |
    sed -n 's/^    \(.*\)    REG_\(EXPAND_\)\{0,1\}SZ    \(.*\)$/\1\t\3/p' || true
}
checked=0
check_values() {
  while IFS=$'\t' read -r name value; do
    [[ $value == *'Current.ico\snap.icl,'* ]] || fail "$1 $name is '$value'"
    host=$(winepath -u "${value%,*}" 2>/dev/null | tr -d '\r')
    [[ -n $host && -f $host ]] || fail "$1 $name: $value is not a file"
    checked=$((checked + 1))
  done < <(values "$1")
}
shellicons='HKLM\Software\Microsoft\Windows\CurrentVersion\Explorer\Shell Icons'
check_values "$shellicons"
shell_values=$checked
[[ $shell_values -ge 5 ]] || fail "only $shell_values Shell Icons values"
check_values 'HKCU\Software\Classes\CLSID\{20D04FE0-3AEA-1069-A2D8-08002B30309D}\DefaultIcon'
[[ $checked -gt $shell_values ]] || fail "My Computer's DefaultIcon was not written"
echo "applied to a second prefix: $checked values checked"
remove_prefix "$work/prefix"
remove_prefix "$work/prefix2"
