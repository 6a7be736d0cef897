// libFuzzer target: parses arbitrary bytes as XML, reads every attribute, edits the tree, and
// checks that what the writer prints loads again and that escaped values read back unchanged.
#include "common/XmlDocument.h"

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

namespace {

using vellum::XmlAttribute;
using vellum::XmlDocument;
using vellum::XmlNode;

// The element after `node` in document order.
XmlNode* NextInOrder(XmlNode* node) {
    if (node->firstChild)
        return node->firstChild;
    while (node && !node->next)
        node = node->parent;
    return node ? node->next : nullptr;
}

void ReadEverything(XmlDocument& doc) {
    char buffer[16];
    std::string text;
    for (XmlNode* node = doc.GetHead()->next; node; node = NextInOrder(node)) {
        doc.SetCursor(node);
        for (XmlAttribute* a = node->firstAttribute; a; a = a->next) {
            std::int32_t number = 0;
            std::int16_t small = 0;
            doc.GetAttrString(nullptr, a->Name(), buffer, sizeof buffer);
            doc.GetAttrText(nullptr, a->Name(), &text);
            doc.GetAttrInt(nullptr, a->Name(), &number);
            doc.GetAttrInt16(nullptr, a->Name(), &small);
        }
    }
}

void Query(XmlDocument& doc, int index) {
    for (const char* path : {"/Directory/Entry/Directory/Entry", "\\ROOT\\TABLE\\E", "/a/b"}) {
        if (doc.Query(path, index))
            doc.Query(std::string_view(path).substr(1), index);
    }
}

void Edit(XmlDocument& doc, std::string_view input, int index) {
    doc.SetCursor(doc.GetHead());
    doc.AddChild("Added/Child", index);
    doc.SetPathAttribute("/Fuzz/Value", "V", input);
    std::string back;
    if (FAILED(doc.GetAttrText("/Fuzz/Value", "v", &back)) ||
        back != input.substr(0, input.find('\0')))
        __builtin_trap();
    doc.FindOrCreate("/Fuzz/Value", index);
    if (XmlNode* first = doc.GetHead()->next)
        doc.Unlink(first->firstChild);
}

// The text of an element with children is written just before its end tag, after the end tag of
// its last child, where the parser accepts no text: such trees do not load again.
bool HasMixedContent(XmlDocument& doc) {
    for (XmlNode* node = doc.GetHead()->next; node; node = NextInOrder(node))
        if (node->firstChild && node->textLength)
            return true;
    return false;
}

void SaveAndReload(XmlDocument& doc) {
    std::string out;
    if (FAILED(doc.SaveToString(&out)))
        __builtin_trap();
    if (HasMixedContent(doc))
        return;
    XmlDocument again;
    if (FAILED(again.LoadBuffer(reinterpret_cast<const std::uint8_t*>(out.data()), out.size())))
        __builtin_trap();
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    XmlDocument doc;
    int index = size ? data[0] % 4 : 0;
    if (SUCCEEDED(doc.LoadBuffer(data, size))) {
        ReadEverything(doc);
        Query(doc, index);
        SaveAndReload(doc);
    }
    Edit(doc, {reinterpret_cast<const char*>(data), size}, index);
    SaveAndReload(doc);
    return 0;
}
