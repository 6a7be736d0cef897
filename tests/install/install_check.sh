#!/usr/bin/env bash
# What `cmake --install` and `cpack -G DEB` put in place, checked by the desktop's own tools:
# desktop-file-validate, appstreamcli, update-mime-database, xdg-mime (through GIO, as on a
# GNOME desktop), update-desktop-database, dpkg-deb and dpkg-shlibdeps.
# usage: install_check.sh BUILD_DIR WORK_DIR APP_ID VERSION DATA_DIR
set -euo pipefail
build=$1 work=$2 id=$3 version=$4 data=$5

for tool in desktop-file-validate appstreamcli update-mime-database update-desktop-database \
    xdg-mime gio cpack dpkg-deb dpkg-shlibdeps python3; do
  command -v "$tool" >/dev/null || { echo "skipped: $tool is not installed"; exit 77; }
done
fail() { echo "FAIL: $*" >&2; exit 1; }

rm -rf "$work" && mkdir -p "$work"
prefix=$work/prefix share=$work/prefix/share
cmake --install "$build" --prefix "$prefix" >"$work/install.log"

# Every file in its place, each icon as large as the folder it sits in says.
for file in bin/vellum share/vellum/blank.dll share/vellum/blank.icl share/vellum/IconConfig.xml \
    "share/applications/$id.desktop" "share/metainfo/$id.metainfo.xml" \
    "share/mime/packages/$id.xml" "share/icons/hicolor/scalable/apps/$id.svg"; do
  [[ -f $prefix/$file ]] || fail "$file is not installed"
done
for size in 16 24 32 48 64 128 256; do
  png=$share/icons/hicolor/${size}x${size}/apps/$id.png
  [[ -f $png ]] || fail "no ${size}px icon"
  python3 - "$png" "$size" <<'PY' || fail "$png is not a ${size}x${size} PNG"
import struct, sys
data = open(sys.argv[1], "rb").read(24)
size = int(sys.argv[2])
assert data[:8] == b"\x89PNG\r\n\x1a\n" and data[12:16] == b"IHDR"
assert struct.unpack(">II", data[16:24]) == (size, size)
PY
done
grep -qx "Icon=$id" "$share/applications/$id.desktop" || fail "the launcher names another icon"

desktop-file-validate "$share/applications/$id.desktop" || fail "desktop-file-validate"
appstreamcli validate --no-net "$share/metainfo/$id.metainfo.xml" || fail "appstreamcli validate"
grep -q "<release version=\"$version\"" "$share/metainfo/$id.metainfo.xml" ||
  fail "the metainfo's release is not $version"

# The file types: the package is accepted, and files of each kind (real ones, whose contents
# would otherwise make them XML, zip or DOS executables) get Vellum's type and Vellum as their
# default program. The system's own types stay visible, so a clash with them shows.
# (update-mime-database reports a package it cannot read on stderr but still exits with 0, and
# notes there a folder outside XDG_DATA_DIRS.)
XDG_DATA_DIRS="$share:/usr/share" update-mime-database "$share/mime" 2>"$work/mime.err" ||
  fail "update-mime-database"
if [[ -s $work/mime.err ]]; then cat "$work/mime.err"; fail "update-mime-database complained"; fi
update-desktop-database "$share/applications" || fail "update-desktop-database"
files=$work/files
mkdir -p "$files" "$work/home" "$work/config"
cp "$data/icons.icl" "$files/x.icl"
cp "$data/theme.msstyles" "$files/x.msstyles"
declaration="<?xml version='1.0' encoding='ISO-8859-1'?>"
printf '%s\n<ROOT><PEFILE FileName="pe.xml"/></ROOT>\n' "$declaration" >"$files/x.vellum"
printf '%s\n<Root><Icons/></Root>\n' "$declaration" >"$files/x.iconset"
python3 -c "import sys, zipfile; zipfile.ZipFile(sys.argv[1], 'w').writestr('a.iconset', '')" \
  "$files/x.iconzip"
query() {
  env XDG_DATA_DIRS="$share:/usr/share" XDG_DATA_HOME="$work/home" XDG_CONFIG_HOME="$work/config" \
    XDG_CONFIG_DIRS="$work/config" XDG_CURRENT_DESKTOP=GNOME xdg-mime query "$@"
}
for pair in vellum:application/x-vellum-project iconset:application/x-vellum-iconset \
    iconzip:application/x-vellum-iconzip icl:application/x-windows-icon-library \
    msstyles:application/x-windows-visual-style; do
  ext=${pair%%:*} type=${pair#*:}
  got=$(query filetype "$files/x.$ext")
  [[ $got == "$type" ]] || fail "x.$ext is '$got', not $type"
  got=$(query default "$type")
  [[ $got == "$id.desktop" ]] || fail "the default program for $type is '$got'"
done

# The Debian package, made from the same build tree; dpkg-shlibdeps fills in the libraries.
cpack -G DEB --config "$build/CPackConfig.cmake" -B "$work/cpack" >"$work/cpack.log" ||
  { cat "$work/cpack.log"; fail "cpack"; }
deb=$(ls "$work"/cpack/vellum_*.deb)
[[ $(basename "$deb") == vellum_${version}_*.deb ]] || fail "unexpected package name $deb"
dpkg-deb -c "$deb" >"$work/contents"
icons=./usr/share/icons/hicolor
for file in ./usr/bin/vellum ./usr/share/vellum/blank.dll "./usr/share/applications/$id.desktop" \
    "./usr/share/metainfo/$id.metainfo.xml" "./usr/share/mime/packages/$id.xml" \
    "$icons/48x48/apps/$id.png" "$icons/scalable/apps/$id.svg"; do
  grep -q " $file\$" "$work/contents" || fail "the package lacks $file"
done
dpkg-deb -f "$deb" Version | grep -qx "$version" || fail "the package's version is not $version"
depends=$(dpkg-deb -f "$deb" Depends)
for library in libqt6widgets6 libpng16-16 zlib1g libc6; do
  [[ $depends == *"$library"* ]] || fail "Depends lacks $library: $depends"
done

# Unpacked, the program runs from its new place.
dpkg-deb -x "$deb" "$work/root"
"$work/root/usr/bin/vellum" --version | grep -q "^Vellum Version " ||
  fail "the packaged vellum does not run"
echo "install and package checks passed"
rm -rf "$work"
