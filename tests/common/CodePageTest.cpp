#include "common/CodePage.h"

#include "common/Path.h"

#include <gtest/gtest.h>

using namespace vellum;

TEST(CodePage, LanguagesMapToTheirAnsiCodePage) {
    EXPECT_EQ(CodePageOfLanguage(1033), 1252u);
    EXPECT_EQ(CodePageOfLanguage(1041), 932u);
    EXPECT_EQ(CodePageOfLanguage(16385), 1256u);
    EXPECT_EQ(CodePageOfLanguage(1063), 1257u);
    EXPECT_EQ(CodePageOfLanguage(0), 65001u) << "neutral has no ANSI code page";
    EXPECT_EQ(CodePageOfLanguage(1100), 65001u);
}

TEST(CodePage, ConversionsRoundTrip) {
    std::u16string german = u"Gr\u00fc\u00dfe \u20ac";
    EXPECT_EQ(Utf16ToCodePage(german, 1252), "Gr\xfc\xdf"
                                             "e \x80");
    EXPECT_EQ(CodePageToUtf16("Gr\xfc\xdf"
                              "e \x80",
                              1252),
              german);
    EXPECT_EQ(Utf16ToCodePage(u"\u65e5\u672c", 932), "\x93\xfa\x96\x7b");
    EXPECT_EQ(Utf16ToCodePage(u"a\u4e2db", 1252), "a?b") << "what the code page lacks becomes ?";
    std::u16string odd = u"x\xd800y\U0001F600";
    EXPECT_EQ(Utf8ToUtf16(Utf16ToUtf8(odd)), odd) << "lone surrogates survive the round trip";
    EXPECT_EQ(Utf8ToUtf16("\xff"
                          "a"),
              u"\u00ffa")
        << "malformed bytes are kept as Latin-1";
}

TEST(Path, SafeFileNames) {
    EXPECT_EQ(MakeSafeFileName("NORMAL.INI"), "NORMAL.INI");
    EXPECT_EQ(MakeSafeFileName("..\\..\\x"), ".._.._x");
    EXPECT_EQ(MakeSafeFileName("a/b:c*d?\"<>|"), "a_b_c_d_____");
    EXPECT_EQ(MakeSafeFileName(".."), "._");
    EXPECT_EQ(MakeSafeFileName(""), "_");
    EXPECT_EQ(MakeSafeFileName("con.txt"), "_con.txt");
    EXPECT_EQ(MakeSafeFileName("LPT1"), "_LPT1");
    EXPECT_EQ(MakeSafeFileName("COM10"), "COM10");
    EXPECT_EQ(MakeSafeFileName(std::string("a\x01", 2)), "a_");
}
