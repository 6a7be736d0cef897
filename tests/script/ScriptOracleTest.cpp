// The scripts Vellum writes, compiled again by binutils' windres: every dialog, menu,
// accelerator table, string table and version block of the test fixtures and of Wine's DLLs
// (comdlg32, shell32, user32, comctl32, notepad) must come back with the bytes it had, apart
// from what the script language cannot say. Skipped where windres (or Wine) is missing.
#include "common/TestSupport.h"
#include "formats/ResourceDirectory.h"
#include "script/ResourceScript.h"
#include "support/ByteBuilder.h"
#include "support/ResourceLists.h"

#include <cstdlib>
#include <filesystem>
#include <gtest/gtest.h>

using namespace vellum;
using namespace vellum::test;

namespace {

constexpr std::uint16_t kMenu = 4;
constexpr std::uint16_t kDialog = 5;
constexpr std::uint16_t kStringTable = 6;
constexpr std::uint16_t kAccelerators = 9;

bool HaveWindres() {
    return std::system("command -v x86_64-w64-mingw32-windres >/dev/null 2>&1") == 0;
}

// The 16 strings of a string-table block: each a u16 length and its UTF-16 code units.
std::vector<std::u16string> StringsOfBlock(const Bytes& block) {
    std::vector<std::u16string> strings;
    ByteView v = View(block);
    for (std::uint64_t at = 0; strings.size() < 16 && v.Has(at, 2);) {
        std::u16string text;
        std::uint16_t units = v.U16(at);
        for (std::uint16_t i = 0; i < units; ++i)
            text.push_back(char16_t(v.U16(at + 2 + 2 * i)));
        strings.push_back(text);
        at += 2 + 2 * std::uint64_t(units);
    }
    return strings;
}

// Adds one resource to the script; false for bytes the parsers refuse.
bool Add(ResourceScript& script, const ResourceKey& key, const Bytes& bytes) {
    ByteView view = View(bytes);
    switch (key.type) {
    case kDialog:
        if (auto d = DialogTemplate::Parse(view))
            return script.AddDialog(key.name, key.language, *d), true;
        return false;
    case kMenu:
        if (auto m = MenuTemplate::Parse(view))
            return script.AddMenu(key.name, key.language, *m), true;
        return false;
    case kAccelerators:
        if (auto a = AcceleratorTable::Parse(view))
            return script.AddAccelerators(key.name, key.language, *a), true;
        return false;
    case kStringTable:
        script.AddStringBlock(key.name.ordinal.value_or(0), key.language, StringsOfBlock(bytes));
        return true;
    default:
        if (auto v = VersionInfo::Parse(view))
            return script.AddVersionInfo(key.name, key.language, *v), true;
        return false;
    }
}

std::string Describe(const ResourceKey& key) {
    return "type " + std::to_string(key.type) + " name " +
           (key.name.ordinal ? std::to_string(*key.name.ordinal) : "(string)") + " language " +
           std::to_string(key.language);
}

// What windres writes for a resource: no padding behind the last item of a dialog or menu (Wine's
// compiler pads some menus to 4 bytes), and class names in capitals (Windows compares them
// without regard to case), so a dialog naming "ComboBoxEx32" comes back naming "COMBOBOXEX32".
Bytes AsWindresWritesIt(const ResourceKey& key, const Bytes& bytes) {
    if (key.type == kMenu) {
        std::optional<MenuTemplate> menu = MenuTemplate::Parse(View(bytes));
        if (!menu)
            return bytes;
        menu->trailing.clear();
        return menu->Serialize().value_or(Bytes{});
    }
    std::optional<DialogTemplate> dialog;
    if (key.type != kDialog || !(dialog = DialogTemplate::Parse(View(bytes))))
        return bytes;
    auto upper = [](NameOrOrdinal& name) {
        for (char16_t& c : name.name)
            c = c >= u'a' && c <= u'z' ? char16_t(c - u'a' + u'A') : c;
    };
    upper(dialog->windowClass);
    for (DialogItem& item : dialog->items)
        upper(item.windowClass);
    dialog->trailing.clear();
    return dialog->Serialize().value_or(Bytes{});
}

// Resource compilers differ in what a script cannot say: whether a node's length counts the
// padding behind it, and the wType of a node that holds only children (Wine's compiler writes 0
// for StringFileInfo, windres 1). A version block is compared without them.
void ForgetHabits(VersionNode& node) {
    node.trailing.clear();
    if (!node.children.empty() && node.value.empty())
        node.type = kVersionValueText;
    for (VersionNode& child : node.children)
        ForgetHabits(child);
}

std::optional<VersionInfo> WithoutCompilerHabits(const Bytes& bytes) {
    std::optional<VersionInfo> info = VersionInfo::Parse(View(bytes));
    if (info) {
        ForgetHabits(info->root);
        info->after.clear();
    }
    return info;
}

// Where two byte strings part, for the failure message.
std::string FirstDifference(const Bytes& got, const Bytes& expected) {
    std::size_t at = 0;
    while (at < got.size() && at < expected.size() && got[at] == expected[at])
        ++at;
    return "sizes " + std::to_string(got.size()) + " and " + std::to_string(expected.size()) +
           ", first difference at byte " + std::to_string(at);
}

// Writes the script of every listed resource of `file`, compiles it and compares.
void CheckFile(const std::string& path) {
    SCOPED_TRACE(path);
    Bytes file = ReadFileBytes(path);
    ResourceMap original =
        PeResources(View(file), {kMenu, kDialog, kStringTable, kAccelerators, rt::kVersion});
    ASSERT_FALSE(original.empty());
    ResourceScript script;
    for (const auto& [key, bytes] : original)
        ASSERT_TRUE(Add(script, key, bytes)) << Describe(key);

    ScratchDir dir;
    WriteFileText(dir / "script.rc", script.Text());
    std::string command = "x86_64-w64-mingw32-windres -c 65001 -i '" + (dir / "script.rc") +
                          "' -O res -o '" + (dir / "script.res") + "' 2>&1";
    ASSERT_EQ(std::system(command.c_str()), 0) << script.Text();
    Bytes res = ReadFileBytes(dir / "script.res");
    ResourceMap compiled = ResFileResources(View(res));
    for (const auto& [key, bytes] : original) {
        auto found = compiled.find(key);
        ASSERT_NE(found, compiled.end()) << Describe(key);
        if (key.type == rt::kVersion)
            EXPECT_EQ(WithoutCompilerHabits(found->second), WithoutCompilerHabits(bytes))
                << Describe(key);
        else
            EXPECT_TRUE(found->second == AsWindresWritesIt(key, bytes))
                << Describe(key) << ": " << FirstDifference(found->second, bytes);
    }
}

TEST(ScriptOracle, TestFixturesCompileBackToTheirBytes) {
    if (!HaveWindres())
        GTEST_SKIP() << "x86_64-w64-mingw32-windres is not installed";
    for (const char* name : {"resources.dll", "localized.dll", "reloc.dll", "resonly.dll",
                             "theme.msstyles", "x64.dll"})
        CheckFile(DataPath(name));
}

TEST(ScriptOracle, WineDllsCompileBackToTheirBytes) {
    const std::string folder = "/usr/lib/x86_64-linux-gnu/wine/x86_64-windows/";
    if (!HaveWindres() || !std::filesystem::exists(folder + "comdlg32.dll"))
        GTEST_SKIP() << "needs x86_64-w64-mingw32-windres and Wine";
    for (const char* name :
         {"comdlg32.dll", "shell32.dll", "user32.dll", "comctl32.dll", "notepad.exe"})
        CheckFile(folder + name);
}

} // namespace
