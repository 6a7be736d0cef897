#include "cli/CommandLine.h"

#include <gtest/gtest.h>

using namespace vellum;

namespace {
CommandLine Parse(std::vector<std::string> args) {
    return ParseCommandLine(args);
}
} // namespace

TEST(CommandLine, ModesIgnoreCaseButMatchWholeWords) {
    EXPECT_TRUE(Parse({"/compile", "x.dll"}).compile);
    EXPECT_TRUE(Parse({"-COMPILE", "x.dll"}).batch);
    CommandLine longer = Parse({"-Compiler"});
    EXPECT_FALSE(longer.compile);
    EXPECT_FALSE(longer.batch);
    EXPECT_EQ(longer.unknownFlags, std::vector<std::string>{"Compiler"});
    CommandLine both = Parse({"-Decompile", "-Compile", "a.dll"});
    EXPECT_TRUE(both.compile && both.decompile);
    EXPECT_EQ(both.fileName, "a.dll");
}

TEST(CommandLine, ValuesAndNumbers) {
    EXPECT_EQ(Parse({"-Lang:"}).language, 0);
    EXPECT_EQ(Parse({"-Lang:1031x"}).language, 1031);
    EXPECT_EQ(Parse({"-lang: -7"}).language, -7);
    EXPECT_EQ(Parse({"-Type:icon"}).resourceType, 3);
    EXPECT_EQ(Parse({"-Type:CursorGroup"}).resourceType, 12);
    EXPECT_EQ(Parse({"-Type:Cursor", "-Type:Bitmap"}).resourceType, 1) << "unknown words keep it";
    CommandLine extract = Parse({"-Extract:5", "-Source:a.dll", "-ID:9", "-Name:N A"});
    EXPECT_TRUE(extract.extract);
    EXPECT_EQ(extract.resourceId, 9);
    EXPECT_EQ(extract.sourcePath, "a.dll");
    EXPECT_EQ(extract.resourceName, "N A");
    EXPECT_EQ(Parse({"-Insert:i.ico", "-Source:s.ico"}).sourcePath, "s.ico") << "the later wins";
}

TEST(CommandLine, OutputAloneIsNoBatchAndSnapshotWins) {
    CommandLine output = Parse({"-Output:C:\\x\\"});
    EXPECT_TRUE(output.outputGiven);
    EXPECT_EQ(output.outputPath, "C:\\x\\");
    EXPECT_FALSE(output.batch);
    CommandLine snap = Parse({"-SnapShot:s.iconset", "-Insert:x.ico"});
    EXPECT_TRUE(snap.snapshot && snap.insert);
    EXPECT_EQ(snap.secondPath, "s.iconset");
}

TEST(CommandLine, SlashPathsStayFileNames) {
    CommandLine info = Parse({"/tmp/x.dll", "/Decompile", "/Output:/tmp/p"});
    EXPECT_EQ(info.fileName, "/tmp/x.dll");
    EXPECT_TRUE(info.decompile);
    EXPECT_EQ(info.outputPath, "/tmp/p");
    EXPECT_TRUE(Parse({"--help"}).showHelp);
    EXPECT_TRUE(Parse({"--version"}).showVersion);
    EXPECT_FALSE(Parse({"--version"}).batch);
}

TEST(CommandLine, ApplyTakesTheIconsetAndIsABatchMode) {
    CommandLine info = Parse({"/apply:C:\\sets\\Blue.iconzip"});
    EXPECT_TRUE(info.apply && info.batch);
    EXPECT_EQ(info.applyPath, "C:\\sets\\Blue.iconzip");
    EXPECT_FALSE(Parse({"-Applyx"}).apply) << "the option is a prefix ending in a colon";
    EXPECT_EQ(Parse({"-Apply"}).unknownFlags, std::vector<std::string>{"Apply"});
}

TEST(CommandLine, RestoreTakesTheBackupFolderAndIsABatchMode) {
    CommandLine info = Parse({"/RESTORE:/data/Current.ico/Backup/20261207-114502/"});
    EXPECT_TRUE(info.restore && info.batch);
    EXPECT_FALSE(info.apply);
    EXPECT_EQ(info.restorePath, "/data/Current.ico/Backup/20261207-114502/");
    EXPECT_FALSE(Parse({"-Restore"}).batch) << "the option is a prefix ending in a colon";
}

TEST(CommandLine, ColorizeTakesTheSettingsAndIsABatchMode) {
    CommandLine info = Parse({"/COLORIZE:look.ini", "-Output:/images"});
    EXPECT_TRUE(info.colorize && info.batch);
    EXPECT_EQ(info.colorizeSettings, "look.ini");
    EXPECT_EQ(info.outputPath, "/images");
    EXPECT_FALSE(Parse({"-Colorize"}).batch) << "the option is a prefix ending in a colon";
}
