#include "decompiler/StringTableWriter.h"

#include "common/TestSupport.h"
#include "support/ByteBuilder.h"

#include <gtest/gtest.h>

using namespace vellum;

namespace {

std::vector<std::uint8_t> Block(const std::vector<std::u16string>& strings) {
    return test::StringBlock(strings);
}

HRESULT Write(StringTableWriter& w, const std::vector<std::uint8_t>& block, unsigned lang,
              unsigned first) {
    return w.WriteBlock(ByteView(block.data(), block.size()), lang, first);
}

} // namespace

TEST(StringTableWriter, WritesTablesInTheLanguagesCodePage) {
    test::ScratchDir dir;
    StringTableWriter writer(dir.Path());
    EXPECT_FALSE(writer.Opened());
    // Block 2 of 1033 arrives before block 1; entries still come out in ID order.
    ASSERT_EQ(Write(writer, Block({u"", u"Seventeen"}), 1033, 16), S_OK);
    ASSERT_EQ(Write(writer, Block({u"", u"Save & Exit", u"<b>", u"", u"It's"}), 1033, 0), S_OK);
    ASSERT_EQ(Write(writer, Block({u"", u"Gr\u00fc\u00dfe"}), 1031, 0), S_OK);
    ASSERT_EQ(Write(writer, Block({u"\u041f\u0440\u0438"}), 1049, 0), S_OK);
    ASSERT_EQ(writer.Save(), S_OK);
    std::string expected = "<?xml version='1.0' encoding='ISO-8859-1'?>\r\n"
                           "<ROOT>\r\n"
                           "   <TABLE LANG=\"1033\">\r\n"
                           "      <E ID=\"1\" S=\"Save &amp; Exit\"/>\r\n"
                           "      <E ID=\"2\" S=\"&lt;b&gt;\"/>\r\n"
                           "      <E ID=\"4\" S=\"It&apos;s\"/>\r\n"
                           "      <E ID=\"17\" S=\"Seventeen\"/>\r\n"
                           "   </TABLE>\r\n"
                           "   <TABLE LANG=\"1031\">\r\n"
                           "      <E ID=\"1\" S=\"Gr\xfc\xdf"
                           "e\"/>\r\n"
                           "   </TABLE>\r\n"
                           "   <TABLE LANG=\"1049\">\r\n"
                           "      <E ID=\"0\" S=\"\xcf\xf0\xe8\"/>\r\n"
                           "   </TABLE>\r\n"
                           "</ROOT>\r\n";
    EXPECT_EQ(test::ReadFileText(dir / "STRINGS.XML"), expected);
}

TEST(StringTableWriter, LongStringsAndUnknownLanguagesSurvive) {
    test::ScratchDir dir;
    StringTableWriter writer(dir.Path());
    std::u16string longText(1500, u'x');
    longText += u"\u4e2d";
    ASSERT_EQ(Write(writer, Block({longText}), 9999, 32), S_OK) << "no 1000-unit limit";
    std::vector<std::uint8_t> truncated = Block({u"abc", u"defg"});
    truncated.resize(12); // the second string's text is cut short
    ASSERT_EQ(Write(writer, truncated, 9999, 48), S_OK);
    ASSERT_EQ(writer.Save(), S_OK);
    std::string text = test::ReadFileText(dir / "STRINGS.XML");
    EXPECT_NE(text.find("<E ID=\"32\" S=\"" + std::string(1500, 'x') + "\xe4\xb8\xad\"/>"),
              std::string::npos)
        << "languages without an ANSI code page are written as UTF-8";
    EXPECT_NE(text.find("<E ID=\"48\" S=\"abc\"/>"), std::string::npos);
    EXPECT_NE(text.find("<E ID=\"49\" S=\"d\"/>"), std::string::npos);
}
