#include "formats/ManifestText.h"

#include "common/Path.h"
#include "common/Strings.h"

namespace vellum {

const char* const kHeaderEntries =
    "   <Entry Name=\"DOSHEADER\" Directory=\"1\" Ignore=\"1\">\r\n"
    "      <Directory Type=\"0\" Name=\"DOSHEADER\" Named_Entries=\"10\" ID_Entries=\"0\">\r\n"
    "         <Entry Name=\"DosHeader\" Directory=\"1\">\r\n"
    "            <Directory Type=\"0\" Name=\"DosHeader\" Named_Entries=\"0\" ID_Entries=\"1\">\r\n"
    "               <Entry ID=\"1033\" Directory=\"0\">\r\n"
    "                  <File Name=\"DosHeader.hdr\"/>\r\n"
    "               </Entry>\r\n"
    "            </Directory>\r\n"
    "         </Entry>\r\n"
    "      </Directory>\r\n"
    "   </Entry>\r\n"
    "   <Entry Name=\"NTHEADER\" Directory=\"1\" Ignore=\"1\">\r\n"
    "      <Directory Type=\"0\" Name=\"NTHEADER\" Named_Entries=\"10\" ID_Entries=\"0\">\r\n"
    "         <Entry Name=\"NTHeader\" Directory=\"1\">\r\n"
    "            <Directory Type=\"0\" Name=\"NT Header\" Named_Entries=\"0\" ID_Entries=\"1\">\r\n"
    "               <Entry ID=\"1033\" Directory=\"0\">\r\n"
    "                  <File Name=\"NTHeader.hdr\"/>\r\n"
    "               </Entry>\r\n"
    "            </Directory>\r\n"
    "         </Entry>\r\n"
    "      </Directory>\r\n"
    "   </Entry>\r\n";

std::string EscapeManifestText(const std::string& text) {
    std::string out;
    out.reserve(text.size());
    for (char c : text) {
        switch (c) {
        case '\'':
            out += "&apos;";
            break;
        case '&':
            out += "&amp;";
            break;
        case '<':
            out += "&lt;";
            break;
        case '>':
            out += "&gt;";
            break;
        default:
            out += c;
        }
    }
    return out;
}

EntryName ProcessEntryName(std::string name, std::uint32_t type) {
    if (!name.empty() && name.front() == '"')
        name.erase(0, 1);
    if (!name.empty() && name.back() == '"')
        name.pop_back();
    EntryName entry;
    if (type == 2 && !HasExtension(name, ".BMP") && !HasExtension(name, ".PNG")) {
        name += ".BMP";
        entry.stripExt = true;
    }
    entry.name = name;
    entry.fileName = name;
    if (type == 3 && !EndsWithNoCase(name, ".ICO"))
        entry.fileName += ".ICO";
    if (type == 1 && !EndsWithNoCase(name, ".CUR"))
        entry.fileName += ".CUR";
    return entry;
}

std::string OutputNameForId(std::uint32_t type, const std::string& typeName, std::uint32_t id) {
    switch (type) {
    case 1:
        return Format("Cursor%.5u.CUR", id);
    case 3:
        return Format("Icon%.5u.ICO", id);
    case 2:
        return Format("Bitmap%.5u.BMP", id);
    default:
        if (typeName == "AVI")
            return Format("AVI%.5u.AVI", id);
        return Format("%s%.5u", typeName.c_str(), id);
    }
}

OutputLocation LocateOutput(const std::string& outputName, bool visualStyleNaming) {
    std::string name = outputName;
    OutputLocation where;
    if (name.size() > 4 && name[name.size() - 4] == '_') {
        name[name.size() - 4] = '.';
        std::size_t underscore = name.find('_');
        if (visualStyleNaming && underscore != std::string::npos && underscore > 0) {
            where.folder = MakeSafeFileName(name.substr(0, underscore));
            name.erase(0, underscore + 1);
        }
    }
    where.leaf = MakeSafeFileName(name);
    return where;
}

} // namespace vellum
