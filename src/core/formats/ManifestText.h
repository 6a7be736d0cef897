// The fixed texts and naming rules of the project manifest pe.xml.
#pragma once

#include <cstdint>
#include <string>

namespace vellum {

// The two entries that follow the root Directory line and describe the header tables. They are
// not resources; Ignore="1" tells the compiler so.
extern const char* const kHeaderEntries;

// Apostrophe, ampersand, less-than and greater-than as XML entities.
std::string EscapeManifestText(const std::string& text);

struct EntryName {
    std::string name;     // as the Entry line records it
    std::string fileName; // the output name the resource's file is written under
    bool stripExt = false;
};

// The rules for a named resource of `type`: one leading and one trailing double quote are
// dropped; a bitmap whose name does not end in .BMP or .PNG gets ".BMP" and StripExt; a named
// icon or cursor keeps its name but its file gets ".ICO" or ".CUR" when it lacks that ending.
EntryName ProcessEntryName(std::string name, std::uint32_t type);

// The output name of an ID entry: Cursor00001.CUR, Icon00001.ICO, Bitmap00001.BMP, AVI00001.AVI
// for the type named AVI, otherwise the type name followed by the ID in five digits.
std::string OutputNameForId(std::uint32_t type, const std::string& typeName, std::uint32_t id);

// Where a resource file goes inside the project folder. A name whose fourth character from the
// end is an underscore gets a full stop there (BLUE_NORMAL_INI -> BLUE_NORMAL.INI); with
// visual-style naming the text before the first remaining underscore becomes a subfolder
// (BLUE\NORMAL.INI). Both parts are made safe as file names.
struct OutputLocation {
    std::string folder; // empty, or one folder name
    std::string leaf;
    std::string Relative() const { return folder.empty() ? leaf : folder + "\\" + leaf; }
};
OutputLocation LocateOutput(const std::string& outputName, bool visualStyleNaming);

} // namespace vellum
