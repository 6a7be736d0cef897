#!/usr/bin/env bash
# Runs two builds of vellum over every fixture in tests/data and compares what they write, byte
# for byte: decompiled project folders (and the section dumps on standard output), compiled
# executables, extracted icons and cursors, executables with an icon inserted, and icon
# snapshots of a small Wine prefix built here (library, iconset document, individual icons).
# Used to show that a change of the code leaves every output as it was.
#
# usage: scripts/compare-outputs.sh OLD_VELLUM NEW_VELLUM [MORE_FILES...]
# MORE_FILES (real DLLs, for example) are decompiled, compiled, extracted and inserted into too.
# Prints one line per comparison and exits 1 when any output differs.
set -uo pipefail
old=$(realpath "$1") new=$(realpath "$2")
shift 2
here=$(cd "$(dirname "$0")/.." && pwd)
data=$here/tests/data
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
export VELLUM_DATA_DIR=$work/datafolder
differences=0

same() { # label, old path, new path
  if diff -r "$2" "$3" >"$work/diff.txt" 2>&1; then
    echo "same       $1"
  else
    echo "DIFFERENT  $1"; head -5 "$work/diff.txt" | sed 's/^/           /'
    differences=$((differences + 1))
  fi
}

# Runs the same command line with both builds; {V} is the build, {OUT} its own output folder.
both() { # label, command template...
  local label=$1; shift
  for side in old new; do
    local exe=${!side} out=$work/$side/$label
    rm -rf "$out" && mkdir -p "$out"
    local args=("${@//\{OUT\}/$out}")
    args=("${args[@]//\{V\}/$exe}")
    (cd "$out" && "${args[@]}" >"$out.stdout" 2>"$out.stderr"; echo "$?" >"$out.status")
  done
  same "$label" "$work/old/$label" "$work/new/$label"
  # Standard output names each side's own folder; that part may differ.
  same "$label (exit $(cat "$work/new/$label.status"), output)" \
    <(cat "$work/old/$label".{status,stdout} | sed "s|$work/old/|OUT/|g") \
    <(cat "$work/new/$label".{status,stdout} | sed "s|$work/new/|OUT/|g")
}

fixtures=$(cd "$data" && ls *.dll *.exe *.icl *.msstyles 2>/dev/null | sed "s|^|$data/|")
for path in $fixtures "$@"; do
  f=$(basename "$path")
  both "decompile-$f" {V} -Decompile "$path" "-Output:{OUT}/project"
  both "compile-$f" sh -c "cp '$path' '{OUT}/$f' && '{V}' -Decompile '{OUT}/$f' '-Output:{OUT}/p' >/dev/null &&
    '{V}' -Compile '{OUT}/$f' '-Output:{OUT}/p/pe.xml' && rm -rf '{OUT}/p'"
  for type in Icon IconGroup Cursor CursorGroup; do
    both "extract-$type-$f" {V} -Extract:0 "-Type:$type" "-Source:$path" "-Output:{OUT}/x/a.ico"
  done
  both "insert-$f" sh -c "cp '$path' '{OUT}/$f' && '{V}' '{OUT}/$f' '-Insert:$data/src/img/app.ico' -Type:Icon"
done

prefix=$work/prefix
"$here/tests/iconset/small_prefix.sh" "$prefix" "$data" "$VELLUM_DATA_DIR"
export WINEPREFIX=$prefix
for form in snap.icl snap.iconset icons/; do
  both "snapshot-${form%/}" {V} "-SnapShot:{OUT}/$form"
done

echo "$differences difference(s)"
[[ $differences == 0 ]]
