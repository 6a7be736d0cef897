#!/usr/bin/env bash
# vellum -Apply: and -Restore: on a Wine prefix built here (Wine itself is not needed): the
# registry values and shell files applying writes, the backup it keeps, undoing two applies, and
# how both fail.
set -euo pipefail
vellum=$1 work=$2
command -v python3 >/dev/null && command -v iconv >/dev/null || { echo "needs python3 and iconv"; exit 77; }
rm -rf "$work" && mkdir -p "$work"
prefix=$work/prefix
mkdir -p "$prefix/drive_c/windows/system32" "$prefix/drive_c/users/tester/Desktop" \
  "$prefix/dosdevices"
ln -s ../drive_c "$prefix/dosdevices/c:"
ln -s / "$prefix/dosdevices/z:"
cat > "$prefix/system.reg" <<'REG'
WINE REGISTRY Version 2
;; All keys relative to \\Machine

[Software\\Microsoft\\Windows NT\\CurrentVersion] 1700000000
"SystemRoot"="C:\\windows"

[Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\Shell Icons] 1700000000
"15"="C:\\old\\computer.ico"
REG
cat > "$prefix/user.reg" <<'REG'
WINE REGISTRY Version 2
;; All keys relative to \\User\\S-1-5-21-0-0-0-1000

[Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\Shell Folders] 1700000000
"Desktop"="C:\\users\\tester\\Desktop"
REG
cp "$prefix/system.reg" "$work/system.before"
cp "$prefix/user.reg" "$work/user.before"

# An iconset for entries of the shipped catalogue, zipped with Python's zipfile.
mkdir -p "$work/set"
cat > "$work/set/Blue.iconset" <<'XML'
<?xml version='1.0' encoding='ISO-8859-1'?>
<Root>
   <Icons>
      <MyComputer Icon="Blue.icl,0"/>
      <RecycleBinFull Icon="Blue.icl,1"/>
   </Icons>
</Root>
XML
printf 'MZ' > "$work/set/Blue.icl"
(cd "$work/set" && python3 -m zipfile -c ../Blue.iconzip Blue.iconset Blue.icl)

export VELLUM_DATA_DIR=$work/data WINEPREFIX=$prefix
fail() { echo "FAIL: $*"; exit 1; }

"$vellum" -Apply:"$work/Blue.iconzip" > "$work/out.txt" 2> "$work/err.txt" ||
  fail "apply: exit $?, $(cat "$work/err.txt")"
grep -q 'Current.ico\\\\Blue.icl,0' "$prefix/system.reg" || fail "no Shell Icons value 15"
grep -qF 'Software\\Classes\\CLSID\\{645FF040-5081-101B-9F08-00AA002F954E}\\DefaultIcon' \
  "$prefix/user.reg" || fail "no per-user DefaultIcon of the recycle bin"
grep -q '^The previous values are saved in .*Current.ico/Backup/' "$work/out.txt" ||
  fail "the backup folder is not named: $(cat "$work/out.txt")"
backup=$(ls -d "$work"/data/Current.ico/Backup/*/)
iconv -f UTF-16 -t UTF-8 "$backup/registry.reg" | grep -qF '"15"="C:\\old\\computer.ico"' ||
  fail "the backup lacks the previous value 15"

# A second apply keeps the first backup and adds another.
first_backup=$(sed -n 's/^The previous values are saved in \(.*\): import .*/\1/p' "$work/out.txt")
"$vellum" -Apply:"$work/set/Blue.iconset" > "$work/out2.txt" 2>&1 || fail "apply of the .iconset"
second_backup=$(sed -n 's/^The previous values are saved in \(.*\): import .*/\1/p' "$work/out2.txt")
[[ $(ls -d "$work"/data/Current.ico/Backup/*/ | wc -l) == 2 ]] || fail "the first backup is gone"

# Failures change nothing: an archive without an iconset, and a missing prefix.
(cd "$work/set" && python3 -m zipfile -c ../NoSet.zip Blue.icl)
cp "$prefix/system.reg" "$work/system.after"
if "$vellum" -Apply:"$work/NoSet.zip" > /dev/null 2> "$work/err.txt"; then fail "NoSet.zip applied"; fi
grep -q 'Load Failed: The file' "$work/err.txt" || fail "no Load Failed text: $(cat "$work/err.txt")"
grep -q 'does not have a .iconset' "$work/err.txt" || fail "wrong Load Failed text"
cmp -s "$prefix/system.reg" "$work/system.after" || fail "a failed load changed the registry"
if WINEPREFIX=$work/none "$vellum" -Apply:"$work/Blue.iconzip" > /dev/null 2> "$work/err.txt"
then fail "applied without a prefix"; fi
grep -q 'no Wine prefix at' "$work/err.txt" || fail "no prefix message: $(cat "$work/err.txt")"

# Two restores, newest backup first, give back the registry files as they were, byte for byte.
for backup in "$second_backup" "$first_backup"; do
  "$vellum" -Restore:"$backup" > "$work/out.txt" 2> "$work/err.txt" ||
    fail "restore $backup: exit $?, $(cat "$work/err.txt")"
done
grep -q '^The state before this restore is saved in .*Current.ico/Backup/' "$work/out.txt" ||
  fail "the restore names no new backup: $(cat "$work/out.txt")"
cmp -s "$prefix/system.reg" "$work/system.before" || fail "system.reg: $(diff "$work/system.before" "$prefix/system.reg")"
cmp -s "$prefix/user.reg" "$work/user.before" || fail "user.reg: $(diff "$work/user.before" "$prefix/user.reg")"
[[ $(ls -d "$work"/data/Current.ico/Backup/*/ | wc -l) == 4 ]] || fail "each restore keeps a backup"

set +e
"$vellum" -Restore: > /dev/null 2>&1; [[ $? == 2 ]] || fail "-Restore: without a folder is no usage error"
"$vellum" -Restore:"$work/set" > /dev/null 2> "$work/err.txt"; status=$?
set -e
[[ $status == 1 ]] && grep -q 'is not a backup folder' "$work/err.txt" ||
  fail "a folder without registry.reg: exit $status, $(cat "$work/err.txt")"
echo "apply_cli passed"
