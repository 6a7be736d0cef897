#!/usr/bin/env bash
# Builds a small Wine prefix for icon snapshots: a shell32.dll (the resources.dll fixture), an icon
# library and a loose .ico, with registry values that name them, and an icon catalogue that reaches
# each of them through the registry, a default and the Shell Icons key.
#
# usage: small_prefix.sh PREFIX DATA CATALOGUE_FOLDER
# DATA is tests/data; CATALOGUE_FOLDER receives IconConfig.xml (a data folder).
set -euo pipefail
prefix=$1 data=$2 catalogue=$3
mkdir -p "$prefix/drive_c/windows/system32" "$prefix/dosdevices"
ln -s ../drive_c "$prefix/dosdevices/c:"
cp "$data/resources.dll" "$prefix/drive_c/windows/system32/shell32.dll"
cp "$data/icons.icl" "$prefix/drive_c/windows/system32/icons.icl"
cp "$data/src/img/app.ico" "$prefix/drive_c/windows/app.ico"
cat >"$prefix/system.reg" <<'REG'
WINE REGISTRY Version 2
;; All keys relative to \\Machine

[Software\\Classes\\CLSID\\{20D04FE0-3AEA-1069-A2D8-08002B30309D}\\DefaultIcon] 1700000000
@="C:\\windows\\system32\\shell32.dll,-1"

[Software\\Microsoft\\Windows NT\\CurrentVersion] 1700000000
"SystemRoot"="C:\\windows"

[Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\Shell Icons] 1700000000
"4"="icons.icl,0"
REG
printf 'WINE REGISTRY Version 2\n' >"$prefix/user.reg"
mkdir -p "$catalogue"
cat >"$catalogue/IconConfig.xml" <<'XML'
<?xml version='1.0' encoding='ISO-8859-1'?>
<Root>
   <INFO ICONS="0"/>
   <Explorer ICONS="3">
      <I15 Name="My Computer" Loc="HKLC\{20D04FE0-3AEA-1069-A2D8-08002B30309D}"/>
      <I99 Name="Computer Again" Def="shell32.dll,-1"/>
      <I99 Name="Application" Def="shell32.dll,0"/>
   </Explorer>
   <Folders ICONS="1">
      <I4 Name="Folder Open"/>
   </Folders>
   <Misc ICONS="2">
      <I99 Name="Plain" Def="%SystemRoot%\app.ico"/>
      <I99 Name="Nowhere" Def="missing.dll,0"/>
   </Misc>
</Root>
XML
