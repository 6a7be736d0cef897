// The snapshot document: sorted insertion of collected icons and of blanks.
#include "iconset/IconsetDocument.h"

#include <string>

namespace vellum {

namespace {

// Attributes are written through the cursor, the only way XmlDocument adds one.
XmlNode* Describe(XmlDocument& doc, XmlNode* node, IconSource source, std::string_view icon) {
    if (!node)
        return nullptr;
    doc.SetCursor(node);
    if (!source.name.empty())
        doc.SetAttribute(source.name, source.value);
    doc.SetAttribute("Icon", icon);
    return node;
}

} // namespace

XmlNode* InsertIcon(XmlDocument& snapshot, std::string_view tag, IconSource source,
                    std::string_view icon) {
    XmlNode* icons = snapshot.FindOrCreate("\\Root\\Icons");
    XmlNode* before = nullptr;
    for (XmlNode* child = icons ? icons->firstChild : nullptr; child; child = child->next) {
        std::string value = xml::AttributeText(child, "Icon").value_or(std::string());
        if (value == icon)
            return Describe(snapshot, snapshot.InsertElementAfter(icons, child, tag), source,
                            kRepeatMarker);
        if (!before && value > icon)
            before = child;
    }
    return Describe(snapshot, snapshot.InsertElement(icons, before, tag), source, icon);
}

XmlNode* InsertBlank(XmlDocument& snapshot, std::string_view tag, IconSource source) {
    XmlNode* blanks = snapshot.FindOrCreate("\\Root\\Blanks");
    XmlNode* first = blanks ? blanks->firstChild : nullptr;
    return Describe(snapshot, snapshot.InsertElement(blanks, first, tag), source, "");
}

} // namespace vellum
