// Tests for the icon catalogue, location strings and the snapshot document.
#include "iconset/IconCatalogue.h"

#include "common/Strings.h"
#include "common/TestSupport.h"
#include "iconset/IconLocation.h"
#include "iconset/IconsetDocument.h"

#include <filesystem>
#include <gtest/gtest.h>
#include <map>
#include <set>

namespace vellum {
namespace {

using test::ScratchDir;
using test::WriteFileText;

const char kCatalogue[] = R"xml(<?xml version='1.0' encoding='ISO-8859-1'?>
<Root>
   <INFO ICONS="0"><I1 Name="Not an icon"/></INFO>
   <Explorer ICONS="2">
      <I15 Name="My Computer (2)" Name2="Computer" Name4="Gap" Loc="HKCS\{20D04FE0-3AEA-1069-A2D8-08002B30309D}" Lnk="explorer.exe"/>
      <I99 Name="Docs &amp; Stuff" csidl="5" SCF="ToggleDesktop"/>
   </Explorer>
   <Extension ICONS="1">
      <X12ab Name="Text Document" Loc=".txt" Loc2="HEXT\txtfile" Loc3="" Loc4="HKCR\never"/>
   </Extension>
</Root>
)xml";

struct LoadedCatalogue {
    ScratchDir dir;
    IconCatalogue catalogue;
    LoadedCatalogue(const std::string& text = kCatalogue) {
        WriteFileText(dir / "IconConfig.xml", text);
        EXPECT_EQ(catalogue.Load(dir / "IconConfig.xml"), S_OK);
    }
};

TEST(IconCatalogue, RecordsCategoriesAndMatchLists) {
    LoadedCatalogue loaded;
    IconCatalogue& c = loaded.catalogue;
    ASSERT_EQ(c.CategoryCount(), 3);
    EXPECT_EQ(c.CategoryName(2), "Extension");
    EXPECT_EQ(c.CategorySlot("EXPLORER"), 1);
    EXPECT_EQ(c.CategoryIconCount(1), 2);
    EXPECT_TRUE(c.CategoryEntries("info").empty());
    EXPECT_EQ(c.CategoryEntries("Explorer").size(), 2u);

    ASSERT_EQ(c.Records().size(), 4u) << "INFO holds no icons; Name4 after a gap is not read";
    const CatalogueRecord& computer = c.Records()[0];
    EXPECT_EQ(computer.tag, "MyComputer2");
    EXPECT_EQ(computer.shellIconIndex, 15);
    EXPECT_EQ(computer.csidl, -1);
    EXPECT_EQ(computer.category, 1);
    EXPECT_EQ(c.Records()[1].displayName, "Computer");
    EXPECT_EQ(c.Records()[1].element, computer.element);
    EXPECT_EQ(c.Records()[2].tag, "DocsStuff");
    EXPECT_EQ(c.Records()[2].shellIconIndex, IconCatalogue::kNoShellIconIndex);
    EXPECT_EQ(c.Records()[2].csidl, 5);
    EXPECT_EQ(c.Records()[3].shellIconIndex, IconCatalogue::kNoShellIconIndex)
        << "X12ab is not a letter and a number";

    EXPECT_EQ(c.FindByTag("mycomputer2"), 0u);
    EXPECT_EQ(c.FindByTag("COMPUTER"), 1u);
    EXPECT_FALSE(c.FindByTag("Gap"));
    EXPECT_EQ(c.FindByName("Text Document"), 3u);
    EXPECT_EQ(c.Locations(c.Records()[3].element),
              (std::vector<std::string>{".txt", "HEXT\\txtfile"}));
    ASSERT_EQ(c.LnkMatches().size(), 1u);
    EXPECT_EQ(c.LnkMatches()[0].name, "My Computer (2)");
    EXPECT_EQ(c.ScfMatches()[0].value, "ToggleDesktop");
}

TEST(IconCatalogue, LimitsAndMissingFile) {
    std::string big = "<Root><INFO/>";
    for (int category = 0; category < 9; ++category) {
        big += "<C" + std::to_string(category) + ">";
        for (int i = 0; i < 40; ++i)
            big += "<I99 Name=\"n" + std::to_string(category * 40 + i) + "\"/>";
        big += "</C" + std::to_string(category) + ">";
    }
    LoadedCatalogue loaded(big + "</Root>");
    EXPECT_EQ(loaded.catalogue.CategoryCount(), IconCatalogue::kCategorySlots);
    EXPECT_EQ(loaded.catalogue.Records().size(), 280u) << "7 icon categories of 40";

    IconCatalogue empty;
    EXPECT_LT(empty.Load(loaded.dir / "missing.xml"), 0);
    EXPECT_TRUE(empty.Records().empty());
    EXPECT_EQ(empty.CategoryCount(), 0);

    std::string many = "<Root><INFO/><A>";
    for (int i = 0; i < 400; ++i)
        many += "<I99 Name=\"n" + std::to_string(i) + "\"/>";
    LoadedCatalogue capped(many + "</A></Root>");
    EXPECT_EQ(capped.catalogue.Records().size(), IconCatalogue::kMaxRecords);
}

TEST(IconCatalogue, ShippedCatalogueIsComplete) {
    IconCatalogue c;
    ASSERT_EQ(c.Load(std::string(VELLUM_SOURCE_DIR) + "/data/IconConfig.xml"), S_OK);
    ASSERT_EQ(c.CategoryCount(), 6);
    EXPECT_EQ(c.CategoryName(0), "INFO");
    std::size_t entries = 0;
    for (const char* name : {"Explorer", "Folders", "Drives", "Misc", "Extension"}) {
        std::optional<int> slot = c.CategorySlot(name);
        ASSERT_TRUE(slot) << name;
        EXPECT_EQ(std::size_t(c.CategoryIconCount(*slot)), c.CategoryEntries(name).size()) << name;
        entries += c.CategoryEntries(name).size();
    }
    EXPECT_GT(entries, 100u);
    std::set<std::string> tags;
    for (const CatalogueRecord& record : c.Records()) {
        EXPECT_TRUE(tags.insert(ToUpperAscii(record.tag)).second) << record.tag;
        for (const std::string& location : c.Locations(record.element))
            EXPECT_TRUE(location[0] == '.' || location[0] == '{' || ParseLocationString(location))
                << location;
    }
}

TEST(LocationStrings, PrefixesResolveToRootAndKey) {
    struct Case {
        const char* text;
        RootKey root;
        const char* key;
    } cases[] = {
        {"HKCR\\.txt", RootKey::ClassesRoot, ".txt"},
        {"HKLM\\Software\\X", RootKey::LocalMachine, "Software\\X"},
        {"HKCU/Control Panel", RootKey::CurrentUser, "Control Panel"},
        {"HKCS\\{20D04FE0-3AEA-1069-A2D8-08002B30309D}", RootKey::CurrentUser,
         "Software\\Classes\\CLSID\\{20D04FE0-3AEA-1069-A2D8-08002B30309D}\\DefaultIcon"},
        {"HKLC\\{645FF040-5081-101B-9F08-00AA002F954E}\\DefaultIcon", RootKey::LocalMachine,
         "Software\\Classes\\CLSID\\{645FF040-5081-101B-9F08-00AA002F954E}\\DefaultIcon"},
        {"HEXT\\txtfile", RootKey::ClassesRoot, "txtfile\\DefaultIcon"},
        {"HEXP\\{X}", RootKey::CurrentUser,
         "Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\CLSID\\{X}\\DefaultIcon"},
    };
    for (const Case& c : cases) {
        std::optional<RegistryLocation> parsed = ParseLocationString(c.text);
        ASSERT_TRUE(parsed) << c.text;
        EXPECT_EQ(parsed->root, c.root) << c.text;
        EXPECT_EQ(parsed->key, c.key) << c.text;
    }
    for (const char* bad : {"HKXX\\a", "hkcr\\a", "HKCR", "", ".txt", "{X}\\DefaultIcon"})
        EXPECT_FALSE(ParseLocationString(bad)) << bad;
}

TEST(LocationStrings, ValueNamesForReadingAndWriting) {
    auto read = [](const char* text) {
        std::optional<RegistryValueRef> ref = ValueForReading(text);
        return ref ? ref->key + "|" + ref->valueName : std::string("none");
    };
    EXPECT_EQ(read("HKCR\\CLSID\\{R}\\DefaultIcon\\full"), "CLSID\\{R}\\DefaultIcon|full");
    EXPECT_EQ(read("HKLC\\{R}\\DefaultIcon\\Empty"),
              "Software\\Classes\\CLSID\\{R}\\DefaultIcon|Empty");
    EXPECT_EQ(read("HKCU\\Software\\Full\\x"), "Software\\Full\\x|");
    EXPECT_EQ(read("{R}\\DefaultIcon\\Full"), "CLSID\\{R}\\DefaultIcon|Full");
    EXPECT_EQ(read("{R}\\defaulticon"), "CLSID\\{R}\\defaulticon|");
    EXPECT_EQ(read(".txt"), "none");
    EXPECT_EQ(read("HKZZ\\x"), "none");

    std::optional<RegistryValueRef> write = ValueForWriting("HKCR\\CLSID\\{R}\\DefaultIcon\\Full");
    ASSERT_TRUE(write);
    EXPECT_EQ(write->key, "CLSID\\{R}\\DefaultIcon");
    EXPECT_EQ(write->valueName, "Full");
    write = ValueForWriting("HKCS\\{R}");
    EXPECT_EQ(write->key, "Software\\Classes\\CLSID\\{R}\\DefaultIcon");
    EXPECT_EQ(write->valueName, "");
}

// Registry values from a map, for the extension lookup.
class MapSystem : public WindowsSystem {
public:
    std::map<std::string, std::string> values; // "root|key|name"
    HRESULT ReadString(RootKey root, std::string_view key, std::string_view name,
                       std::string* value) override {
        auto it = values.find(std::to_string(int(root)) + "|" + std::string(key) + "|" +
                              std::string(name));
        if (it == values.end())
            return HRESULT_FROM_WIN32(ERROR_FILE_NOT_FOUND);
        *value = it->second;
        return S_OK;
    }
    HRESULT WriteString(RootKey, std::string_view, std::string_view, std::string_view) override {
        return E_FAIL;
    }
    HRESULT CreateKey(RootKey, std::string_view) override { return E_FAIL; }
    HRESULT DeleteKey(RootKey, std::string_view) override { return E_FAIL; }
    HRESULT EnumerateSubkeys(RootKey, std::string_view, std::vector<std::string>*) override {
        return E_FAIL;
    }
    HRESULT EnumerateValues(RootKey, std::string_view, std::vector<std::string>*) override {
        return E_FAIL;
    }
    HRESULT ShellFolder(int, std::string*) override { return E_FAIL; }
    std::string WindowsFolder() override { return "C:\\windows"; }
    std::string SystemFolder() override { return "C:\\windows\\system32"; }
    std::string ExpandEnvironment(std::string_view text) override { return std::string(text); }
    std::string ToHostPath(std::string_view) override { return {}; }
    std::string ToWindowsPath(std::string_view) override { return {}; }
    std::string ReadProfileString(std::string_view, std::string_view, std::string_view,
                                  std::string_view fallback) override {
        return std::string(fallback);
    }
    HRESULT WriteProfileString(std::string_view, std::string_view, std::string_view,
                               std::string_view) override {
        return E_FAIL;
    }
    HRESULT ReadShortcut(std::string_view, ShortcutInfo*) override { return E_FAIL; }
    HRESULT SetShortcutIcon(std::string_view, std::string_view, int) override { return E_FAIL; }
    void RefreshDesktop() override {}
};

TEST(LocationStrings, ReadLocationFollowsExtensionToClass) {
    MapSystem system;
    system.values["0|.txt|"] = "txtfile";
    system.values["0|txtfile\\DefaultIcon|"] = "notepad.exe,1";
    system.values["0|CLSID\\{R}\\DefaultIcon|Full"] = "shell32.dll,32";
    EXPECT_EQ(ReadLocation(system, ".txt"), "notepad.exe,1");
    EXPECT_EQ(ReadLocation(system, "{R}\\DefaultIcon\\Full"), "shell32.dll,32");
    EXPECT_EQ(ReadLocation(system, ".ini"), std::nullopt);
    EXPECT_EQ(ReadLocation(system, "HKCR\\missing"), std::nullopt);
}

TEST(IconLocations, SplitAtTheLastComma) {
    IconLocation l = SplitIconLocation("C:\\a,b\\shell32.dll,-16");
    EXPECT_EQ(l.path, "C:\\a,b\\shell32.dll");
    EXPECT_EQ(l.index, -16);
    l = SplitIconLocation("\"%SystemRoot%\\notepad.exe\", 3");
    EXPECT_EQ(StripQuotes(l.path), "%SystemRoot%\\notepad.exe");
    EXPECT_EQ(l.index, 3);
    l = SplitIconLocation("icon.ico");
    EXPECT_EQ(l.path, "icon.ico");
    EXPECT_EQ(l.index, 0);
    EXPECT_EQ(SplitIconLocation("x.dll,").index, 0);
    EXPECT_EQ(SplitIconLocation("x.dll,99999999999").index, 2147483647);
}

TEST(IconLocations, TagsAndFileTests) {
    EXPECT_EQ(MakeTag("My Computer (2)"), "MyComputer2");
    EXPECT_EQ(MakeTag("5 1/4 floppy_x.y"), "514floppy_xy");
    EXPECT_TRUE(IsIconsetFile("C:\\Sets\\Blue.ICONSET"));
    EXPECT_FALSE(IsIconsetFile("blue.iconset.bak"));
    EXPECT_TRUE(IsZippedIconset("a.IconZip"));
    EXPECT_TRUE(IsZippedIconset("a.ZIP"));
    EXPECT_FALSE(IsZippedIconset("a.iconset"));
}

std::string Saved(XmlDocument& doc) {
    std::string text;
    EXPECT_EQ(doc.SaveToString(&text), S_OK);
    return text;
}

TEST(SnapshotDocument, IconsSortedWithRepeatsAndBlanksReversed) {
    XmlDocument doc;
    InsertIcon(doc, "B", {"Loc", "HKCS\\{B}"}, "c:\\b.dll,1");
    InsertIcon(doc, "A", {}, "C:\\z.dll,0");
    InsertIcon(doc, "C", {"csidl", "5"}, "c:\\b.dll,1");
    InsertIcon(doc, "D", {}, "c:\\a.dll,0");
    InsertIcon(doc, "E", {}, "c:\\b.dll,1");
    InsertBlank(doc, "First", {"Loc", ".txt"});
    InsertBlank(doc, "Second", {});
    EXPECT_EQ(Saved(doc), "<?xml version='1.0' encoding='ISO-8859-1'?>\r\n"
                          "<Root>\r\n"
                          "   <Icons>\r\n"
                          "      <A Icon=\"C:\\z.dll,0\"/>\r\n"
                          "      <D Icon=\"c:\\a.dll,0\"/>\r\n"
                          "      <B Loc=\"HKCS\\{B}\" Icon=\"c:\\b.dll,1\"/>\r\n"
                          "      <E Icon=\"$REPEAT$\"/>\r\n"
                          "      <C csidl=\"5\" Icon=\"$REPEAT$\"/>\r\n"
                          "   </Icons>\r\n"
                          "   <Blanks>\r\n"
                          "      <Second Icon=\"\"/>\r\n"
                          "      <First Loc=\".txt\" Icon=\"\"/>\r\n"
                          "   </Blanks>\r\n"
                          "</Root>\r\n");
}

TEST(LoadedIconset, MatchesTagsAndReadsInfo) {
    LoadedCatalogue loaded;
    WriteFileText(loaded.dir / "set.iconset",
                  "<Root><Info Name=\"First\" Author=\"Second\" web=\"w\" Extra=\"x\"/>"
                  "<Icons><computer Icon=\"a.icl,0\"/><Unknown Icon=\"z\"/>"
                  "<TEXTDOCUMENT Loc=\".txt\" Icon=\"%Sets%\\a.icl,1\"/></Icons></Root>");
    XmlDocument set;
    ASSERT_EQ(set.Load(loaded.dir / "set.iconset"), S_OK);
    IconCatalogue& c = loaded.catalogue;
    auto expand = [](std::string_view text) {
        std::string s(text);
        return s.replace(s.find("%Sets%"), 6, "C:\\Sets");
    };
    std::vector<AppliedIcon> applied = c.MatchIconset(set, expand);
    ASSERT_EQ(applied.size(), 2u);
    EXPECT_EQ(applied[0].record, 1u);
    EXPECT_EQ(applied[1].location, "C:\\Sets\\a.icl,1");
    ASSERT_EQ(c.CategoryItems(1).size(), 1u);
    EXPECT_EQ(c.CategoryItems(1)[0].name, "Computer");
    EXPECT_EQ(c.CategoryItems(2)[0].value, "C:\\Sets\\a.icl,1");

    IconsetInfo info = c.ReadInfoFields(set);
    EXPECT_EQ(info.author, "Author: First");
    EXPECT_EQ(info.website, "w");
    EXPECT_EQ(info.title, "Unknown");
    EXPECT_EQ(c.CategoryItems(0).size(), 4u);
    EXPECT_EQ(c.CategoryItems(0)[3].name, "Extra");

    XmlDocument none;
    EXPECT_EQ(c.ReadInfoFields(none).author, "Author: Unknown");
    c.ClearLoadedIconset();
    c.FillSystemCache();
    ASSERT_EQ(c.CategoryItems(1).size(), 49u);
    EXPECT_EQ(c.CategoryItems(1)[15].name, "My Computer");
    EXPECT_EQ(c.CategoryItems(1)[46].value, "?");
}

} // namespace
} // namespace vellum
