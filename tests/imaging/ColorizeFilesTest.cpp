// Tests of recolouring files and folders and of the three Save Colorization scopes over a small
// project folder. Hue 512 (red from green, green from blue, blue from red) makes changes easy to
// predict by hand.
#include "common/ErrorTrail.h"
#include "common/Prompter.h"
#include "common/Strings.h"
#include "common/TestSupport.h"
#include "common/XmlDocument.h"
#include "imaging/ColorizeApply.h"
#include "imaging/Colorizer.h"
#include "imaging/ImageCodecs.h"
#include "support/ByteBuilder.h"

#include <cstring>
#include <filesystem>
#include <gtest/gtest.h>

using namespace vellum;
using vellum::test::Bytes;
using vellum::test::ReadFileBytes;
using vellum::test::ScratchDir;

namespace {

Colorizer RotatingColorizer() {
    Colorizer colorizer;
    colorizer.ConfigureFromHue(512, Brightness{});
    return colorizer;
}

// A PNG written by Vellum's own writer from blue, green, red (and alpha) pixels, one row.
void WritePngRow(const std::string& path, const Bytes& pixels, int bitCount) {
    ImageRecord image;
    int width = int(pixels.size()) / (bitCount / 8);
    ASSERT_TRUE(image.Allocate(width, 1, std::uint16_t(bitCount), 0, false));
    std::copy(pixels.begin(), pixels.end(), image.rows[0]);
    ASSERT_TRUE(WritePng(path, image));
}

Bytes PngRow(const std::string& path) {
    ImageRecord image;
    EXPECT_TRUE(ReadPng(path, image));
    if (image.rows.empty())
        return {};
    return Bytes(image.rows[0], image.rows[0] + image.stride);
}

// A 1 by 1 24-bit bitmap file.
Bytes BitmapFile(std::uint8_t blue, std::uint8_t green, std::uint8_t red) {
    return test::BmpFileBytes({.width = 1, .height = 1, .bitCount = 24}, {}, {blue, green, red, 0});
}

// An icon (type 1) or cursor (type 2) file of 1 by 1 32-bit images, each followed by its mask.
Bytes IconFile(int type, const std::vector<Bytes>& bgraPixels) {
    std::vector<test::IcoFileImage> images;
    for (const Bytes& pixel : bgraPixels) {
        // The height counts the XOR and the mask row.
        Bytes dib =
            test::DibBytes({.width = 1, .height = 2, .bitCount = 32}, {}, pixel, {0x80, 0, 0, 0});
        images.push_back({.width = 1, .height = 1, .bitCount = 32, .image = dib});
    }
    return test::IconFileBytes(std::uint16_t(type), images);
}

} // namespace

TEST(ColorizeFile, PngIsDecodedTransformedAndWrittenBack) {
    ScratchDir dir;
    std::string path = dir / "logo.PnG";
    WritePngRow(path, {30, 20, 10, 40, 255, 0, 255, 0}, 32);
    ASSERT_EQ(ColorizeFile(RotatingColorizer(), path), S_OK);
    // (10, 20, 30) becomes (20, 30, 10); magenta becomes cyan; alpha stays.
    EXPECT_EQ(PngRow(path), (Bytes{10, 30, 20, 40, 255, 255, 0, 0}));
}

TEST(ColorizeFile, PngWithoutAlphaIsRefusedUnchanged) {
    ScratchDir dir;
    std::string path = dir / "flat.png";
    WritePngRow(path, {30, 20, 10, 1, 2, 3}, 24);
    Bytes before = ReadFileBytes(path);
    ClearErrorTrail();
    EXPECT_EQ(ColorizeFile(RotatingColorizer(), path), E_FAIL);
    EXPECT_EQ(ReadFileBytes(path), before);
    EXPECT_NE(TakeErrorTrail().value_or("").find("flat.png is not a 32-bit image"),
              std::string::npos);
}

TEST(ColorizeFile, BitmapIconAndCursorFiles) {
    ScratchDir dir;
    test::WriteFileBytes(dir / "a.bmp", BitmapFile(30, 20, 10));
    ASSERT_EQ(ColorizeFile(RotatingColorizer(), dir / "a.bmp"), S_OK);
    EXPECT_EQ(ReadFileBytes(dir / "a.bmp"), BitmapFile(10, 30, 20));

    // Only the first image of an icon or cursor changes, wherever its entry says it starts.
    for (int type : {1, 2}) {
        std::string path = dir / (type == 1 ? "two.ICO" : "two.Cur");
        test::WriteFileBytes(path, IconFile(type, {{30, 20, 10, 99}, {30, 20, 10, 99}}));
        ASSERT_EQ(ColorizeFile(RotatingColorizer(), path), S_OK);
        EXPECT_EQ(ReadFileBytes(path), IconFile(type, {{10, 30, 20, 99}, {30, 20, 10, 99}}));
    }
}

TEST(ColorizeFile, OtherAndDamagedFiles) {
    ScratchDir dir;
    test::WriteFileText(dir / "notes.txt", "plain text");
    EXPECT_EQ(ColorizeFile(RotatingColorizer(), dir / "notes.txt"), S_OK);
    EXPECT_EQ(test::ReadFileText(dir / "notes.txt"), "plain text");

    // A bitmap name on something else, an icon whose first image lies past the end, a bitmap
    // cut short: each fails and stays as it was.
    Bytes notBitmap = {'M', 'Z', 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0};
    Bytes farIcon = IconFile(1, {{1, 2, 3, 4}});
    farIcon[18] = 0xF0;
    Bytes shortBitmap = BitmapFile(1, 2, 3);
    shortBitmap.resize(shortBitmap.size() - 2);
    std::vector<std::pair<std::string, Bytes>> cases = {
        {"mz.bmp", notBitmap}, {"far.ico", farIcon}, {"short.bmp", shortBitmap}};
    for (const auto& [name, bytes] : cases) {
        test::WriteFileBytes(dir / name, bytes);
        EXPECT_EQ(ColorizeFile(RotatingColorizer(), dir / name), E_FAIL) << name;
        EXPECT_EQ(ReadFileBytes(dir / name), bytes) << name;
    }
    EXPECT_EQ(ColorizeFile(RotatingColorizer(), dir / "missing.bmp"),
              HRESULT_FROM_WIN32(ERROR_FILE_NOT_FOUND));
    ClearErrorTrail();
}

TEST(ColorizeFolder, EveryImageDirectlyInsideDespiteFailures) {
    ScratchDir dir;
    WritePngRow(dir / "a.png", {30, 20, 10, 255}, 32);
    WritePngRow(dir / "bad.png", {30, 20, 10}, 24);
    test::WriteFileBytes(dir / "b.BMP", BitmapFile(30, 20, 10));
    test::WriteFileText(dir / "c.txt", "text");
    std::filesystem::create_directory(dir / "sub");
    test::WriteFileBytes(dir / "sub/d.bmp", BitmapFile(30, 20, 10));
    Bytes badBefore = ReadFileBytes(dir / "bad.png");

    EXPECT_EQ(ColorizeFolder(RotatingColorizer(), dir.Path()), E_FAIL);
    EXPECT_EQ(PngRow(dir / "a.png"), (Bytes{10, 30, 20, 255}));
    EXPECT_EQ(ReadFileBytes(dir / "b.BMP"), BitmapFile(10, 30, 20));
    EXPECT_EQ(ReadFileBytes(dir / "bad.png"), badBefore);
    EXPECT_EQ(test::ReadFileText(dir / "c.txt"), "text");
    EXPECT_EQ(ReadFileBytes(dir / "sub/d.bmp"), BitmapFile(30, 20, 10));
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(dir.Path()), {}), 5)
        << "no temporary file is left behind";

    EXPECT_EQ(ColorizeFolder(RotatingColorizer(), dir / "none/"),
              HRESULT_FROM_WIN32(ERROR_FILE_NOT_FOUND));
    ClearErrorTrail();
}

// ---------------------------------------------------------------------------------------------
// Save Colorization scopes

namespace {

// pe.xml of a project with two bitmaps (one kept as PNG, one in a sub-folder whose file is on
// disk in another case) and an icon group listing icons 1 and 2.
constexpr const char* kManifest =
    "<Directory Type='0' Named_Entries='0' ID_Entries='2'>\n"
    "     <Entry ID='2' Directory='1'>\r\n"
    "     <Directory Type='2' Named_Entries='1' ID_Entries='1'>\n"
    "          <Entry Name='LOGO.BMP' Directory='1' StripExt='0' >\r\n"
    "          <Directory Type='0' Name='LOGO.BMP' Named_Entries='0' ID_Entries='1'>\n"
    "               <Entry ID='1033' Directory='0'>\r\n"
    "               <File Name='LOGO.BMP' Size='1' Png='1' StripExt='0' Start='0' End='1'/>\r\n"
    "               </Entry>\r\n"
    "          </Directory>\n"
    "          </Entry>\r\n"
    "          <Entry ID='1' Directory='1'>\r\n"
    "          <Directory Type='1' Named_Entries='0' ID_Entries='1'>\n"
    "               <Entry ID='1033' Directory='0'>\r\n"
    "               <File Name='SUB\\BITMAP00001.BMP' Size='1' Png='0' StripExt='0' "
    "Start='0' End='1'/>\r\n"
    "               </Entry>\r\n"
    "          </Directory>\n"
    "          </Entry>\r\n"
    "     </Directory>\n"
    "     </Entry>\r\n"
    "     <Entry ID='14' Directory='1'>\r\n"
    "     <Directory Type='14' Named_Entries='0' ID_Entries='1'>\n"
    "          <Entry ID='1' Directory='1'>\r\n"
    "          <Directory Type='1' Named_Entries='0' ID_Entries='1'>\n"
    "               <Entry ID='1033' Directory='0'>\r\n"
    "               <File Name='1400001' Size='34' Start='0' End='22' />\r\n"
    "               </Entry>\r\n"
    "          </Directory>\n"
    "          </Entry>\r\n"
    "     </Directory>\n"
    "     </Entry>\r\n"
    "</Directory>\n";

// A group resource listing the given icon IDs.
Bytes GroupData(const std::vector<int>& ids) {
    std::vector<test::GroupMember> members;
    for (int id : ids)
        members.push_back(
            {.width = 1, .height = 1, .bitCount = 32, .bytes = 48, .id = std::uint16_t(id)});
    return test::GroupBytes(1, members);
}

XmlNode* FindFileNode(XmlNode* node, std::string_view name) {
    for (; node; node = node->next) {
        XmlAttribute* attribute = node->FindAttribute("Name");
        if (EqualsNoCase(node->Name(), "File") && attribute && attribute->RawValue() == name)
            return node;
        if (XmlNode* found = FindFileNode(node->firstChild, name))
            return found;
    }
    return nullptr;
}

class ColorizeApplyTest : public ::testing::Test {
protected:
    void SetUp() override {
        test::WriteFileBytes(dir_ / "pe.xml", Bytes(kManifest, kManifest + std::strlen(kManifest)));
        WritePngRow(dir_ / "LOGO.png", {30, 20, 10, 255}, 32);
        std::filesystem::create_directory(dir_ / "sub");
        test::WriteFileBytes(dir_ / "sub/bitmap00001.bmp", kOriginalBitmap);
        test::WriteFileBytes(dir_ / "other.bmp", kOriginalBitmap);
        test::WriteFileBytes(dir_ / "1400001", GroupData({1, 2}));
        for (const char* icon : {"Icon00001.ICO", "Icon00002.ICO", "Icon00003.ICO"})
            test::WriteFileBytes(dir_ / icon, kOriginalIcon);
        ASSERT_EQ(manifest_.Load(dir_ / "pe.xml"), S_OK);
    }

    ShownImage Shown(const std::string& file, const char* name, ImageRequest request) {
        return {dir_ / file, &manifest_, FindFileNode(manifest_.GetHead()->next, name), request};
    }

    HRESULT Apply(const ShownImage& shown, ColorizeScope scope, int answer = IDYES) {
        prompter_.Answer(answer);
        return ApplyColorization(RotatingColorizer(), shown, scope, prompter_);
    }

    bool Changed(const std::string& name) {
        if (name.ends_with(".png"))
            return PngRow(dir_ / name) != Bytes{30, 20, 10, 255};
        Bytes now = ReadFileBytes(dir_ / name);
        return now != kOriginalBitmap && now != kOriginalIcon;
    }

    std::string LastQuestion() const { return prompter_.Shown().back().message; }

    const Bytes kOriginalBitmap = BitmapFile(30, 20, 10);
    const Bytes kOriginalIcon = IconFile(1, {{30, 20, 10, 255}});
    ScratchDir dir_;
    XmlDocument manifest_;
    ScriptedPrompter prompter_;
};

} // namespace

TEST_F(ColorizeApplyTest, ProjectFolderAndCategoryNames) {
    EXPECT_EQ(ProjectFolderOf(Shown("LOGO.png", "LOGO.BMP", ImageRequest::Plain)), dir_.Path());
    EXPECT_EQ(
        ProjectFolderOf(Shown("sub/bitmap00001.bmp", "SUB\\BITMAP00001.BMP", ImageRequest::Plain)),
        dir_.Path());
    EXPECT_EQ(CategoryName(2), "Bitmap");
    EXPECT_EQ(CategoryName(6), "String Table");
    EXPECT_EQ(CategoryName(14), "Icon Group");
    EXPECT_EQ(CategoryName(13), "13");
    EXPECT_EQ(CategoryName(24), "24");
}

TEST_F(ColorizeApplyTest, CurrentImageAfterYesOnly) {
    ShownImage logo = Shown("LOGO.png", "LOGO.BMP", ImageRequest::Plain);
    EXPECT_EQ(Apply(logo, ColorizeScope::CurrentImage, IDNO), S_FALSE);
    EXPECT_FALSE(Changed("LOGO.png"));
    const MessageDialog& question = prompter_.Shown().back();
    EXPECT_EQ(question.message, "Warning:  Applying will overwrite the file\n\n" + dir_.Path() +
                                    "LOGO.png\n\nYou cannot undo this operation.\r\n\r\nAre you "
                                    "sure you want to do this?");
    EXPECT_EQ(question.icon, DialogIcon::Exclamation);
    ASSERT_EQ(question.buttons.size(), 2u);
    EXPECT_EQ(question.buttons[0].result, IDYES);

    EXPECT_EQ(Apply(logo, ColorizeScope::CurrentImage), S_OK);
    EXPECT_TRUE(Changed("LOGO.png"));
    EXPECT_FALSE(Changed("other.bmp"));
}

TEST_F(ColorizeApplyTest, CurrentGroupColorizesItsMembers) {
    EXPECT_EQ(
        Apply(Shown("1400001", "1400001", ImageRequest::IconGroup), ColorizeScope::CurrentImage),
        S_OK);
    EXPECT_TRUE(Changed("Icon00001.ICO"));
    EXPECT_TRUE(Changed("Icon00002.ICO"));
    EXPECT_FALSE(Changed("Icon00003.ICO"));
}

TEST_F(ColorizeApplyTest, CategoryOfBitmapsFollowsPngAndSubFolders) {
    ShownImage logo = Shown("LOGO.png", "LOGO.BMP", ImageRequest::Plain);
    EXPECT_EQ(FilesToColorize(logo, ColorizeScope::ImagesOfType),
              (std::vector<std::string>{dir_ / "LOGO.png", dir_ / "sub/bitmap00001.bmp"}));
    EXPECT_EQ(Apply(logo, ColorizeScope::ImagesOfType), S_OK);
    EXPECT_EQ(LastQuestion(), "Warning:  Applying will overwrite all files in the category: "
                              "\n\nBitmap\n\nYou cannot undo this operation.\r\n\rAre you sure "
                              "you want to do this?");
    EXPECT_TRUE(Changed("LOGO.png"));
    EXPECT_TRUE(Changed("sub/bitmap00001.bmp"));
    EXPECT_FALSE(Changed("other.bmp"));
    EXPECT_FALSE(Changed("Icon00001.ICO"));
}

TEST_F(ColorizeApplyTest, CategoryOfIconGroupsColorizesTheMembers) {
    EXPECT_EQ(
        Apply(Shown("1400001", "1400001", ImageRequest::IconGroup), ColorizeScope::ImagesOfType),
        S_OK);
    EXPECT_NE(LastQuestion().find("\n\nIcon Group\n\n"), std::string::npos);
    EXPECT_TRUE(Changed("Icon00001.ICO"));
    EXPECT_TRUE(Changed("Icon00002.ICO"));
    EXPECT_FALSE(Changed("Icon00003.ICO"));
    EXPECT_FALSE(Changed("LOGO.png"));
}

TEST_F(ColorizeApplyTest, AllImagesOfTheProjectFolder) {
    EXPECT_EQ(Apply(Shown("LOGO.png", "LOGO.BMP", ImageRequest::Plain), ColorizeScope::AllImages),
              S_OK);
    EXPECT_EQ(LastQuestion(), "Warning:  Applying will overwrite ALL the files in the "
                              "directory:\n\n" +
                                  dir_.Path() +
                                  "\n\nYou cannot undo this operation.\r\n\r\nAre you sure you "
                                  "want to do this?");
    for (const char* name :
         {"LOGO.png", "other.bmp", "Icon00001.ICO", "Icon00002.ICO", "Icon00003.ICO"})
        EXPECT_TRUE(Changed(name)) << name;
    EXPECT_FALSE(Changed("sub/bitmap00001.bmp"));
    EXPECT_EQ(ReadFileBytes(dir_ / "1400001"), GroupData({1, 2}));
}

TEST_F(ColorizeApplyTest, MissingMembersFailButTheRestIsDone) {
    test::WriteFileBytes(dir_ / "1400001", GroupData({1, 7}));
    EXPECT_EQ(
        Apply(Shown("1400001", "1400001", ImageRequest::IconGroup), ColorizeScope::CurrentImage),
        HRESULT_FROM_WIN32(ERROR_FILE_NOT_FOUND));
    EXPECT_TRUE(Changed("Icon00001.ICO"));
    ClearErrorTrail();
}
