#!/usr/bin/env bash
# What `make run` shows without arguments: the shipped blank DLL taken apart into ./vellum-demo/
# and built back from its project folder, then an icon extracted from an example library.
set -euo pipefail
vellum=$1
top=$(cd "$(dirname "$0")/.." && pwd)
demo=$PWD/vellum-demo
example=$top/data/blank.dll
rm -rf "$demo" && mkdir -p "$demo"
cp "$example" "$demo/example.dll"

echo "1. Decompile: $vellum -Decompile $demo/example.dll -Output:$demo/project"
"$vellum" -Decompile "$demo/example.dll" "-Output:$demo/project" >"$demo/decompile.log"
echo "   $(find "$demo/project" -type f | wc -l) files in $demo/project, among them:"
(cd "$demo/project" && ls | head -12 | sed 's/^/     /')
echo "   the manifest starts:"
head -4 "$demo/project/pe.xml" | sed 's/^/     /'
echo "   (symbol table and section dumps: $demo/decompile.log)"

echo "2. Compile: $vellum -Compile $demo/example.dll -Output:$demo/project/pe.xml"
"$vellum" -Compile "$demo/example.dll" "-Output:$demo/project/pe.xml" >"$demo/compile.log"
grep -E 'RESOURCE at|Type ' "$demo/compile.log" | sed 's/^/     /'
echo "   $example: $(stat -c %s "$example") bytes; rebuilt $demo/example.dll: $(stat -c %s "$demo/example.dll") bytes"
if cmp -s "$example" "$demo/example.dll"; then
  echo "   The rebuilt DLL is byte for byte the original."
else
  echo "   Same resources; the resource section was laid out anew and the sections behind it moved."
fi
library=$top/tests/data/icons.icl
echo "3. Extract: $vellum -Extract:1 -Type:IconGroup -Source:$library -Output:$demo/group1.ico"
"$vellum" -Extract:1 -Type:IconGroup "-Source:$library" "-Output:$demo/group1.ico"
echo "   $demo/group1.ico: $(stat -c %s "$demo/group1.ico") bytes"
echo "Other commands: make run ARGS=\"-h\" (see README.md)."
