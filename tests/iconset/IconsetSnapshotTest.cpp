// Tests for the icon snapshot on a small Wine prefix: where each catalogue entry's icon is
// found, how the icons are extracted, and the icon library built from them.
#include "common/Prompter.h"
#include "common/TestSupport.h"
#include "iconset/IconFileTrim.h"
#include "iconset/IconSnapshot.h"
#include "iconset/IconSources.h"
#include "platform/WinePrefix.h"

#include <filesystem>
#include <gtest/gtest.h>

namespace vellum {
namespace {

namespace fs = std::filesystem;
using test::DataPath;
using test::ReadFileBytes;
using test::ReadFileText;
using test::ScratchDir;
using test::WriteFileText;

const char kSystemReg[] = R"reg(WINE REGISTRY Version 2
;; All keys relative to \\Machine

[Software\\Classes\\.txt] 1700000000
@="txtfile"

[Software\\Classes\\.log] 1700000000
@="txtfile"

[Software\\Classes\\txtfile\\DefaultIcon] 1700000000
@="%1"

[Software\\Classes\\CLSID\\{20D04FE0-3AEA-1069-A2D8-08002B30309D}\\DefaultIcon] 1700000000
@="C:\\windows\\system32\\shell32.dll,-1"

[Software\\Classes\\CLSID\\{11111111-0000-0000-0000-000000000000}\\DefaultIcon] 1700000000
@="\"C:\\windows\\system32\\shell32.dll\",1"

[Software\\Classes\\CLSID\\{22222222-0000-0000-0000-000000000000}] 1700000000
@="C:\\windows\\system32\\shell32.dll,-7"

[Software\\Microsoft\\Windows NT\\CurrentVersion] 1700000000
"SystemRoot"="C:\\windows"

[Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\Shell Icons] 1700000000
"4"=str(2):"%SystemRoot%\\system32\\icons.icl,0"
)reg";

const char kUserReg[] = R"reg(WINE REGISTRY Version 2
;; All keys relative to \\User\\S-1-5-21-0-0-0-1000

[Software\\Vellum\\Icon] 1700000000
@="C:\\windows\\app.ico"

[Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\Shell Folders] 1700000000
"Personal"="C:\\users\\tester\\Documents"
)reg";

// shell32.dll is resources.dll: group 0 is APP (32x32 at 32 bits, 16x16 at 8), group 1 (ID 1)
// holds five 16x16 images; icons.icl's only group holds three 16x16 images.
const char kCatalogue[] = R"xml(<?xml version='1.0' encoding='ISO-8859-1'?>
<Root>
   <INFO ICONS="0"/>
   <Explorer ICONS="7">
      <I15 Name="My Computer" Loc="HKCS\{20D04FE0-3AEA-1069-A2D8-08002B30309D}" Loc2="HKLC\{20D04FE0-3AEA-1069-A2D8-08002B30309D}"/>
      <I99 Name="Same Icon" Def="shell32.dll,-1"/>
      <I99 Name="Unreadable" Loc="HKCU\Software\Nowhere" Loc2="HKLM\Software\Missing"/>
      <I3 Name="Folder Closed"/>
      <I4 Name="Folder Open"/>
      <I99 Name="Quoted" Loc="{11111111-0000-0000-0000-000000000000}\DefaultIcon"/>
      <I99 Name="Refined" Loc="{22222222-0000-0000-0000-000000000000}" Loc2="HKCU\Software\Vellum\Icon"/>
   </Explorer>
   <Misc ICONS="5">
      <I99 Name="Folder-Open" Def="%SystemRoot%\app.ico"/>
      <I99 Name="My Documents" csidl="5"/>
      <I99 Name="Text Document" Loc=".txt"/>
      <I99 Name="Log File" Loc=".log"/>
      <I99 Name="Library Group" Def="C:\windows\system32\shell32.dll,0"/>
   </Misc>
</Root>
)xml";

struct SnapshotPrefix {
    ScratchDir dir;
    WinePrefix wine{dir / "prefix"};
    ScriptedPrompter prompter;
    SilentProgress silent;

    SnapshotPrefix() {
        std::string prefix = dir / "prefix/";
        fs::create_directories(prefix + "drive_c/windows/system32");
        fs::create_directories(prefix + "drive_c/users/tester/Documents");
        fs::create_directories(prefix + "dosdevices");
        fs::create_directory_symlink("../drive_c", prefix + "dosdevices/c:");
        WriteFileText(prefix + "system.reg", kSystemReg);
        WriteFileText(prefix + "user.reg", kUserReg);
        fs::copy_file(DataPath("resources.dll"), prefix + "drive_c/windows/system32/shell32.dll");
        fs::copy_file(DataPath("icons.icl"), prefix + "drive_c/windows/system32/icons.icl");
        fs::copy_file(DataPath("src/img/app.ico"), prefix + "drive_c/windows/app.ico");
        WriteFileText(prefix + "drive_c/users/tester/Documents/Desktop.ini",
                      "[.ShellClassInfo]\r\nIconFile=app.ico\r\nIconIndex=0\r\n");
        fs::create_directories(dir / "data");
        WriteFileText(dir / "data/IconConfig.xml", kCatalogue);
        fs::copy_file(fs::path(VELLUM_SOURCE_DIR) / "data/blank.dll", dir / "data/blank.dll");
    }

    // One line per child of \Root\<list>: tag, source attribute and Icon.
    static std::vector<std::string> Listed(IconSnapshot& snapshot, const char* list) {
        XmlDocument& doc = snapshot.SnapshotDocument();
        std::vector<std::string> lines;
        XmlNode* parent = doc.Query(std::string("\\Root\\") + list);
        for (XmlNode* child = parent ? parent->firstChild : nullptr; child; child = child->next) {
            std::string line(child->Name());
            for (XmlAttribute* a = child->firstAttribute; a; a = a->next)
                line += " " + std::string(a->Name()) + "=" + std::string(a->RawValue());
            lines.push_back(line);
        }
        return lines;
    }
};

TEST(IconSnapshot, CollectsWhereTheSystemKeepsEachIcon) {
    SnapshotPrefix p;
    IconsetEngine engine(p.wine, p.dir / "work/snap.iconzip", p.dir / "data");
    IconSnapshot snapshot(engine, false);
    ASSERT_EQ(engine.Open(), S_OK);
    EXPECT_TRUE(fs::is_directory(p.dir / "work"));
    PhaseProgress progress(p.silent, 0, 5, snapshot.CountEntries({"Explorer", "Misc"}));
    snapshot.CollectCategory("Explorer", true, progress);
    snapshot.CollectCategory("Misc", false, progress);
    snapshot.CollectCategory("INFO", false, progress);

    // Ascending by Icon, byte by byte; a location seen before becomes "$REPEAT$" right after it.
    EXPECT_EQ(SnapshotPrefix::Listed(snapshot, "Icons"),
              (std::vector<std::string>{
                  "TextDocument Loc=.txt Icon=%1",
                  "LogFile Loc=.log Icon=$REPEAT$",
                  "FolderOpen Icon=%SystemRoot%\\app.ico",
                  // The Shell Icons override, stored as found.
                  "FolderOpen Icon=%SystemRoot%\\system32\\icons.icl,0",
                  // Refined from the classes view to the user's own key.
                  "Refined Loc=HKCU\\Software\\Vellum\\Icon Icon=C:\\windows\\app.ico",
                  // Desktop.ini names a bare file, found in the Windows folder.
                  "MyDocuments csidl=5 Icon=C:\\windows\\app.ico,0",
                  "MyComputer Loc=HKLC\\{20D04FE0-3AEA-1069-A2D8-08002B30309D} "
                  "Icon=C:\\windows\\system32\\shell32.dll,-1",
                  "SameIcon Icon=$REPEAT$",
                  "LibraryGroup Icon=C:\\windows\\system32\\shell32.dll,0",
                  "Quoted Loc={11111111-0000-0000-0000-000000000000}\\DefaultIcon "
                  "Icon=C:\\windows\\system32\\shell32.dll,1",
                  // No location, no Def, no Shell Icons value: the shell's own image.
                  "FolderClosed Icon=C:\\windows\\system32\\shell32.dll,3",
              }));
    EXPECT_EQ(SnapshotPrefix::Listed(snapshot, "Blanks"),
              (std::vector<std::string>{"Unreadable Loc=HKCU\\Software\\Nowhere Icon="}))
        << "the first location stays the source when none can be read";
}

TEST(IconSnapshot, BuildsOneLibraryIconPerDistinctLocation) {
    SnapshotPrefix p;
    IconsetEngine engine(p.wine, p.dir / "work/snap.iconzip", p.dir / "data");
    IconSnapshot snapshot(engine, false);
    ASSERT_EQ(engine.Open(), S_OK);
    SnapshotOptions options;
    options.categories = {"Explorer", "Misc"};
    options.libraryPath = p.dir / "out/snap.icl";
    fs::create_directories(p.dir / "out");
    ASSERT_EQ(snapshot.TakeSnapshot(options, p.prompter, p.silent), S_OK);

    // "%1" names no file, its repeat goes with it, and shell32.dll has no fourth group.
    EXPECT_EQ(snapshot.DroppedIcons(),
              (std::vector<std::string>{"TextDocument", "LogFile", "FolderClosed"}));
    EXPECT_EQ(SnapshotPrefix::Listed(snapshot, "Icons"),
              (std::vector<std::string>{
                  "FolderOpen Icon=snap.icl,0",
                  "FolderOpen Icon=snap.icl,1",
                  "Refined Loc=HKCU\\Software\\Vellum\\Icon Icon=snap.icl,2",
                  "MyDocuments csidl=5 Icon=snap.icl,3",
                  "MyComputer Loc=HKLC\\{20D04FE0-3AEA-1069-A2D8-08002B30309D} Icon=snap.icl,4",
                  "SameIcon Icon=snap.icl,4",
                  "LibraryGroup Icon=snap.icl,5",
                  "Quoted Loc={11111111-0000-0000-0000-000000000000}\\DefaultIcon "
                  "Icon=snap.icl,6",
              }));
    EXPECT_EQ(ReadFileText(snapshot.SnapshotPath()).find("$REPEAT$"), std::string::npos)
        << "the saved document has the library positions";

    // The library: one group per icon, each reduced to its deepest image per height.
    std::vector<std::uint8_t> library = ReadFileBytes(p.dir / "out/snap.icl");
    ByteView view(library.data(), library.size());
    std::vector<std::vector<int>> depths;
    for (int i = 0; std::optional<std::vector<std::uint8_t>> icon = PeIconGroupFile(view, i); ++i) {
        depths.emplace_back();
        std::optional<std::vector<IconFileImage>> images =
            ReadIconFile(ByteView(icon->data(), icon->size()));
        for (const IconFileImage& image : images.value())
            depths.back().push_back(image.bitCount);
    }
    EXPECT_EQ(depths, (std::vector<std::vector<int>>{
                          {32, 8}, {32}, {32, 8}, {32, 8}, {32}, {32, 8}, {32}}));
    // Groups are named after the first entry that uses them, unless an earlier group has that
    // name already.
    std::string manifest = ReadFileText(p.dir / "work/pe.xml");
    EXPECT_NE(manifest.find("\"MyComputer_ICO\""), std::string::npos);
    EXPECT_NE(manifest.find("\"FolderOpen_ICO\""), std::string::npos);
    EXPECT_NE(manifest.find("\"1400002_ICO\""), std::string::npos);
}

} // namespace
} // namespace vellum
