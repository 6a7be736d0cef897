// XmlDocument: parsing rules, path queries and attribute readers.
#include "common/XmlDocument.h"

#include "common/TestSupport.h"

#include <cstring>
#include <gtest/gtest.h>
#include <string>

using namespace vellum;

namespace {

// A document parsed from text kept alive beside it, as LoadBuffer requires.
struct Parsed {
    explicit Parsed(std::string xml) : text(std::move(xml)) {
        hr = doc.LoadBuffer(reinterpret_cast<const std::uint8_t*>(text.data()), text.size());
    }
    std::string text;
    XmlDocument doc;
    HRESULT hr;
};

std::string Attr(XmlDocument& doc, const char* path, const char* name) {
    std::string value;
    EXPECT_EQ(doc.GetAttrText(path, name, &value), S_OK) << path << " " << name;
    return value;
}

} // namespace

TEST(XmlParse, ForgivingEndings) {
    Parsed cut("<a><b x='1' y=\"tw");
    ASSERT_EQ(cut.hr, S_OK) << "the end of the input ends the parse in any state";
    XmlNode* b = cut.doc.Query("/a/b");
    ASSERT_NE(b, nullptr);
    EXPECT_EQ(Attr(cut.doc, nullptr, "y"), "tw");

    Parsed unnamedEnd("<a><b></b>\r\n<c></>tail</a>");
    ASSERT_EQ(unnamedEnd.hr, S_OK);
    EXPECT_EQ(unnamedEnd.doc.Query("/a/c")->RawText(), "tail");

    Parsed afterRoot("<a/>trailing <junk");
    EXPECT_EQ(afterRoot.hr, S_OK) << "the parse stops when the root closes";
    Parsed mismatched("<a><b></c></a>");
    EXPECT_EQ(mismatched.hr, S_OK) << "end-tag names are not compared";
    EXPECT_EQ(Parsed("").hr, S_OK);
    EXPECT_TRUE(Parsed(" \r\n").doc.IsEmpty());
}

TEST(XmlParse, Failures) {
    for (const char* bad : {
             "<a x=1/>",           // value without quotes
             "<a><b></b>text</a>", // text after a named end tag
             "<r><a></a x></r>",   // an inner end tag not closed by '>'
             "<a x='1' / >",       // '/' not followed by '>'
             "<a x '1'/>",         // no '='
             "<a 1x='1'/>",        // attribute name start
             "<1a/>",              // element name start
             "text<a/>",           // text before the first tag
             "</a><a/>",           // an end tag with nothing open
             "  <",                // '<' as the last byte
         }) {
        Parsed parsed(bad);
        EXPECT_EQ(parsed.hr, static_cast<HRESULT>(0x80004005)) << bad;
        EXPECT_TRUE(parsed.doc.IsEmpty()) << bad;
    }
}

TEST(XmlParse, SkipsDeclarationsCommentsAndDoctype) {
    Parsed parsed("<?xml version='1.0'?>\n<!DOCTYPE r [<!ENTITY e 'x'>]>\n<!-- <c> -->\n"
                  "<r><!-- inside --><e a='1'/></r>");
    ASSERT_EQ(parsed.hr, S_OK);
    EXPECT_NE(parsed.doc.Query("/r/e"), nullptr);
}

TEST(XmlParse, TreeShape) {
    Parsed parsed("<r>\n <a>text &amp; more  </a>\n <b/>\n <c><d/></c>\n</r>");
    ASSERT_EQ(parsed.hr, S_OK);
    XmlNode* r = parsed.doc.GetHead()->next;
    ASSERT_NE(r, nullptr);
    EXPECT_EQ(r->parent, nullptr);
    EXPECT_EQ(r->prev, parsed.doc.GetHead());
    XmlNode* a = r->firstChild;
    EXPECT_EQ(a->RawText(), "text &amp; more  ") << "trailing white space stays";
    EXPECT_TRUE(a->textHasAmp);
    XmlNode* c = a->next->next;
    EXPECT_EQ(c->Name(), "c");
    EXPECT_EQ(c->prev, a->next);
    EXPECT_EQ(c->firstChild->depth, 2);
    EXPECT_EQ(c->firstChild->parent, c);
    EXPECT_EQ(c->next, nullptr);
}

TEST(XmlParse, FailedLoadLeavesAnEmptyDocument) {
    test::ScratchDir dir;
    test::WriteFileText(dir / "good.xml", "<r><a x='1'/></r>");
    test::WriteFileText(dir / "bad.xml", "<r><a x=1/></r>");
    XmlDocument doc;
    ASSERT_EQ(doc.Load(dir / "good.xml"), S_OK);
    EXPECT_EQ(doc.FileName(), dir / "good.xml");
    EXPECT_EQ(doc.Load(dir / "bad.xml"), E_FAIL);
    EXPECT_TRUE(doc.IsEmpty());
    EXPECT_EQ(doc.GetCursor(), doc.GetHead());
    EXPECT_EQ(doc.Query("/r"), nullptr);
    EXPECT_EQ(doc.Load(dir / "missing.xml"), HRESULT_FROM_WIN32(ERROR_FILE_NOT_FOUND));
    EXPECT_TRUE(doc.IsEmpty());
}

TEST(XmlParse, DeepNestingLoadsWithoutRecursion) {
    const int levels = 200000;
    std::string xml;
    for (int i = 0; i < levels; ++i)
        xml += "<a>";
    for (int i = 0; i < levels; ++i)
        xml += "</a>";
    Parsed parsed(xml);
    ASSERT_EQ(parsed.hr, S_OK);
    XmlNode* node = parsed.doc.GetHead()->next;
    while (node->firstChild)
        node = node->firstChild;
    EXPECT_EQ(node->depth, levels - 1);
}

TEST(XmlQuery, IndexAndAttributeNameCase) {
    Parsed parsed("<ROOT><A x='1'/><B/><A x='2'/></ROOT>");
    XmlDocument& doc = parsed.doc;
    XmlNode* first = doc.Query("/ROOT/A");
    ASSERT_NE(first, nullptr);
    XmlNode* second = doc.Query("A", 1);
    ASSERT_NE(second, nullptr);
    EXPECT_NE(second, first);
    EXPECT_EQ(doc.GetCursor(), second);
    std::int32_t x = 0;
    EXPECT_EQ(doc.GetAttrInt(nullptr, "X", &x), S_OK);
    EXPECT_EQ(x, 2);

    doc.SetCursor(first);
    EXPECT_EQ(doc.Query("A", 2), nullptr) << "only two A from the cursor on";
    EXPECT_EQ(doc.GetCursor(), nullptr) << "a failed query leaves the cursor empty";
    EXPECT_EQ(doc.Query("A"), nullptr) << "a relative query needs a cursor";
    doc.Query("/ROOT");
    EXPECT_EQ(doc.Query("A"), nullptr) << "relative paths start at the cursor, not its children";
}

TEST(XmlQuery, AbsolutePathsAnySeparatorAnyCase) {
    Parsed parsed("<Directory><Entry ID='1'><File Name='f'/></Entry></Directory>");
    XmlDocument& doc = parsed.doc;
    XmlNode* file = doc.Query("\\Directory\\Entry\\File");
    ASSERT_NE(file, nullptr);
    EXPECT_EQ(doc.GetDepth(), 2);
    EXPECT_EQ(doc.Query("/directory/ENTRY/file"), file);
    EXPECT_EQ(doc.Query("/Directory\\Entry/File/"), file);
    EXPECT_EQ(doc.Query("/Directory/Entr"), nullptr) << "names must have the same length";
    EXPECT_EQ(doc.Query(""), nullptr);
    EXPECT_EQ(doc.Query("/"), nullptr);

    doc.Query("/Directory");
    EXPECT_EQ(doc.Query("Directory/Entry/File"), file);
    XmlNode* previous = doc.SetCursor(file->parent);
    EXPECT_EQ(previous, file);
    EXPECT_EQ(doc.GetDepth(), 1);
}

TEST(XmlQuery, IndexRestartsAfterTheFirstNameWithoutBacktracking) {
    Parsed parsed("<R><G><E n='1'/></G><G/><G><E n='3'/></G></R>");
    XmlDocument& doc = parsed.doc;
    EXPECT_EQ(Attr(doc, "/R/G/E", "n"), "1");
    EXPECT_EQ(doc.Query("/R/G/E", 1), nullptr) << "the index applies to R, and there is one";
    XmlNode* first = doc.Query("/R/G");
    EXPECT_EQ(doc.Query("G/E", 1), nullptr) << "the second G has no E";
    doc.SetCursor(first);
    ASSERT_NE(doc.Query("G", 2), nullptr);
    doc.SetCursor(doc.GetCursor()->firstChild);
    EXPECT_EQ(Attr(doc, nullptr, "n"), "3");
}

TEST(XmlQuery, EmptyDocumentFindsNothing) {
    XmlDocument doc;
    EXPECT_EQ(doc.Query("/a"), nullptr);
    doc.SetCursor(doc.GetHead());
    EXPECT_EQ(doc.Query("a"), nullptr);
    std::int32_t value = 7;
    EXPECT_EQ(doc.GetAttrInt("/a", "x", &value), E_FAIL);
    EXPECT_EQ(value, 7);
}

TEST(XmlRead, Entities) {
    Parsed parsed("<r v='&amp;&lt;&#x41;&#66;&unknown;.&gt;&quot;&apos;&ab;&abc;&#X4a;&#6z;'/>");
    EXPECT_EQ(Attr(parsed.doc, "/r", "v"), "&<AB.>\"''&J<");
    Parsed noSemicolon("<r v='x&amp'/>");
    EXPECT_EQ(Attr(noSemicolon.doc, "/r", "v"), "x'") << "an 'a' entity of three characters";
    Parsed plain("<r v='a &#65; b'  w=\"it's\"/>");
    EXPECT_EQ(Attr(plain.doc, "/r", "v"), "a A b");
    EXPECT_EQ(Attr(plain.doc, "/r", "w"), "it's");
}

TEST(XmlRead, StringsAreCutToTheBuffer) {
    const std::string value(300, 'v');
    Parsed plain("<r v='" + value + "'/>");
    char buffer[256];
    std::memset(buffer, 'X', sizeof buffer);
    ASSERT_EQ(plain.doc.GetAttrString("/r", "v", buffer, sizeof buffer), S_OK);
    EXPECT_EQ(std::string(buffer), value.substr(0, 255));

    Parsed entity("<r v='&amp;" + value + "'/>");
    ASSERT_EQ(entity.doc.GetAttrString("/r", "v", buffer, sizeof buffer), S_OK);
    EXPECT_EQ(std::string(buffer), "&" + value.substr(0, 253)) << "254 decoded characters";

    char tiny[1] = {'X'};
    EXPECT_EQ(entity.doc.GetAttrString("/r", "v", tiny, 1), S_OK);
    EXPECT_EQ(tiny[0], '\0');
    std::strcpy(buffer, "preset");
    EXPECT_EQ(entity.doc.GetAttrString("/r", "missing", buffer, sizeof buffer), E_FAIL);
    EXPECT_STREQ(buffer, "preset");
}

TEST(XmlRead, Integers) {
    Parsed parsed("<r neg='-42' mixed='12ab' empty='' hex='0x10' space=' 5' big='70000'/>");
    XmlDocument& doc = parsed.doc;
    ASSERT_NE(doc.Query("/r"), nullptr);
    auto read = [&](const char* name) {
        std::int32_t value = 99;
        EXPECT_EQ(doc.GetAttrInt(nullptr, name, &value), S_OK) << name;
        return value;
    };
    EXPECT_EQ(read("neg"), -42);
    EXPECT_EQ(read("mixed"), 12);
    EXPECT_EQ(read("empty"), 0);
    EXPECT_EQ(read("hex"), 0);
    EXPECT_EQ(read("space"), 0);

    std::int16_t small = 5;
    EXPECT_EQ(doc.GetAttrInt16(nullptr, "big", &small), S_OK);
    EXPECT_EQ(small, static_cast<std::int16_t>(70000 & 0xFFFF));

    std::int32_t untouched = 123;
    EXPECT_EQ(doc.GetAttrInt(nullptr, "missing", &untouched), E_FAIL);
    EXPECT_EQ(doc.ReadAttrInt("/r/none", "neg", untouched), E_FAIL);
    EXPECT_EQ(untouched, 123);
    small = 5;
    EXPECT_EQ(doc.GetAttrInt16("/r", "missing", &small), E_FAIL);
    EXPECT_EQ(small, 5);
}

TEST(XmlReaders, ChildrenAndPathsBelowANode) {
    Parsed parsed("<R><G n='1'><E n='a'/></G><x/><g n='2'/><G n='3'><E n='b'/><E n='c'/></G></R>");
    XmlDocument& doc = parsed.doc;
    XmlNode* root = doc.Find("R");
    ASSERT_NE(root, nullptr);
    EXPECT_EQ(doc.Find("/R"), root) << "a leading separator changes nothing";
    EXPECT_EQ(doc.Find("R", 1), nullptr);

    std::vector<XmlNode*> children = xml::Children(root);
    ASSERT_EQ(children.size(), 4u);
    EXPECT_EQ(children[1]->Name(), "x");
    EXPECT_TRUE(xml::Children(children[1]).empty());
    EXPECT_TRUE(xml::Children(nullptr).empty());

    EXPECT_EQ(xml::Child(root, "G"), children[0]);
    EXPECT_EQ(xml::Child(root, "G", 1), children[2]) << "names match without regard to case";
    EXPECT_EQ(xml::Child(root, "G", 2), children[3]);
    EXPECT_EQ(xml::Child(root, "G", 3), nullptr);
    EXPECT_EQ(xml::Child(root, "E"), nullptr) << "only children, not grandchildren";
    EXPECT_EQ(xml::Child(nullptr, "G"), nullptr);

    EXPECT_EQ(xml::AttributeText(xml::Find(root, "G/E"), "n"), "a");
    EXPECT_EQ(xml::AttributeText(xml::Find(root, "\\G\\E"), "n"), "a");
    EXPECT_EQ(xml::Find(root, "G/E", 1), nullptr) << "the second G has no E: no backtracking";
    EXPECT_EQ(xml::AttributeText(xml::Find(root, "G", 2), "n"), "3");
    EXPECT_EQ(xml::AttributeText(xml::Find(xml::Find(root, "G", 2), "E"), "n"), "b");
    EXPECT_EQ(xml::Find(root, "R"), nullptr) << "the search starts below the node";
    EXPECT_EQ(xml::Find(root, ""), nullptr);
    EXPECT_EQ(xml::Find(nullptr, "G"), nullptr);
}

TEST(XmlReaders, AttributesReadLikeTheCursorReaders) {
    Parsed parsed(
        "<r neg='-42' mixed='12ab' empty='' hex='0x10' space=' 5' ent='&lt;&#x41;&ab;'/>");
    XmlDocument& doc = parsed.doc;
    XmlNode* r = doc.Find("r");
    for (const char* name : {"neg", "mixed", "empty", "hex", "space", "ent"}) {
        std::int32_t viaCursor = 0;
        std::string textViaCursor;
        ASSERT_EQ(doc.GetAttrInt("/r", name, &viaCursor), S_OK);
        ASSERT_EQ(doc.GetAttrText(nullptr, name, &textViaCursor), S_OK);
        EXPECT_EQ(xml::AttributeInt(r, name), viaCursor) << name;
        EXPECT_EQ(xml::AttributeText(r, name), textViaCursor) << name;
    }
    EXPECT_EQ(xml::AttributeInt(r, "NEG"), -42);
    EXPECT_EQ(xml::AttributeInt(r, "mixed"), 12);
    EXPECT_EQ(xml::AttributeText(r, "ent"), "<A'");
    EXPECT_EQ(xml::AttributeText(r, "empty"), "") << "present but empty is not missing";
    EXPECT_EQ(xml::AttributeText(r, "missing"), std::nullopt);
    EXPECT_EQ(xml::AttributeInt(r, "missing"), std::nullopt);
    EXPECT_EQ(xml::AttributeInt(nullptr, "neg"), std::nullopt);
}

TEST(XmlReaders, LeaveTheCursorWhereItIs) {
    Parsed parsed("<R><A x='1'><B y='2'/></A><C/></R>");
    XmlDocument& doc = parsed.doc;
    XmlNode* c = doc.Query("/R/C");
    ASSERT_NE(c, nullptr);
    const int depth = doc.GetDepth();
    XmlNode* a = doc.Find("R/A");
    ASSERT_NE(a, nullptr);
    EXPECT_EQ(doc.Find("R/missing"), nullptr);
    EXPECT_EQ(xml::AttributeInt(xml::Find(a, "B"), "y"), 2);
    EXPECT_EQ(xml::AttributeText(a, "x"), "1");
    EXPECT_EQ(xml::Child(a, "B")->Name(), "B");
    xml::Children(doc.Find("R"));
    EXPECT_EQ(doc.GetCursor(), c);
    EXPECT_EQ(doc.GetDepth(), depth);
    EXPECT_EQ(doc.Query("C"), c) << "relative queries still start at the untouched cursor";
}
