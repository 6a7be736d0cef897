// Every version block, dialog, menu and accelerator table of Wine's own DLLs, as its resource
// compiler wrote them: each must read, and write back the bytes it was read from. Skipped where
// Wine is not installed.
#include "common/TestSupport.h"
#include "formats/AcceleratorTable.h"
#include "formats/DialogTemplate.h"
#include "formats/MenuTemplate.h"
#include "formats/ResourceDirectory.h"
#include "formats/VersionInfo.h"
#include "support/ResourceLists.h"

#include <filesystem>
#include <gtest/gtest.h>

using namespace vellum;

namespace {

const char* const kWineDir = "/usr/lib/x86_64-linux-gnu/wine/x86_64-windows/";
constexpr std::uint16_t kMenu = 4;
constexpr std::uint16_t kDialog = 5;
constexpr std::uint16_t kAccelerators = 9;

std::optional<std::vector<std::uint8_t>> RoundTrip(std::uint16_t type, ByteView bytes) {
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
        for (const auto& [key, bytes] :
             test::PeResources(view, {kMenu, kDialog, kAccelerators, rt::kVersion})) {
            std::optional<std::vector<std::uint8_t>> back =
                RoundTrip(key.type, ByteView(bytes.data(), bytes.size()));
            std::string where = std::string(name) + " type " + std::to_string(key.type) +
                                " language " + std::to_string(key.language);
            ASSERT_TRUE(back) << where;
            EXPECT_EQ(*back, bytes) << where;
            ++checked;
        }
    }
    // Wine's DLLs hold well over a thousand of them; a walk that finds none is broken.
    EXPECT_GT(checked, 1000u);
}

} // namespace
