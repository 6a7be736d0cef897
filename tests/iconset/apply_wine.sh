#!/usr/bin/env bash
# vellum -Apply: against real Wine. A prefix made by wineboot, an iconzip built here from an
# iconset and the icon library fixture; `wine reg query` reads back the Shell Icons and
# DefaultIcon values, `winepath` checks that each names an existing file, and `wine reg import`
# of the backup puts the previous values back. Skipped (exit 77) without Wine.
set -euo pipefail
source "$(dirname "$0")/../common/wine.sh"
vellum=$1 data=$2 work=$3
command -v wineboot >/dev/null && command -v wine >/dev/null && command -v winepath >/dev/null ||
  { echo "wine not installed"; exit 77; }
rm -rf "$work" && mkdir -p "$work/home" "$work/set"
# HOME in the work folder: the prefix's Desktop links there, not to the real home.
export HOME=$work/home WINEPREFIX=$work/prefix WINEDEBUG=-all VELLUM_DATA_DIR=$work/data
wineboot -i > "$work/wineboot.log" 2>&1 || { echo "wineboot failed"; cat "$work/wineboot.log"; exit 1; }
wineserver -w

fail() { echo "FAIL: $*"; exit 1; }
# The REG_SZ data of a value, or nothing; /ve asks for the default value. A key that applying
# created stays after an undo, its default value "(value not set)".
query() {
  local key=$1 value=$2 args=(/v "$2")
  [[ -z $value ]] && args=(/ve)
  wine_reg query "$key" "${args[@]}" 2>/dev/null | tr -d '\r' |
    sed -n 's/^ *.*REG_\(EXPAND_\)\{0,1\}SZ *//p' | sed 's/^(value not set)$//' || true
}
# The file part of an icon location exists on the host.
exists_on_host() {
  local host
  host=$(winepath -u "${1%,*}" 2>/dev/null | tr -d '\r')
  [[ -n $host && -f $host ]]
}

computer='HKCR\CLSID\{20D04FE0-3AEA-1069-A2D8-08002B30309D}\DefaultIcon'
recycle='CLSID\{645FF040-5081-101B-9F08-00AA002F954E}\DefaultIcon'
shellicons='HKLM\Software\Microsoft\Windows\CurrentVersion\Explorer\Shell Icons'
before_recycle=$(query "HKCR\\$recycle" "")
before_computer=$(query "$computer" "")
wineserver -w

cat > "$work/set/Wine.iconset" <<'XML'
<?xml version='1.0' encoding='ISO-8859-1'?>
<Root>
   <Info Author="Oracle"/>
   <Icons>
      <MyComputer Icon="Wine.icl,0"/>
      <RecycleBinFull Icon="Wine.icl,1"/>
      <RecycleBinEmpty Icon="Wine.icl,2"/>
   </Icons>
</Root>
XML
cp "$data/icons.icl" "$work/set/Wine.icl"
(cd "$work/set" && python3 -m zipfile -c ../Wine.iconzip Wine.iconset Wine.icl)
"$vellum" -Apply:"$work/Wine.iconzip" > "$work/apply.txt" 2>&1 || fail "apply: $(cat "$work/apply.txt")"

checked=0
for check in "$shellicons|15" "$shellicons|32" "$computer|" "HKCR\\$recycle|Full" \
            "HKCU\\Software\\Classes\\$recycle|Full" "HKCR\\$recycle|Empty"; do
  key=${check%|*} name=${check#*|}
  value=$(query "$key" "$name")
  [[ $value == *'Current.ico\Wine.icl,'* ]] || fail "$key ${name:-(default)} is '$value'"
  exists_on_host "$value" || fail "$key ${name:-(default)}: $value is not a file"
  checked=$((checked + 1))
done
wineserver -w

# The backup undoes the registry changes.
backup=$(ls -d "$work"/data/Current.ico/Backup/*/ | head -n 1)
wine_reg import "$backup/registry.reg" > "$work/import.txt" 2>&1 || fail "reg import: $(cat "$work/import.txt")"
[[ -z $(query "$shellicons" 15) ]] || fail "Shell Icons 15 survived the undo"
[[ $(query "HKCR\\$recycle" "") == "$before_recycle" ]] || fail "recycle bin default changed"
[[ $(query "$computer" "") == "$before_computer" ]] || fail "My Computer's icon was not put back"
[[ -z $(query "HKCR\\$recycle" Full) ]] || fail "the new Full value survived the undo"
echo "$checked values checked, backup imported"
remove_prefix "$WINEPREFIX"
