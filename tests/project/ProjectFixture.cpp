// Builders of manifests, icon files and loaded projects for the project-model tests.
#include "project/ProjectFixture.h"

#include "common/Strings.h"
#include "formats/ManifestText.h"

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

namespace {

void Put16(std::vector<std::uint8_t>& out, std::uint32_t v) {
    out.push_back(std::uint8_t(v));
    out.push_back(std::uint8_t(v >> 8));
}

void Put32(std::vector<std::uint8_t>& out, std::uint32_t v) {
    Put16(out, v & 0xFFFF);
    Put16(out, v >> 16);
}

void Put32BigEndian(std::vector<std::uint8_t>& out, std::uint32_t v) {
    for (int shift = 24; shift >= 0; shift -= 8)
        out.push_back(std::uint8_t(v >> shift));
}

} // namespace

std::vector<std::uint8_t> DibImage(int size, std::size_t extra) {
    std::vector<std::uint8_t> out;
    Put32(out, 40);
    Put32(out, std::uint32_t(size));
    Put32(out, std::uint32_t(size * 2));
    Put16(out, 1);
    Put16(out, 4);
    out.resize(40, 0);
    for (std::size_t i = 0; i < extra; ++i)
        out.push_back(std::uint8_t(i));
    return out;
}

std::vector<std::uint8_t> PngImage(std::uint32_t width, std::uint32_t height) {
    std::vector<std::uint8_t> out{0x89, 'P', 'N', 'G', 0x0D, 0x0A, 0x1A, 0x0A};
    Put32BigEndian(out, 13);
    for (char c : std::string("IHDR"))
        out.push_back(std::uint8_t(c));
    Put32BigEndian(out, width);
    Put32BigEndian(out, height);
    out.insert(out.end(), {8, 6, 0, 0, 0, 0, 0, 0, 0});
    return out;
}

std::vector<std::uint8_t> IconFileOf(const std::vector<std::vector<std::uint8_t>>& images,
                                     bool cursor, int claimed) {
    std::vector<std::uint8_t> out;
    Put16(out, 0);
    Put16(out, cursor ? 2 : 1);
    Put16(out, std::uint32_t(images.size()));
    std::uint32_t offset = std::uint32_t(6 + 16 * images.size());
    for (const auto& image : images) {
        out.insert(out.end(), {std::uint8_t(claimed), std::uint8_t(claimed), 0, 0});
        Put16(out, cursor ? 3 : 1);
        Put16(out, cursor ? 5 : 4);
        Put32(out, std::uint32_t(image.size()));
        Put32(out, offset);
        offset += std::uint32_t(image.size());
    }
    for (const auto& image : images)
        out.insert(out.end(), image.begin(), image.end());
    return out;
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
