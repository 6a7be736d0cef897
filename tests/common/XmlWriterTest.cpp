// XmlDocument: building trees, escaping, the writer's exact bytes and saving to files.
#include "common/TestSupport.h"
#include "common/XmlDocument.h"

#include <algorithm>
#include <filesystem>
#include <gtest/gtest.h>
#include <string>
#include <vector>

using namespace vellum;

namespace {

constexpr char kDeclaration[] = "<?xml version='1.0' encoding='ISO-8859-1'?>\r\n";

std::string Saved(const XmlDocument& doc) {
    std::string out;
    EXPECT_EQ(doc.SaveToString(&out), S_OK);
    return out;
}

// The text must outlive the document's use of it: pass literals or named strings.
HRESULT LoadText(XmlDocument& doc, std::string_view text) {
    return doc.LoadBuffer(reinterpret_cast<const std::uint8_t*>(text.data()), text.size());
}

std::string Attr(XmlDocument& doc, const char* path, const char* name) {
    std::string value;
    EXPECT_EQ(doc.GetAttrText(path, name, &value), S_OK) << name;
    return value;
}

std::vector<std::string> ChildNames(const XmlNode* parent) {
    std::vector<std::string> names;
    for (const XmlNode* n = parent->firstChild; n; n = n->next)
        names.emplace_back(n->Name());
    return names;
}

} // namespace

TEST(XmlWrite, BuiltDocumentBytes) {
    XmlDocument doc;
    ASSERT_EQ(doc.SetPathAttribute("/ROOT/PEFILE", "FileName", "pe.xml"), S_OK);
    ASSERT_EQ(doc.SetPathAttribute("/ROOT/RESFILE", "FileName", "C:\\a&b.dll"), S_OK);
    ASSERT_EQ(doc.SetPathAttribute("/Root/ResFile/Deep", "x", "<1>"), S_OK);
    ASSERT_EQ(doc.SetPathAttribute(nullptr, "y", "it's \"q\"\x01\x1f\x7f\xff"), S_OK);
    ASSERT_NE(doc.FindOrCreate("/ROOT/Empty"), nullptr);
    EXPECT_EQ(Saved(doc), std::string(kDeclaration) +
                              "<ROOT>\r\n"
                              "   <PEFILE FileName=\"pe.xml\"/>\r\n"
                              "   <RESFILE FileName=\"C:\\a&amp;b.dll\">\r\n"
                              "      <Deep x=\"&lt;1&gt;\" "
                              "y=\"it&apos;s &quot;q&quot;&#x01;&#x1f;\x7f\xff\"/>\r\n"
                              "   </RESFILE>\r\n"
                              "   <Empty/>\r\n"
                              "</ROOT>\r\n");
    EXPECT_EQ(Attr(doc, "/ROOT/RESFILE/DEEP", "Y"), "it's \"q\"\x01\x1f\x7f\xff");
    XmlDocument empty;
    EXPECT_EQ(Saved(empty), kDeclaration);
}

TEST(XmlWrite, LoadedFileKeepsNamesAndValues) {
    const std::string source = "<?xml version='1.0'?>\n<!-- dropped -->\n"
                               "<Directory Type='0' Name='a&amp;b&apos;c' Named_Entries='2'>\n"
                               "     <Entry ID='1' Directory=\"1\">\r\n"
                               "          <File Name='say \"hi\"' Size='3' Start='0000a0f0' />\r\n"
                               "     </Entry>\r\n"
                               "     <Text>x &lt; y  </Text>\n"
                               "</Directory>\n";
    XmlDocument doc;
    ASSERT_EQ(LoadText(doc, source), S_OK);
    const std::string expected =
        std::string(kDeclaration) +
        "<Directory Type=\"0\" Name=\"a&amp;b&apos;c\" Named_Entries=\"2\">\r\n"
        "   <Entry ID=\"1\" Directory=\"1\">\r\n"
        "      <File Name='say \"hi\"' Size=\"3\" Start=\"0000a0f0\"/>\r\n"
        "   </Entry>\r\n"
        "   <Text>x &lt; y  </Text>\r\n"
        "</Directory>\r\n";
    const std::string saved = Saved(doc);
    EXPECT_EQ(saved, expected);

    XmlDocument again;
    ASSERT_EQ(LoadText(again, saved), S_OK);
    EXPECT_EQ(Saved(again), expected);
    EXPECT_EQ(Attr(again, "/Directory/Entry/File", "Name"), "say \"hi\"");
    EXPECT_EQ(Attr(again, "/Directory", "Name"), "a&b'c");
}

TEST(XmlWrite, LongValuesSurvive) {
    std::string medium;
    for (int i = 0; i < 1500; ++i)
        medium += static_cast<char>('a' + i % 26);
    std::string huge;
    for (int i = 0; i < 20000; ++i)
        huge += "x&<"[i % 3];
    XmlDocument doc;
    ASSERT_EQ(doc.SetPathAttribute("/ROOT/TABLE/E", "S", medium), S_OK);
    ASSERT_EQ(doc.SetPathAttribute("/ROOT/TABLE/E", "T", huge), S_OK);
    ASSERT_EQ(doc.SetPathAttribute("/ROOT/TABLE/E", "U", "short after a big block"), S_OK);
    EXPECT_EQ(Attr(doc, nullptr, "T"), huge);

    std::string saved = Saved(doc);
    XmlDocument again;
    ASSERT_EQ(LoadText(again, saved), S_OK);
    EXPECT_EQ(Attr(again, "/ROOT/TABLE/E", "S"), medium);
    EXPECT_EQ(Attr(again, nullptr, "T"), huge);
    EXPECT_EQ(Attr(again, nullptr, "U"), "short after a big block");

    std::string withNul("cut\0here", 8);
    ASSERT_NE(doc.SetAttribute("S", withNul), nullptr);
    EXPECT_EQ(Attr(doc, nullptr, "s"), "cut") << "escaping stops at the first NUL";
}

TEST(XmlBuild, SetAttributeReplacesOrAppends) {
    XmlDocument doc;
    ASSERT_NE(doc.FindOrCreate("/R"), nullptr);
    XmlAttribute* a = doc.SetAttribute("Name", "1");
    XmlAttribute* b = doc.SetAttribute("Other", "2");
    EXPECT_EQ(doc.SetAttribute("NAME", "3"), a) << "found ignoring case";
    EXPECT_EQ(a->next, b);
    EXPECT_EQ(doc.SetAttribute(b, "New", "4"), b);
    ASSERT_EQ(doc.SetValue(a, "5&"), S_OK);
    EXPECT_EQ(Saved(doc), std::string(kDeclaration) + "<R Name=\"5&amp;\" New=\"4\"/>\r\n");
    doc.SetCursor(nullptr);
    EXPECT_EQ(doc.SetAttribute("x", "y"), nullptr);
    EXPECT_EQ(doc.SetPathAttribute(nullptr, "x", "y"), E_FAIL);
    EXPECT_EQ(doc.SetPathAttribute("", "x", "y"), E_FAIL);
}

TEST(XmlBuild, FindOrCreateBeyondTheSiblings) {
    XmlDocument doc;
    ASSERT_EQ(LoadText(doc, "<R><A n='0'/><B/></R>"), S_OK);
    XmlNode* first = doc.Query("/R/A");
    XmlNode* made = doc.FindOrCreate("A", 2);
    ASSERT_NE(made, nullptr);
    EXPECT_EQ(doc.GetCursor(), made);
    EXPECT_EQ(ChildNames(made->parent), (std::vector<std::string>{"A", "B", "A", "A"}));
    doc.SetCursor(first);
    EXPECT_EQ(doc.Query("A", 2), made);
    EXPECT_EQ(made->depth, 1);
    EXPECT_EQ(doc.FindOrCreate("/r/a"), doc.Query("/R/A")) << "existing elements are found";

    XmlNode* leaf = doc.FindOrCreate("/R/B/C/D");
    ASSERT_NE(leaf, nullptr);
    EXPECT_EQ(leaf->depth, 3);
    EXPECT_EQ(leaf->parent->parent, doc.Query("/R/B"));
    EXPECT_EQ(doc.FindOrCreate("/Second"), doc.GetHead()->next->next) << "a new top-level element";
}

TEST(XmlBuild, AddChild) {
    XmlDocument doc;
    doc.SetCursor(doc.GetHead());
    XmlNode* root = doc.AddChild("/Directory");
    ASSERT_NE(root, nullptr);
    EXPECT_EQ(doc.GetHead()->next, root) << "the first top-level element of an empty document";

    XmlNode* entry = doc.AddChild("Entry/Directory");
    ASSERT_NE(entry, nullptr) << "no children yet: a first child and what follows below it";
    EXPECT_EQ(entry->Name(), "Directory");
    EXPECT_EQ(entry->parent->parent, root);
    EXPECT_EQ(entry->depth, 2);

    doc.SetCursor(root);
    XmlNode* second = doc.AddChild("Entry", 1);
    ASSERT_NE(second, nullptr);
    EXPECT_EQ(second->prev, root->firstChild);
    EXPECT_EQ(second->depth, 1);
    doc.SetCursor(root);
    EXPECT_EQ(doc.AddChild("Entry", 1), second) << "an existing element is found";

    doc.SetCursor(doc.GetHead());
    EXPECT_EQ(doc.AddChild("DIRECTORY"), root);
    doc.SetCursor(nullptr);
    EXPECT_EQ(doc.AddChild("x"), nullptr);
}

TEST(XmlBuild, InsertElementBeforeASibling) {
    XmlDocument doc;
    ASSERT_EQ(LoadText(doc, "<ROOT><E ID='1'/><E ID='5'/></ROOT>"), S_OK);
    XmlNode* root = doc.Query("/ROOT");
    XmlNode* three = doc.InsertElement(root, root->firstChild->next, "E");
    ASSERT_NE(three, nullptr);
    EXPECT_EQ(doc.GetCursor(), three);
    doc.SetAttribute("ID", "3");
    ASSERT_NE(doc.InsertElement(root, root->firstChild, "E"), nullptr);
    doc.SetAttribute("ID", "0");
    ASSERT_NE(doc.InsertElement(root, nullptr, "E"), nullptr);
    doc.SetAttribute("ID", "9");
    ASSERT_NE(doc.InsertElement(nullptr, nullptr, "TOP"), nullptr);
    ASSERT_NE(doc.InsertElement(doc.GetHead(), root, "FIRST"), nullptr);
    EXPECT_EQ(doc.InsertElement(root, root, "E"), nullptr) << "not a child of the parent";

    std::vector<std::string> backwards;
    XmlNode* last = root->firstChild;
    while (last->next)
        last = last->next;
    for (XmlNode* e = last; e; e = e->prev)
        backwards.emplace_back(e->FindAttribute("ID")->RawValue());
    EXPECT_EQ(backwards, (std::vector<std::string>{"9", "5", "3", "1", "0"}));
    EXPECT_EQ(Saved(doc), std::string(kDeclaration) + "<FIRST/>\r\n"
                                                      "<ROOT>\r\n"
                                                      "   <E ID=\"0\"/>\r\n"
                                                      "   <E ID=\"1\"/>\r\n"
                                                      "   <E ID=\"3\"/>\r\n"
                                                      "   <E ID=\"5\"/>\r\n"
                                                      "   <E ID=\"9\"/>\r\n"
                                                      "</ROOT>\r\n"
                                                      "<TOP/>\r\n");
}

TEST(XmlBuild, Unlink) {
    XmlDocument doc;
    ASSERT_EQ(LoadText(doc, "<R><A/><B><X/></B><C/></R>"), S_OK);
    XmlNode* r = doc.Query("/R");
    XmlNode* b = doc.Query("/R/B");
    doc.Unlink(b);
    doc.Unlink(b);
    EXPECT_EQ(ChildNames(r), (std::vector<std::string>{"A", "C"}));
    EXPECT_EQ(r->firstChild->next->prev, r->firstChild);
    EXPECT_EQ(b->firstChild->Name(), "X") << "the unlinked element keeps its subtree";

    doc.Unlink(r->firstChild);
    EXPECT_EQ(ChildNames(r), (std::vector<std::string>{"C"}));
    EXPECT_EQ(r->firstChild->prev, nullptr);
    EXPECT_EQ(Saved(doc), std::string(kDeclaration) + "<R>\r\n   <C/>\r\n</R>\r\n");

    doc.Unlink(r);
    EXPECT_TRUE(doc.IsEmpty());
    EXPECT_EQ(Saved(doc), kDeclaration);
}

TEST(XmlWrite, DeepNestingSavesWithoutRecursion) {
    const int levels = 200000;
    std::string xml;
    for (int i = 0; i < levels; ++i)
        xml += "<a>";
    XmlDocument doc;
    ASSERT_EQ(LoadText(doc, xml), S_OK);

    // Indentation stops growing at 100 levels, so the size is known without writing it out.
    auto indent = [](std::size_t depth) { return 3 * std::min<std::size_t>(depth, 100); };
    std::size_t expected = sizeof kDeclaration - 1 + indent(levels - 1) + 6;
    for (std::size_t d = 0; d + 1 < levels; ++d)
        expected += 2 * indent(d) + 11;
    std::size_t total = 0;
    std::string tail;
    ASSERT_EQ(doc.Write([&](const char* data, std::size_t size) {
        total += size;
        tail.append(data, size);
        tail.erase(0, tail.size() > 6 ? tail.size() - 6 : 0);
        return S_OK;
    }),
              S_OK);
    EXPECT_EQ(total, expected);
    EXPECT_EQ(tail, "</a>\r\n");
}

TEST(XmlSave, ReplacesTheTargetOrLeavesItAlone) {
    namespace fs = std::filesystem;
    test::ScratchDir dir;
    XmlDocument doc;
    ASSERT_EQ(doc.SetPathAttribute("/ROOT/PEFILE", "FileName", "pe.xml"), S_OK);

    test::WriteFileText(dir / "p.vellum",
                        "old contents that are longer than the new ones..........."
                        "......................................................");
    ASSERT_EQ(doc.Save(dir / "p.vellum"), S_OK);
    EXPECT_EQ(test::ReadFileText(dir / "p.vellum"), Saved(doc));

    EXPECT_EQ(doc.Save(dir / "missing/p.vellum"), HRESULT_FROM_WIN32(ERROR_FILE_NOT_FOUND));

    fs::create_directory(dir / "folder");
    test::WriteFileText(dir / "folder/keep", "kept");
    EXPECT_TRUE(FAILED(doc.Save(dir / "folder")));
    EXPECT_EQ(test::ReadFileText(dir / "folder/keep"), "kept");

    std::vector<std::string> left;
    for (const auto& entry : fs::directory_iterator(dir.Path()))
        left.push_back(entry.path().filename().string());
    std::sort(left.begin(), left.end());
    EXPECT_EQ(left, (std::vector<std::string>{"folder", "p.vellum"})) << "no temporary files left";
}
