// The small Wine prefix the apply and restore tests work on: registry files, shell folders with a
// Desktop.ini, a shortcut and a shell command file, an icon catalogue and an iconset in the
// working folder "Current.ico".
#pragma once

#include "common/CodePage.h"
#include "common/TestSupport.h"
#include "iconset/ApplyBackup.h"
#include "platform/LinkBuilder.h"
#include "platform/WinePrefix.h"

#include <algorithm>
#include <filesystem>
#include <gtest/gtest.h>
#include <string>
#include <vector>

namespace vellum::applytest {

namespace fs = std::filesystem;
using test::ReadFileText;
using test::WriteFileText;
namespace link = test::link;

inline const char kShellIcons[] =
    "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Explorer\\Shell Icons";
inline const char kRecycleBin[] = "CLSID\\{645FF040-5081-101B-9F08-00AA002F954E}\\DefaultIcon";

inline const char kSystemReg[] = R"reg(WINE REGISTRY Version 2
;; All keys relative to \\Machine

[Software\\Classes\\.txt] 1700000000
@="txtfile"

[Software\\Classes\\txtfile\\DefaultIcon] 1700000000
@=str(2):"%SystemRoot%\\system32\\notepad.exe,1"

[Software\\Classes\\CLSID\\{645FF040-5081-101B-9F08-00AA002F954E}\\DefaultIcon] 1700000000
"Full"="old full"

[Software\\Microsoft\\Windows NT\\CurrentVersion] 1700000000
"SystemRoot"="C:\\windows"

[Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\Shell Icons] 1700000000
"3"="old three"
"8"="old eight"

[Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\Shell Icons\\5] 1700000000
"x"="y"

[Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\Shell Icons\\45] 1700000000
"z"="kept"
)reg";

inline const char kUserReg[] = R"reg(WINE REGISTRY Version 2
;; All keys relative to \\User\\S-1-5-21-0-0-0-1000

[Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\Shell Folders] 1700000000
"AppData"="C:\\users\\tester\\AppData\\Roaming"
"Desktop"="C:\\users\\tester\\Desktop"
"My Pictures"="C:\\users\\tester\\Pictures"
"Personal"="C:\\users\\tester\\Documents"
)reg";

inline const char kCatalogue[] = R"xml(<?xml version='1.0' encoding='ISO-8859-1'?>
<Root>
   <INFO ICONS="0"/>
   <Explorer ICONS="8">
      <I3 Name="Folder Closed" Loc="HEXT\Folder"/>
      <I99 Name="Two Locations" Loc="HKCU\Software\Test\One" Loc2="HKLM\Software\Test\Two\DefaultIcon\Named"/>
      <I32 Name="Recycle Bin Full" Loc="{645FF040-5081-101B-9F08-00AA002F954E}\DefaultIcon\Full"/>
      <I99 Name="My Documents" csidl="5"/>
      <I99 Name="My Pictures" csidl="39"/>
      <I99 Name="Text Document" Loc=".txt"/>
      <I99 Name="Notepad" Lnk="notepad.exe"/>
      <I99 Name="Show Desktop" SCF="ToggleDesktop"/>
      <I99 Name="Gone" Loc="HKCU\Software\Test\Gone"/>
   </Explorer>
</Root>
)xml";

inline const char kIconset[] = R"xml(<?xml version='1.0' encoding='ISO-8859-1'?>
<Root>
   <Info Author="Tester"/>
   <Icons>
      <FolderClosed Icon="set.icl,0"/>
      <TwoLocations Icon="set.icl,1"/>
      <RecycleBinFull Icon="set.icl,2"/>
      <MyDocuments Icon="set.icl,3"/>
      <MyPictures Icon="$REPEAT$"/>
      <TextDocument Icon="C:\windows\system32\shell32.dll,-152"/>
      <Notepad Icon="notepad.ico"/>
      <ShowDesktop Icon="set.icl,5"/>
      <Gone Icon="gone.ico"/>
      <NotInTheCatalogue Icon="set.icl,9"/>
   </Icons>
</Root>
)xml";

inline const char kDocumentsIni[] =
    "[.ShellClassInfo]\r\nLocalizedResourceName=@shell32.dll,-21770\r\n"
    "IconFile=old.dll\r\n[Other]\r\nkeep=this\r\n";

inline link::Bytes NotepadLink() {
    link::LinkFields fields;
    fields.linkInfo = link::LocalLinkInfo("C:\\windows\\", "notepad.exe", false);
    fields.strings[0] = u"Notes";
    return link::Build(fields);
}

// A prefix whose data folder lies inside drive_c, so that the working folder has a C: path.
struct ApplyFixture {
    test::ScratchDir dir;
    WinePrefix wine{dir.Path()};
    std::string data = dir / "drive_c/vellum/";
    std::string working = data + "Current.ico/";
    std::string user = dir / "drive_c/users/tester/";

    ApplyFixture() {
        WriteFileText(dir / "system.reg", kSystemReg);
        WriteFileText(dir / "user.reg", kUserReg);
        for (const char* folder : {"Desktop", "Documents", "Pictures",
                                   "AppData/Roaming/Microsoft/Internet Explorer/Quick Launch"})
            fs::create_directories(user + folder);
        fs::create_directories(dir / "drive_c/windows/system32");
        WriteFileText(dir / "drive_c/windows/system32/shell32.dll", "MZ");
        fs::create_directories(dir / "dosdevices");
        fs::create_directory_symlink("../drive_c", dir / "dosdevices/c:");
        fs::create_directories(working);
        WriteFileText(data + "IconConfig.xml", kCatalogue);
        WriteFileText(working + "set.icl", "MZ library");
        WriteFileText(working + "notepad.ico", "icon");
        WriteFileText(working + "Test.iconset", kIconset);
        link::Bytes lnk = NotepadLink();
        WriteFileText(user + "Desktop/Notes.lnk", std::string(lnk.begin(), lnk.end()));
        WriteFileText(user + "Desktop/Broken.lnk", "not a link");
        WriteFileText(user + "AppData/Roaming/Microsoft/Internet Explorer/Quick Launch/Show "
                             "Desktop.scf",
                      "[Shell]\r\nCommand=2\r\nIconFile=explorer.exe,3\r\n[Taskbar]\r\n"
                      "Command=ToggleDesktop\r\n");
        WriteFileText(user + "Documents/desktop.ini", kDocumentsIni);
        fs::permissions(user + "Documents/desktop.ini", fs::perms::owner_read);
    }
    std::string NewBackup() {
        std::string folder;
        EXPECT_EQ(ApplyBackup::NewFolder(working + "Backup", &folder), S_OK);
        return folder;
    }
    std::string Read(RootKey root, const std::string& key, const std::string& name) {
        std::string value;
        return SUCCEEDED(wine.ReadString(root, key, name, &value)) ? value : "<none>";
    }
};

inline bool Contains(const std::vector<std::string>& lines, const std::string& text) {
    return std::any_of(lines.begin(), lines.end(), [&](const std::string& line) {
        return line.find(text) != std::string::npos;
    });
}

inline std::string Utf16FileText(const std::string& path) {
    std::vector<std::uint8_t> bytes = test::ReadFileBytes(path);
    EXPECT_GE(bytes.size(), 2u);
    EXPECT_EQ(bytes[0], 0xFF) << "a byte-order mark starts the file";
    return Utf16ToUtf8(Utf16FromLittleEndian(bytes.data() + 2, (bytes.size() - 2) / 2));
}

} // namespace vellum::applytest
