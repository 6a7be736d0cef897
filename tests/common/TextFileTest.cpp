// Text files as the text view shows and writes them: the encoding a file is read in and the
// bytes it is written back as, worked out by hand.
#include "common/TextFile.h"

#include <gtest/gtest.h>

using namespace vellum;

namespace {

using Bytes = std::vector<std::uint8_t>;

DecodedText Decode(const char* name, const Bytes& bytes) {
    return DecodeTextFile(name, ByteView(bytes.data(), bytes.size()));
}

void ExpectRoundTrip(const char* name, const Bytes& bytes) {
    DecodedText decoded = Decode(name, bytes);
    EXPECT_EQ(EncodeTextFile(decoded, decoded.text), bytes) << name;
}

} // namespace

TEST(TextFile, IniIsUtf16WithOrWithoutMarkAndOthersAreUtf8) {
    // "[a]\r\nb=\u00e9" with the mark FF FE; the CR LF break is shown as LF.
    Bytes ini = {0xFF, 0xFE, '[', 0, 'a', 0, ']', 0, '\r', 0, '\n', 0, 'b', 0, '=', 0, 0xE9, 0};
    DecodedText decoded = Decode("Setup.INI", ini);
    EXPECT_EQ(decoded.encoding, TextEncoding::Utf16Le);
    EXPECT_TRUE(decoded.byteOrderMark);
    EXPECT_TRUE(decoded.crlf);
    EXPECT_EQ(decoded.text, u"[a]\nb=\u00e9");
    EXPECT_TRUE(decoded.note.empty());
    EXPECT_EQ(
        EncodeTextFile(decoded, u"[a]\nb=\u00e8").value(),
        (Bytes{0xFF, 0xFE, '[', 0, 'a', 0, ']', 0, '\r', 0, '\n', 0, 'b', 0, '=', 0, 0xE8, 0}));
    ExpectRoundTrip("x.ini", {'a', 0, 0x3D, 0xD8, 0x00, 0xDE}); // a surrogate pair, no mark

    // The same bytes in an .xml file are 8-bit text; "\u00e9" in UTF-8 is C3 A9.
    decoded = Decode("a.xml", {0xEF, 0xBB, 0xBF, '<', 0xC3, 0xA9, '>', '\n', 'x', '\r'});
    EXPECT_EQ(decoded.encoding, TextEncoding::Utf8);
    EXPECT_TRUE(decoded.byteOrderMark);
    EXPECT_FALSE(decoded.crlf) << "a lone CR keeps the breaks as they are";
    EXPECT_EQ(decoded.text, u"<\u00e9>\nx\r");
    EXPECT_EQ(EncodeTextFile(decoded, u"\u20ac").value(),
              (Bytes{0xEF, 0xBB, 0xBF, 0xE2, 0x82, 0xAC}));
}

// An .ini that is not UTF-16 opens as 8-bit text with a note, and nothing of it is lost.
TEST(TextFile, IniThatIsNotUtf16IsEightBitTextWithANote) {
    Bytes odd = {'[', 0, 'a', 0, ']'};
    DecodedText decoded = Decode("odd.ini", odd);
    EXPECT_NE(decoded.encoding, TextEncoding::Utf16Le);
    EXPECT_NE(decoded.note.find("odd"), std::string::npos) << decoded.note;
    ExpectRoundTrip("odd.ini", odd);

    Bytes lonely = {'a', 0, 0x00, 0xDC, 'b', 0}; // a low surrogate without its high half
    decoded = Decode("lonely.ini", lonely);
    EXPECT_NE(decoded.note.find("surrogate"), std::string::npos) << decoded.note;
    ExpectRoundTrip("lonely.ini", lonely);
    ExpectRoundTrip("reversed.ini", {0x3D, 0xD8, 0x00, 0xDE, 0x00, 0xDE}); // high, low, low
}

// Bytes that are not UTF-8 (a lone continuation byte, an overlong form, an encoded surrogate,
// a sequence cut short) are shown one character per byte and written back to the same bytes.
TEST(TextFile, InvalidUtf8IsLatin1ByteForByte) {
    for (const Bytes& bytes :
         {Bytes{'c', 'a', 'f', 0xE9, '\r', '\n'}, Bytes{0xC0, 0xAF}, Bytes{0xED, 0xA0, 0x80},
          Bytes{'a', 0xE2, 0x82}, Bytes{0xF4, 0x90, 0x80, 0x80}, Bytes{0x80}}) {
        DecodedText decoded = Decode("page.htm", bytes);
        EXPECT_EQ(decoded.encoding, TextEncoding::Latin1);
        ExpectRoundTrip("page.htm", bytes);
    }
    DecodedText decoded = Decode("page.htm", {'c', 'a', 'f', 0xE9});
    EXPECT_EQ(decoded.text, u"caf\u00e9");
    EXPECT_NE(decoded.note.find("Latin-1"), std::string::npos) << decoded.note;
    EXPECT_EQ(EncodeTextFile(decoded, u"\u00ff").value(), Bytes{0xFF});
    EXPECT_FALSE(EncodeTextFile(decoded, u"\u20ac")) << "the euro sign has no Latin-1 byte";
    // The longest valid forms stay UTF-8.
    EXPECT_EQ(Decode("a.txt", {0xF4, 0x8F, 0xBF, 0xBF, 0xDF, 0xBF}).encoding, TextEncoding::Utf8);
}
