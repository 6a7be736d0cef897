// Every version block, dialog, menu and accelerator table of Wine's own DLLs, as its resource
// compiler wrote them: each must read, and write back the bytes it was read from. Skipped where
// Wine is not installed.
#include "common/TestSupport.h"
#include "formats/AcceleratorTable.h"
#include "formats/DialogTemplate.h"
#include "formats/MenuTemplate.h"
#include "formats/PeImage.h"
#include "formats/ResourceDirectory.h"
#include "formats/VersionInfo.h"

#include <filesystem>
#include <gtest/gtest.h>

using namespace vellum;

namespace {

const char* const kWineDir = "/usr/lib/x86_64-linux-gnu/wine/x86_64-windows/";
constexpr unsigned kResourceDataDirectory = 2;
constexpr std::uint32_t kMenu = 4;
constexpr std::uint32_t kDialog = 5;
constexpr std::uint32_t kAccelerators = 9;

struct Found {
    std::string label; // "name/language"
    ByteView bytes;
};

// The section that holds `rva`.
const SectionHeader* SectionOf(const PeImage& pe, std::uint32_t rva) {
    for (const SectionHeader& s : pe.Sections())
        if (rva >= s.virtualAddress && rva - s.virtualAddress < s.sizeOfRawData)
            return &s;
    return nullptr;
}

// Every resource of one type, walked through the usual three levels.
std::vector<Found> ResourcesOfType(ByteView file, std::uint32_t type) {
    PeImage pe;
    std::optional<std::pair<std::uint32_t, std::uint32_t>> dir;
    if (pe.Parse(file) < 0 || !(dir = pe.DataDirectory(kResourceDataDirectory)))
        return {};
    const SectionHeader* rsrc = SectionOf(pe, dir->first);
    if (!rsrc)
        return {};
    ByteView section = file.Sub(rsrc->pointerToRawData, rsrc->sizeOfRawData);
    ResourceDirectory tree(section.From(dir->first - rsrc->virtualAddress));
    std::vector<Found> found;
    std::optional<ResourceDirectoryTable> types = tree.Directory(0);
    for (unsigned t = 0; types && t < types->Count(); ++t) {
        ResourceDirectoryEntry typeEntry = types->Entry(t);
        if (typeEntry.Named() || typeEntry.Id() != type || !typeEntry.IsDirectory())
            continue;
        std::optional<ResourceDirectoryTable> names = tree.Directory(typeEntry.Target());
        for (unsigned n = 0; names && n < names->Count(); ++n) {
            std::optional<ResourceDirectoryTable> languages =
                tree.Directory(names->Entry(n).Target());
            for (unsigned l = 0; languages && l < languages->Count(); ++l) {
                std::optional<ResourceDataEntry> data =
                    tree.DataEntry(languages->Entry(l).Target());
                if (!data)
                    continue;
                found.push_back({std::to_string(n) + "/" + std::to_string(languages->Entry(l).Id()),
                                 section.Sub(data->rva - rsrc->virtualAddress, data->size)});
            }
        }
    }
    return found;
}

std::optional<std::vector<std::uint8_t>> RoundTrip(std::uint32_t type, ByteView bytes) {
    auto written = [](auto parsed) -> std::optional<std::vector<std::uint8_t>> {
        if (!parsed)
            return std::nullopt;
        return std::optional<std::vector<std::uint8_t>>(parsed->Serialize());
    };
    switch (type) {
    case kMenu:
        return written(MenuTemplate::Parse(bytes));
    case kDialog:
        return written(DialogTemplate::Parse(bytes));
    case kAccelerators:
        return written(AcceleratorTable::Parse(bytes));
    default:
        return written(VersionInfo::Parse(bytes));
    }
}

TEST(WineTemplates, EveryTemplateReadsAndWritesBackItsBytes) {
    std::size_t checked = 0;
    for (const char* name :
         {"comdlg32.dll", "shell32.dll", "user32.dll", "comctl32.dll", "notepad.exe"}) {
        std::string path = std::string(kWineDir) + name;
        if (!std::filesystem::exists(path))
            GTEST_SKIP() << "Wine is not installed: " << path;
        std::vector<std::uint8_t> file = test::ReadFileBytes(path);
        ByteView view(file.data(), file.size());
        for (std::uint32_t type : {kMenu, kDialog, kAccelerators, rt::kVersion}) {
            for (const Found& r : ResourcesOfType(view, type)) {
                std::optional<std::vector<std::uint8_t>> back = RoundTrip(type, r.bytes);
                ASSERT_TRUE(back) << name << " type " << type << " " << r.label;
                EXPECT_TRUE(std::equal(back->begin(), back->end(), r.bytes.Data(),
                                       r.bytes.Data() + r.bytes.Size()))
                    << name << " type " << type << " " << r.label;
                ++checked;
            }
        }
    }
    // Wine's DLLs hold well over a thousand of them; a walk that finds none is broken.
    EXPECT_GT(checked, 1000u);
}

} // namespace
