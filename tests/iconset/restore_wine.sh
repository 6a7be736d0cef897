#!/usr/bin/env bash
# vellum -Restore: against real Wine. A wineboot prefix with shortcuts, a shell command file and a
# read-only hidden Desktop.ini is copied as it is; an iconset is applied to the original and its
# backup restored. Then Wine itself reads both prefixes: `wine reg query` output and `wine reg
# export` text of every key the backup names must be the same, and every Desktop.ini, .lnk and
# .scf file the same bytes, permissions and DOS attributes. Also: -Restore: and -Apply: refuse
# while a wineserver runs in the prefix. Skipped (exit 77) without Wine.
set -euo pipefail
source "$(dirname "$0")/../common/wine.sh"
vellum=$1 data=$2 work=$3
command -v wineboot >/dev/null && command -v wine >/dev/null && command -v wineserver >/dev/null &&
  command -v python3 >/dev/null && command -v iconv >/dev/null || { echo "wine not installed"; exit 77; }
# Folders of their own in HOME, which the profile's Desktop, Music and Pictures then link to.
rm -rf "$work" && mkdir -p "$work/home/Desktop" "$work/home/Music" "$work/home/Pictures" "$work/set"
export HOME=$work/home WINEPREFIX=$work/prefix WINEDEBUG=-all VELLUM_DATA_DIR=$work/data
# A failed run keeps both prefixes to look at.
fail() {
  echo "FAIL: $*"
  end_prefix "$WINEPREFIX"
  end_prefix "$work/before"
  exit 1
}
wineboot -i > "$work/wineboot.log" 2>&1 || { echo "wineboot failed"; cat "$work/wineboot.log"; exit 1; }

folder() { # a shell folder's host path
  local win
  win=$(wine_reg query 'HKCU\Software\Microsoft\Windows\CurrentVersion\Explorer\Shell Folders' \
    /v "$1" | tr -d '\r' | sed -n 's/^ *.*REG_SZ *//p')
  winepath -u "$win" | tr -d '\r'
}
desktop=$(folder Desktop) appdata=$(folder AppData) music=$(folder 'My Music')
quick="$appdata/Microsoft/Internet Explorer/Quick Launch"
mkdir -p "$desktop" "$quick" "$music"
cp "$(dirname "$0")/../../fuzz/corpus/lnk_read/unicode_linkinfo.lnk" "$desktop/Notes.lnk"
cp "$(dirname "$0")/../../fuzz/corpus/lnk_read/ansi_idlist.lnk" "$desktop/Prompt.lnk"
printf '[Shell]\r\nCommand=2\r\nIconFile=explorer.exe,3\r\n[Taskbar]\r\nCommand=ToggleDesktop\r\n' \
  > "$quick/Show Desktop.scf"
printf '[.ShellClassInfo]\r\nLocalizedResourceName=@shell32.dll,-21790\r\n' > "$music/desktop.ini"
python3 -c 'import os,sys; os.setxattr(sys.argv[1], "user.DOSATTRIB", b"0x3")' "$music/desktop.ini" ||
  true
chmod 444 "$music/desktop.ini"
wineserver -w

# Every shell file below drive_c and HOME (the profile's folders may link there): bytes, mode and
# DOS attributes, as Python sees them.
snapshot() {
  python3 - "$WINEPREFIX/drive_c" "$HOME" <<'PY'
import hashlib, os, sys
for top in sys.argv[1:]:
    for root, dirs, files in os.walk(top):
        for name in sorted(files):
            low = name.lower()
            if low == "desktop.ini" or low.endswith((".lnk", ".scf")):
                path = os.path.join(root, name)
                try:
                    attr = os.getxattr(path, "user.DOSATTRIB").decode()
                except OSError:
                    attr = "-"
                digest = hashlib.sha256(open(path, "rb").read()).hexdigest()
                print(os.path.relpath(path, top), oct(os.stat(path).st_mode), attr, digest)
PY
}
snapshot > "$work/files.before"
cp -a "$WINEPREFIX" "$work/before"

cat > "$work/set/Wine.iconset" <<'XML'
<?xml version='1.0' encoding='ISO-8859-1'?>
<Root>
   <Icons>
      <MyComputer Icon="Wine.icl,0"/>
      <RecycleBinFull Icon="Wine.icl,1"/>
      <RecycleBinEmpty Icon="Wine.icl,2"/>
      <MyPictures Icon="Wine.icl,3"/>
      <MyMusic Icon="Wine.icl,4"/>
      <Notepad Icon="Wine.icl,5"/>
      <CommandPrompt Icon="Wine.icl,6"/>
      <ShowDesktop Icon="Wine.icl,7"/>
   </Icons>
</Root>
XML
cp "$data/icons.icl" "$work/set/Wine.icl"
"$vellum" -Apply:"$work/set/Wine.iconset" > "$work/apply.txt" 2>&1 || fail "apply: $(cat "$work/apply.txt")"
backup=$(ls -d "$work"/data/Current.ico/Backup/*/ | head -n 1)
grep -q 'Notes.lnk: icon' "$work/apply.txt" || fail "the shortcut was not changed: $(cat "$work/apply.txt")"
grep -q 'Show Desktop.scf' "$work/apply.txt" || fail "the .scf file was not changed"
[[ $(snapshot) != $(cat "$work/files.before") ]] || fail "applying changed no shell file"

# A running wineserver holds the registry: both modes refuse and change nothing.
wineserver -p
cp "$WINEPREFIX/system.reg" "$work/system.during"
for mode in -Restore:"$backup" -Apply:"$work/set/Wine.iconset"; do
  if "$vellum" "$mode" > /dev/null 2> "$work/err.txt"; then fail "$mode ran beside wineserver"; fi
  grep -q "Wine is running in $WINEPREFIX" "$work/err.txt" || fail "no refusal: $(cat "$work/err.txt")"
done
cmp -s "$WINEPREFIX/system.reg" "$work/system.during" || fail "a refused run changed the registry"
wineserver -k
wineserver -w

"$vellum" -Restore:"$backup" > "$work/restore.txt" 2>&1 || fail "restore: $(cat "$work/restore.txt")"
grep -q '^The state before this restore is saved in ' "$work/restore.txt" ||
  fail "the new backup is not named: $(cat "$work/restore.txt")"

snapshot > "$work/files.after"
diff "$work/files.before" "$work/files.after" > "$work/files.diff" ||
  fail "shell files differ: $(cat "$work/files.diff")"

# The keys the backup names, as Wine reads them in the untouched copy and in the restored prefix.
mapfile -t keys < <(iconv -f UTF-16 -t UTF-8 "$backup/registry.reg" | tr -d '\r' |
  sed -n 's/^\[-\{0,1\}\(.*\)\]$/\1/p' | sort -u)
(( ${#keys[@]} >= 4 )) || fail "the backup names only ${#keys[@]} keys"
# Straight into files, not through pipes: the services Wine starts inherit the output and outlive
# the query while the server is kept running.
read_keys() ( # prefix, output folder
  export WINEPREFIX=$1
  mkdir -p "$2"
  wineserver -p
  local n=0
  for key in "${keys[@]}"; do
    n=$((n + 1))
    wine_reg query "$key" /s > "$2/query.$n" 2>&1 || echo "exit $?" >> "$2/query.$n"
    wine_reg export "$key" "$2/export.$n" /y > /dev/null 2>&1 || echo missing > "$2/export.$n"
  done
  wineserver -k
  wineserver -w
)
read_keys "$work/before" "$work/read.before"
read_keys "$WINEPREFIX" "$work/read.after"
for n in $(seq 1 ${#keys[@]}); do
  key=${keys[$((n - 1))]}
  cmp -s "$work/read.before/query.$n" "$work/read.after/query.$n" ||
    fail "reg query $key: $(diff "$work/read.before/query.$n" "$work/read.after/query.$n")"
  cmp -s "$work/read.before/export.$n" "$work/read.after/export.$n" || fail "reg export $key differs"
done
echo "restore_wine passed: ${#keys[@]} keys and $(wc -l < "$work/files.before") shell files as before"
remove_prefix "$work/before"
remove_prefix "$WINEPREFIX"
