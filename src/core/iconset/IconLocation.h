// The two location syntaxes of iconsets: registry locations ("HKCS\{clsid}", "{clsid}\DefaultIcon",
// ".txt") and icon locations ("C:\windows\system32\shell32.dll,-16").
//
// A registry location is a four-letter prefix, one separator and a key path; the prefix picks
// the root key and sometimes a fixed key in front of the path:
//   HKCR  HKEY_CLASSES_ROOT   key path as written
//   HKLM  HKEY_LOCAL_MACHINE  key path as written
//   HKCU  HKEY_CURRENT_USER   key path as written
//   HKLC  HKEY_LOCAL_MACHINE  Software\Classes\CLSID\<path>[\DefaultIcon]
//   HKCS  HKEY_CURRENT_USER   Software\Classes\CLSID\<path>[\DefaultIcon]
//   HEXT  HKEY_CLASSES_ROOT   <path>\DefaultIcon
//   HEXP  HKEY_CURRENT_USER   Software\Microsoft\Windows\CurrentVersion\Explorer\CLSID\<path>
//                             [\DefaultIcon]
// ("\DefaultIcon" in brackets is added unless the path already holds "DefaultIcon".) Without a
// prefix, a location starting with "{" is a class identifier below HKCR\CLSID and one starting
// with "." a file extension whose class names the icon.
#pragma once

#include "platform/WindowsSystem.h"

#include <optional>
#include <string>
#include <string_view>

namespace vellum {

struct RegistryLocation {
    RootKey root = RootKey::ClassesRoot;
    std::string key;
};

// One registry value: its key and its name ("" for the key's default value).
struct RegistryValueRef {
    RootKey root = RootKey::ClassesRoot;
    std::string key;
    std::string valueName;
};

// The root key and key path of a prefixed location; nothing for any other prefix.
std::optional<RegistryLocation> ParseLocationString(std::string_view text);

// The value a location names when it is read: a prefixed key whose last part is "Empty" or
// "Full" names that value of its parent; a class identifier names its last part as value unless
// that part is "DefaultIcon". Nothing for extensions (they need a registry lookup first) and for
// unusable prefixes.
std::optional<RegistryValueRef> ValueForReading(std::string_view location);

// The value a prefixed location names when it is written: a key holding "DefaultIcon\" is cut
// after "DefaultIcon" and the text after its last backslash is the value name.
std::optional<RegistryValueRef> ValueForWriting(std::string_view location);

// Reads the value a location names, extensions included (the extension's default value names a
// class, whose DefaultIcon default value is the icon). Nothing when any step finds no value.
std::optional<std::string> ReadLocation(WindowsSystem& system, std::string_view location);

// An icon location split at its last comma: the file part as written and the decimal index
// after the comma (0 when there is none; negative values are resource identifiers).
struct IconLocation {
    std::string path;
    int index = 0;
};
IconLocation SplitIconLocation(std::string_view text);

// The path without one leading and one trailing double quote character.
std::string_view StripQuotes(std::string_view path);

// A display name reduced to A-Z, a-z, 0-9 and "_": the element name an icon gets in an iconset.
std::string MakeTag(std::string_view displayName);

// ".iconset" files, and ".iconzip" or ".zip" archives (extensions compared without case).
bool IsIconsetFile(std::string_view path);
bool IsZippedIconset(std::string_view path);

} // namespace vellum
