// Builders of manifests, icon files and loaded projects for the project-model tests.
#include "project/ProjectFixture.h"

#include "common/Strings.h"
#include "formats/ManifestText.h"
#include "support/ByteBuilder.h"

#include <algorithm>
#include <filesystem>
#include <gtest/gtest.h>

namespace vellum::test {

std::string IdResourceXml(int id, const std::string& file) {
    return Format("<Entry ID='%d' Directory='1'><Directory Type='%d' Named_Entries='0' "
                  "ID_Entries='1'><Entry ID='1033' Directory='0'><File Name='%s' Size='1'/>"
                  "</Entry></Directory></Entry>\r\n",
                  id, id, file.c_str());
}

std::string TypeXml(const std::string& key, const std::string& value, int named, int ids,
                    const std::string& entries) {
    std::string directory = key == "ID" ? "Type='" + value + "'" : "Type='0' Name='" + value + "'";
    return Format("<Entry %s='%s' Directory='1'><Directory %s Named_Entries='%d' "
                  "ID_Entries='%d'>\r\n%s</Directory></Entry>\r\n",
                  key.c_str(), value.c_str(), directory.c_str(), named, ids, entries.c_str());
}

std::string ManifestXml(int namedTypes, int idTypes, const std::string& types) {
    return Format("<Directory Type='0' Named_Entries='%d' ID_Entries='%d'>\n", namedTypes + 2,
                  idTypes) +
           kHeaderEntries + types + "</Directory>\n";
}

std::string IconTypesXml(const std::vector<int>& icons, const std::vector<int>& groups) {
    std::string iconEntries, groupEntries;
    for (int id : icons)
        iconEntries += IdResourceXml(id, Format("Icon%.5d.ICO", id));
    for (int id : groups)
        groupEntries += IdResourceXml(id, Format("14%.5d", id));
    return TypeXml("ID", "3", 0, int(icons.size()), iconEntries) +
           TypeXml("ID", "14", 0, int(groups.size()), groupEntries);
}

std::vector<std::uint8_t> DibImage(int size, std::size_t extra) {
    ByteWriter image(DibHeaderBytes({.width = size, .height = size * 2, .bitCount = 4}));
    for (std::size_t i = 0; i < extra; ++i)
        image.U8(std::uint32_t(i));
    return image.Take();
}

std::vector<std::uint8_t> PngImage(std::uint32_t width, std::uint32_t height) {
    // Bit depth 8, colour type 6 (RGBA), then a CRC of zero.
    return kPngSignature + PngChunk("IHDR", PngHeaderData(width, height, 8, 6));
}

std::vector<std::uint8_t> IconFileOf(const std::vector<std::vector<std::uint8_t>>& images,
                                     bool cursor, int claimed) {
    // A cursor's entries hold the hot spot (3, 5) where an icon's hold planes and bit count.
    std::vector<IcoFileImage> entries;
    for (const auto& image : images)
        entries.push_back({.width = std::uint8_t(claimed),
                           .height = std::uint8_t(claimed),
                           .planes = std::uint16_t(cursor ? 3 : 1),
                           .bitCount = std::uint16_t(cursor ? 5 : 4),
                           .image = image});
    return IconFileBytes(cursor ? kCursorType : kIconType, entries);
}

ProjectFixture::ProjectFixture(const std::string& manifestText) {
    WriteFileText(dir / "pe.xml", manifestText);
    EXPECT_EQ(project.Load(dir / "pe.xml"), S_OK);
}

std::string ProjectFixture::ManifestNow() {
    std::string text;
    project.Manifest().SaveToString(&text);
    return text;
}

std::vector<std::string> ProjectFixture::FilesInFolder() const {
    std::vector<std::string> names;
    for (const auto& entry : std::filesystem::directory_iterator(dir.Path()))
        names.push_back(entry.path().filename().string());
    std::sort(names.begin(), names.end());
    return names;
}

} // namespace vellum::test
