#!/usr/bin/env bash
# `vellum -SnapShot:` on a small Wine prefix built here: the zipped iconset must pass `unzip -t`,
# and wrestool must list one icon group in the library per icon position the iconset names.
# A path ending in a separator gives individual icons. Also: a missing prefix and an existing
# target fail with exit 1 and touch nothing. Skipped (exit 77) without icoutils or unzip.
set -euo pipefail
vellum=$1 data=$2 work=$3
for tool in wrestool icotool unzip; do
  command -v $tool >/dev/null || { echo "$tool not installed"; exit 77; }
done
rm -rf "$work" && mkdir -p "$work"
prefix=$work/prefix
"$(dirname "$0")/small_prefix.sh" "$prefix" "$data" "$work/data"
export VELLUM_DATA_DIR=$work/data WINEPREFIX=$prefix
fail() { echo "FAIL: $*"; exit 1; }

"$vellum" "-SnapShot:$work/out/snap.iconzip" >"$work/stdout.txt" 2>"$work/stderr.txt" ||
  fail "snapshot exit $? $(cat "$work/stderr.txt")"
grep -qx "Zipping (snap.icl)" "$work/stdout.txt" || fail "no zipping status: $(cat "$work/stdout.txt")"
grep -qx "Finished" "$work/stdout.txt" || fail "no Finished status"
[[ $(ls "$work/out") == snap.iconzip ]] || fail "stray files: $(ls "$work/out")"
ls "$work/data" | grep -q snapshot- && fail "work folder left behind"
unzip -t "$work/out/snap.iconzip" >/dev/null || fail "unzip -t rejects the iconzip"
mkdir "$work/x" && unzip -q -d "$work/x" "$work/out/snap.iconzip"
[[ -f $work/x/snap.iconset && -f $work/x/snap.icl ]] || fail "archive lacks snap.iconset/snap.icl"

groups=$(wrestool -l --type=14 "$work/x/snap.icl" | wc -l)
positions=$(grep -o 'Icon="snap.icl,[0-9]*"' "$work/x/snap.iconset" | sort -u | wc -l)
highest=$(grep -o 'Icon="snap.icl,[0-9]*"' "$work/x/snap.iconset" | grep -o '[0-9]*' | sort -n | tail -1)
# My Computer and Computer Again share one icon; Nowhere names no file.
[[ $groups -eq 4 && $positions -eq 4 && $highest -eq 3 ]] ||
  fail "$groups groups, $positions positions, highest $highest"
grep -q '<ComputerAgain Icon="snap.icl,' "$work/x/snap.iconset" || fail "the repeated icon is missing"
for name in $(wrestool -l --type=14 "$work/x/snap.icl" | sed -n 's/.*--name=\([0-9]*\) .*/\1/p'); do
  wrestool -x --type=14 --name=$name -o "$work/x/g$name.ico" "$work/x/snap.icl"
  [[ -s $work/x/g$name.ico ]] || fail "group $name cannot be extracted"
done

# .iconset: the document, with the library beside it.
"$vellum" "-SnapShot:$work/set/snap.iconset" >/dev/null || fail "iconset snapshot"
[[ -f $work/set/snap.iconset && -f $work/set/snap.icl ]] || fail "iconset packaging: $(ls "$work/set")"

# .icl: the library, with the snapshot document beside it.
"$vellum" "-SnapShot:$work/lib/snap.icl" >/dev/null || fail "library snapshot"
[[ $(ls "$work/lib" | tr '\n' ' ') == "IconSnapShot.xml snap.icl " ]] || fail "library packaging: $(ls "$work/lib")"

# A path ending in a separator: individual icons named after their entries, with the iconset
# document among them; icoutils must read every icon it names.
"$vellum" "-SnapShot:$work/icons/" >"$work/stdout.txt" || fail "individual icons snapshot"
[[ -f $work/icons/icons.iconset ]] || fail "no icons.iconset: $(ls "$work/icons")"
named=$(grep -o 'Icon="[^"]*"' "$work/icons/icons.iconset" | sed 's/Icon="\(.*\)"/\1/' | sort -u)
[[ $(echo "$named" | wc -l) -eq 4 ]] || fail "individual icons: $named"
for file in $named; do
  [[ $file == *.ico && $file != */* ]] || fail "icon value $file"
  icotool -l "$work/icons/$file" >/dev/null || fail "icotool cannot read $file"
done
grep -q '<ComputerAgain Icon="MyComputer.ico"/>' "$work/icons/icons.iconset" ||
  fail "a shared icon does not share its file"
[[ $(ls "$work/icons" | wc -l) -eq 5 ]] || fail "stray files: $(ls "$work/icons")"
"$vellum" "-SnapShot:$work/icons/" >/dev/null 2>&1 && fail "an existing folder was accepted"

# An existing target is never replaced.
echo keep >"$work/out/taken.icl"
"$vellum" "-SnapShot:$work/out/taken.icl" >/dev/null 2>"$work/stderr.txt" && fail "existing target accepted"
[[ $(cat "$work/out/taken.icl") == keep ]] || fail "existing target changed"
grep -q "already exists" "$work/stderr.txt" || fail "no message for an existing target"

# No prefix: a clear message and exit 1.
status=0
WINEPREFIX=$work/none "$vellum" "-SnapShot:$work/none.iconzip" 2>"$work/stderr.txt" >/dev/null || status=$?
[[ $status -eq 1 ]] && grep -q "no Wine prefix at $work/none" "$work/stderr.txt" ||
  fail "missing prefix: exit $status, $(cat "$work/stderr.txt")"
[[ ! -e $work/none.iconzip ]] || fail "output written without a prefix"
echo "snapshot of $groups icons checked"
