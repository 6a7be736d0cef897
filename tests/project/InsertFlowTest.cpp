// The Insert New Resource flow beyond its messages: the extension table, overwriting only files
// no resource uses, the bitmap-to-icon conversion and its working files, and the folders of
// visual-style projects.
#include "imaging/ImageCodecs.h"
#include "operations/InsertResource.h"
#include "project/ProjectFixture.h"
#include "support/ByteBuilder.h"

#include <algorithm>
#include <filesystem>
#include <gtest/gtest.h>

namespace vellum::test {
namespace {

namespace fs = std::filesystem;

// A 24-bit bitmap file of side x side pixels, every pixel the same grey.
Bytes GreyBitmap(int side, std::uint32_t compression = 0) {
    DibFields fields;
    fields.width = side;
    fields.height = side;
    fields.bitCount = 24;
    fields.compression = compression;
    std::size_t stride = (std::size_t(side) * 3 + 3) / 4 * 4;
    return BmpFileBytes(fields, {}, Bytes(stride * std::size_t(side), 0x80));
}

class InsertFlowTest : public ::testing::Test {
protected:
    bool Insert(const std::string& file, const std::string& name, const std::string& type) {
        InsertContext context;
        context.visualStyle = visualStyle_;
        context.scratchFolder = scratch_ / "work";
        return InsertNewResource(f_.project, {file, name, type, ""}, context, f_.prompter);
    }
    std::string LastTitle() const {
        return f_.prompter.Shown().empty() ? "" : f_.prompter.Shown().back().title;
    }
    bool ScratchIsEmpty() const {
        std::error_code ignored;
        return !fs::exists(scratch_ / "work") || fs::is_empty(scratch_ / "work", ignored);
    }

    ProjectFixture f_{ManifestXml(0, 0, "")};
    ScratchDir source_;
    ScratchDir scratch_;
    bool visualStyle_ = false;
};

TEST(FitOfExtension, EndingsEachLabelExpects) {
    EXPECT_EQ(FitOfExtension("Cursor", "arrow.CUR"), ExtensionFit::Fits);
    EXPECT_EQ(FitOfExtension("cursor", "arrow.ico"), ExtensionFit::Mismatch);
    EXPECT_EQ(FitOfExtension("Bitmap", "logo.png"), ExtensionFit::Fits);
    EXPECT_EQ(FitOfExtension("Bitmap", "logo.ico"), ExtensionFit::Mismatch);
    EXPECT_EQ(FitOfExtension("Icon", "app.ico"), ExtensionFit::Fits);
    EXPECT_EQ(FitOfExtension("Icon Group", "app.Bmp"), ExtensionFit::ConvertToIcon);
    EXPECT_EQ(FitOfExtension("icon", "app.png"), ExtensionFit::ConvertToIcon);
    EXPECT_EQ(FitOfExtension("Icon", "app.cur"), ExtensionFit::Mismatch);
    // Three characters are compared, so ".rc" and ".mc" carry their full stop.
    EXPECT_EQ(FitOfExtension("Menu", "menu.rc"), ExtensionFit::Fits);
    EXPECT_EQ(FitOfExtension("Menu", "menu.src"), ExtensionFit::Mismatch);
    EXPECT_EQ(FitOfExtension("Dialog", "about.dlg"), ExtensionFit::Fits);
    EXPECT_EQ(FitOfExtension("Dialog", "about.rc"), ExtensionFit::Fits);
    EXPECT_EQ(FitOfExtension("Font Directory", "sys.fnt"), ExtensionFit::Fits);
    EXPECT_EQ(FitOfExtension("Message Table", "msg.mc"), ExtensionFit::Fits);
    EXPECT_EQ(FitOfExtension("THEMES", "anything.xyz"), ExtensionFit::Fits);
    EXPECT_EQ(FitOfExtension("Bitmap", "ab"), ExtensionFit::Mismatch);
}

TEST_F(InsertFlowTest, OverwriteReplacesAStrayFileButNeverAnotherResourcesData) {
    std::string notes = source_ / "notes.txt";
    WriteFileText(notes, "new notes");
    WriteFileText(f_.Path("README.txt"), "stray");
    f_.prompter.Answer(IDYES);
    ASSERT_TRUE(Insert(notes, "README", "TEXTFILE"));
    EXPECT_EQ(ReadFileText(f_.Path("README.txt")), "new notes");

    // The same file name under another type holds README_TXT's data: Yes is refused.
    f_.prompter.Answer(IDYES);
    EXPECT_FALSE(Insert(notes, "README", "OTHERTYPE"));
    EXPECT_NE(f_.prompter.Shown().back().details.find("holds another resource's data"),
              std::string::npos);
    EXPECT_EQ(ReadFileText(f_.Path("README.txt")), "new notes");
    EXPECT_EQ(f_.project.FindNamedType("OTHERTYPE"), nullptr);
}

TEST_F(InsertFlowTest, APngChosenAsAnIconIsDecodedConvertedAndItsWorkingFilesRemoved) {
    std::string png = source_ / "badge.png";
    ImageRecord image;
    ASSERT_TRUE(image.Allocate(16, 16, 24, 0, false));
    for (std::uint8_t* row : image.rows)
        std::fill(row, row + 48, std::uint8_t(0x80));
    ASSERT_TRUE(WritePng(png, image));

    f_.prompter.Answer(IDNO); // no conversion: nothing is added
    EXPECT_FALSE(Insert(png, "BADGE", "Icon"));
    EXPECT_EQ(f_.project.FindType(kResourceIconGroup), nullptr);

    f_.prompter.Answer(IDYES);
    ASSERT_TRUE(Insert(png, "BADGE", "Icon"));
    EXPECT_EQ(LastTitle(), "Convert Bitmap");
    ASSERT_EQ(f_.project.ResourcesOf(f_.project.FindType(kResourceIconGroup)).size(), 1u);
    XmlNode* member = f_.project.ResourcesOf(f_.project.FindType(kResourceIcon))[0];
    // A member file is a one-image icon file: 6 + 16 bytes of directory, then a 16 x 16 image
    // at 24 bits: header, XOR rows of 48 bytes, AND rows of 4 bytes.
    EXPECT_EQ(Project::Int(Project::FileOf(member), "Size"), 22 + 40 + 16 * 48 + 16 * 4);
    EXPECT_TRUE(fs::exists(f_.Path("BADGE_ICO")));
    EXPECT_TRUE(ScratchIsEmpty());
    EXPECT_TRUE(fs::exists(png)); // the source stays as it was
}

TEST_F(InsertFlowTest, BitmapsThatCannotBecomeIconsAreExplainedOnce) {
    std::string large = source_ / "large.bmp";
    WriteFileBytes(large, GreyBitmap(300));
    f_.prompter.Answer(IDYES);
    EXPECT_FALSE(Insert(large, "LARGE", "Icon"));
    EXPECT_EQ(LastTitle(), "Convert Bitmap");
    EXPECT_NE(f_.prompter.Shown().back().message.find("could not be converted"), std::string::npos);

    std::string packed = source_ / "packed.bmp";
    WriteFileBytes(packed, GreyBitmap(16, 1));
    std::size_t before = f_.prompter.Shown().size();
    f_.prompter.Answer(IDYES);
    EXPECT_FALSE(Insert(packed, "PACKED", "Icon"));
    ASSERT_EQ(f_.prompter.Shown().size(), before + 2); // the question, then one message
    EXPECT_EQ(LastTitle(), "Compression Error");
    EXPECT_EQ(f_.project.FindType(kResourceIconGroup), nullptr);
    EXPECT_TRUE(ScratchIsEmpty());
}

TEST_F(InsertFlowTest, VisualStyleFoldersComeFromTheLastUnderscoreAndGoWhenNothingIsAdded) {
    visualStyle_ = true;
    std::string notes = source_ / "notes.txt";
    WriteFileText(notes, "notes");
    ASSERT_TRUE(Insert(notes, "BLUE_LARGE_NOTES", "TEXTFILE"));
    EXPECT_EQ(ReadFileText(f_.Path("BLUE_LARGE/NOTES.TXT")), "notes");
    XmlNode* added = f_.project.ResourcesOf(f_.project.FindNamedType("TEXTFILE"))[0];
    EXPECT_EQ(Project::Text(added, "Name"), "BLUE_LARGE_NOTES_TXT");
    EXPECT_EQ(Project::Text(Project::FileOf(added), "Name"), "BLUE_LARGE\\NOTES.TXT");

    // A text file as a bitmap, declined: the folder made for it goes again.
    f_.prompter.Answer(IDNO);
    EXPECT_FALSE(Insert(notes, "GREEN_NOTES", "Bitmap"));
    EXPECT_EQ(LastTitle(), "Continue?");
    EXPECT_FALSE(fs::exists(f_.Path("GREEN")));
}

} // namespace
} // namespace vellum::test
