// Type display names, tree ordering and the recording tree sink.
#include "project/ResourceTree.h"

#include "common/Strings.h"

#include <algorithm>
#include <array>
#include <cstdint>
#include <utility>

namespace vellum {

namespace {

struct TypeName {
    int type;
    std::string_view label;
};

constexpr std::array<TypeName, 23> kTypeNames{{
    {1, "Cursor"},       {2, "Bitmap"},           {3, "Icon"},           {4, "Menu"},
    {5, "Dialog"},       {6, "String Table"},     {7, "Font Dir"},       {8, "Font"},
    {9, "Accelerators"}, {10, "RC Data"},         {11, "Message Table"}, {12, "Cursor Group"},
    {14, "Icon Group"},  {16, "Version Info"},    {17, "Dlg Include"},   {19, "Plug and Play"},
    {20, "VXD"},         {21, "Animated Cursor"}, {22, "Animated Icon"}, {23, "HTML"},
    {24, "Manifest"},
}};

bool IsDigit(char c) {
    return c >= '0' && c <= '9';
}

// The number a text begins with (digits only, saturating), for ordering.
std::uint64_t LeadingNumber(std::string_view text) {
    std::uint64_t value = 0;
    for (char c : text) {
        if (!IsDigit(c))
            break;
        value = std::min<std::uint64_t>(value * 10 + std::uint64_t(c - '0'), UINT32_MAX * 10ull);
    }
    return value;
}

// "NAME (LANG)" split into its name and its language number.
std::pair<std::string_view, std::uint64_t> SplitResourceLabel(std::string_view label) {
    std::size_t open = label.find('(');
    std::string_view name = label.substr(0, open);
    std::uint64_t language = 0;
    if (open != std::string_view::npos) {
        std::string_view rest = label.substr(open + 1);
        language = LeadingNumber(rest.substr(0, rest.find(')')));
    }
    return {name, language};
}

// Negative, zero or positive as a sorts before, with or after b.
int CompareResourceNames(std::string_view a, std::string_view b) {
    bool aNumber = !a.empty() && IsDigit(a[0]);
    bool bNumber = !b.empty() && IsDigit(b[0]);
    if (aNumber != bNumber)
        return aNumber ? 1 : -1;
    if (!aNumber)
        return a.compare(b);
    std::uint64_t x = LeadingNumber(a), y = LeadingNumber(b);
    return x < y ? -1 : (x > y ? 1 : 0);
}

template <typename Before>
std::size_t InsertPosition(const std::vector<std::string>& labels, std::string_view label,
                           Before before) {
    std::size_t i = 0;
    while (i < labels.size() && before(labels[i], label))
        ++i;
    return i;
}

} // namespace

std::string_view TypeDisplayName(std::string_view numericType) {
    for (const TypeName& t : kTypeNames)
        if (numericType == std::to_string(t.type))
            return t.label;
    return {};
}

int TypeOfDisplayName(std::string_view label) {
    for (const TypeName& t : kTypeNames)
        if (label == t.label)
            return t.type;
    return 0;
}

std::string TypeItemLabel(std::string_view nameOrId) {
    std::string_view display = TypeDisplayName(nameOrId);
    return std::string(display.empty() ? nameOrId : display);
}

bool TypeLabelSortsBefore(std::string_view a, std::string_view b) {
    int x = TypeOfDisplayName(a), y = TypeOfDisplayName(b);
    if (x != y)
        return x < y;
    return x == 0 && a.compare(b) < 0;
}

bool ResourceLabelSortsBefore(std::string_view a, std::string_view b) {
    auto [aName, aLanguage] = SplitResourceLabel(a);
    auto [bName, bLanguage] = SplitResourceLabel(b);
    int order = CompareResourceNames(aName, bName);
    return order != 0 ? order < 0 : aLanguage < bLanguage;
}

std::size_t TypeInsertPosition(const std::vector<std::string>& labels, std::string_view label) {
    return InsertPosition(labels, label, TypeLabelSortsBefore);
}

std::size_t ResourceInsertPosition(const std::vector<std::string>& labels, std::string_view label) {
    return InsertPosition(labels, label, ResourceLabelSortsBefore);
}

void RecordingTreeSink::InsertResourceItem(const std::string& typeLabel,
                                           const std::string& resourceLabel, XmlNode* node) {
    auto type = std::find_if(types_.begin(), types_.end(),
                             [&](const TypeItem& t) { return t.label == typeLabel; });
    if (type == types_.end()) {
        std::size_t at = TypeInsertPosition(TypeLabels(), typeLabel);
        type = types_.insert(types_.begin() + std::ptrdiff_t(at), TypeItem{typeLabel, {}});
    }
    std::vector<std::string> labels;
    for (const Item& item : type->items)
        labels.push_back(item.label);
    std::size_t at = ResourceInsertPosition(labels, resourceLabel);
    type->items.insert(type->items.begin() + std::ptrdiff_t(at), Item{resourceLabel, node});
}

void RecordingTreeSink::RemoveResourceItem(XmlNode* node) {
    for (auto type = types_.begin(); type != types_.end(); ++type) {
        auto item = std::find_if(type->items.begin(), type->items.end(),
                                 [&](const Item& i) { return i.node == node; });
        if (item == type->items.end())
            continue;
        type->items.erase(item);
        if (type->items.empty())
            types_.erase(type);
        return;
    }
}

std::vector<std::string> RecordingTreeSink::TypeLabels() const {
    std::vector<std::string> labels;
    for (const TypeItem& t : types_)
        labels.push_back(t.label);
    return labels;
}

std::vector<std::string> RecordingTreeSink::ItemLabels(std::string_view typeLabel) const {
    std::vector<std::string> labels;
    for (const TypeItem& t : types_)
        if (t.label == typeLabel)
            for (const Item& item : t.items)
                labels.push_back(item.label);
    return labels;
}

} // namespace vellum
