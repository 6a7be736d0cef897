// How the resource tree shows a project: type display names, the order of type and resource
// items, and the interface through which manifest edits reach the tree.
#pragma once

#include "common/XmlDocument.h"

#include <string>
#include <string_view>
#include <vector>

namespace vellum {

// The label of a numeric resource type ("3" -> "Icon"), or nothing for types without one.
std::string_view TypeDisplayName(std::string_view numericType);
// The numeric type of a display name ("Icon Group" -> 14), 0 when it is none.
int TypeOfDisplayName(std::string_view label);
// The tree label of a type entry's name or ID: its display name when it has one, else as given.
std::string TypeItemLabel(std::string_view nameOrId);

// Type items order by numeric type; two labels without one order by plain byte comparison.
bool TypeLabelSortsBefore(std::string_view a, std::string_view b);
// Resource labels "NAME (LANG)": text names before numbers (a name starting with a digit is the
// number it begins with), text by bytes, numbers by value; equal names by language.
bool ResourceLabelSortsBefore(std::string_view a, std::string_view b);

// The position at which `label` goes among `labels`: before the first that does not sort before
// it, else last.
std::size_t TypeInsertPosition(const std::vector<std::string>& labels, std::string_view label);
std::size_t ResourceInsertPosition(const std::vector<std::string>& labels, std::string_view label);

// What the window's tree implements so that the project model can show its edits. Items carry
// the manifest node of the resource's first language entry.
class TreeSink {
public:
    virtual ~TreeSink() = default;
    // Adds a resource item under the type item of that label, creating the type item at its
    // sorted place when it is missing.
    virtual void InsertResourceItem(const std::string& typeLabel, const std::string& resourceLabel,
                                    XmlNode* node) = 0;
    // Removes the resource item that carries `node`, and its type item when that becomes empty.
    virtual void RemoveResourceItem(XmlNode* node) = 0;
};

// A tree kept as plain lists, for tests and for callers without a window.
class RecordingTreeSink : public TreeSink {
public:
    struct Item {
        std::string label;
        XmlNode* node = nullptr;
    };
    struct TypeItem {
        std::string label;
        std::vector<Item> items;
    };

    void InsertResourceItem(const std::string& typeLabel, const std::string& resourceLabel,
                            XmlNode* node) override;
    void RemoveResourceItem(XmlNode* node) override;

    // Adds a type item at the end, as filling the tree from a manifest does.
    void AppendType(const std::string& label) { types_.push_back({label, {}}); }
    void AppendItem(const std::string& label, XmlNode* node) {
        types_.back().items.push_back({label, node});
    }

    const std::vector<TypeItem>& Types() const { return types_; }
    std::vector<std::string> TypeLabels() const;
    // The labels under a type item; empty when the type item is missing.
    std::vector<std::string> ItemLabels(std::string_view typeLabel) const;

private:
    std::vector<TypeItem> types_;
};

} // namespace vellum
