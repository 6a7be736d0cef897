// IconCatalogue: reading IconConfig.xml and matching loaded iconsets against it.
#include "iconset/IconCatalogue.h"

#include "common/Strings.h"
#include "iconset/IconLocation.h"

namespace vellum {

namespace {

// The number after the element name's first letter; names that are not a letter and digits have
// no shell icon index, so a typo never writes index 0.
int ShellIconIndexOf(std::string_view elementName) {
    if (elementName.size() < 2 || elementName.size() > 6)
        return IconCatalogue::kNoShellIconIndex;
    int value = 0;
    for (char c : elementName.substr(1)) {
        if (c < '0' || c > '9')
            return IconCatalogue::kNoShellIconIndex;
        value = value * 10 + (c - '0');
    }
    return value;
}

int ParseInt(const std::string& text, int fallback) {
    if (text.empty())
        return fallback;
    try {
        return std::stoi(text);
    } catch (const std::exception&) {
        return fallback;
    }
}

// Info attribute names per field, in the order they are tried.
struct InfoField {
    std::string IconsetInfo::*field;
    const char* names[2];
};
const InfoField kInfoFields[] = {
    {&IconsetInfo::author, {"Author", "Name"}},
    {&IconsetInfo::email, {"Email", "e-mail"}},
    {&IconsetInfo::title, {"description", "title"}},
    {&IconsetInfo::comments, {"Comments", "otherinfo"}},
    {&IconsetInfo::website, {"website", "web"}},
};

// An attribute's decoded value; empty when it is missing.
std::string DecodedValue(const XmlNode* node, std::string_view name) {
    return xml::AttributeText(node, name).value_or(std::string());
}

} // namespace

HRESULT IconCatalogue::Load(const std::string& path) {
    Clear();
    HRESULT hr = document_.Load(path);
    if (FAILED(hr))
        return hr;
    XmlNode* root = document_.Find("\\Root");
    for (XmlNode* category = root ? root->firstChild : nullptr; category; category = category->next)
        if (categoryNames_.size() < kCategorySlots)
            AddCategory(category);
    return hr;
}

void IconCatalogue::Clear() {
    document_.Reset();
    records_.clear();
    categoryNames_.clear();
    iconCounts_.clear();
    lnkMatches_.clear();
    scfMatches_.clear();
    ClearLoadedIconset();
}

void IconCatalogue::ClearLoadedIconset() {
    for (auto& list : items_)
        list.clear();
}

void IconCatalogue::AddCategory(XmlNode* category) {
    int slot = int(categoryNames_.size());
    categoryNames_.emplace_back(category->Name());
    iconCounts_.push_back(ParseInt(Attribute(category, "ICONS"), 0));
    if (EqualsNoCase(category->Name(), "INFO"))
        return;
    for (XmlNode* entry = category->firstChild; entry; entry = entry->next)
        AddEntry(entry, slot);
}

void IconCatalogue::AddEntry(XmlNode* entry, int slot) {
    CatalogueRecord record;
    record.category = slot;
    record.shellIconIndex = ShellIconIndexOf(entry->Name());
    record.csidl = ParseInt(Attribute(entry, "csidl"), -1);
    record.element = entry;
    std::string name = Attribute(entry, "Name");
    for (int n = 2; !name.empty() && records_.size() < kMaxRecords; ++n) {
        record.displayName = name;
        record.tag = MakeTag(name);
        records_.push_back(record);
        name = Attribute(entry, Format("Name%d", n));
    }
    std::string first = Attribute(entry, "Name");
    if (std::string lnk = Attribute(entry, "Lnk"); !lnk.empty())
        lnkMatches_.push_back({first, lnk});
    if (std::string scf = Attribute(entry, "SCF"); !scf.empty())
        scfMatches_.push_back({first, scf});
}

std::string IconCatalogue::Attribute(const XmlNode* element, std::string_view name) const {
    return DecodedValue(element, name);
}

std::vector<std::string> IconCatalogue::Locations(const XmlNode* element, int limit) const {
    std::vector<std::string> locations;
    for (int n = 1; n <= limit; ++n) {
        std::string value = Attribute(element, n == 1 ? std::string("Loc") : Format("Loc%d", n));
        if (value.empty())
            break;
        locations.push_back(std::move(value));
    }
    return locations;
}

std::optional<std::size_t> IconCatalogue::FindByTag(std::string_view tag) const {
    for (std::size_t i = 0; i < records_.size(); ++i)
        if (EqualsNoCase(records_[i].tag, tag))
            return i;
    return std::nullopt;
}

std::optional<std::size_t> IconCatalogue::FindByName(std::string_view displayName) const {
    for (std::size_t i = 0; i < records_.size(); ++i)
        if (records_[i].displayName == displayName)
            return i;
    return std::nullopt;
}

std::optional<int> IconCatalogue::CategorySlot(std::string_view name) const {
    for (std::size_t i = 0; i < categoryNames_.size(); ++i)
        if (EqualsNoCase(categoryNames_[i], name))
            return int(i);
    return std::nullopt;
}

std::vector<XmlNode*> IconCatalogue::CategoryEntries(std::string_view name) const {
    std::vector<XmlNode*> entries;
    XmlNode* root = document_.Find("\\Root");
    if (!root || EqualsNoCase(name, "INFO"))
        return entries;
    for (XmlNode* category = root->firstChild; category; category = category->next)
        if (EqualsNoCase(category->Name(), name)) {
            for (XmlNode* entry = category->firstChild; entry; entry = entry->next)
                entries.push_back(entry);
            break;
        }
    return entries;
}

void IconCatalogue::FillSystemCache() {
    for (const std::string& name : ShellIconNames())
        items_[1].push_back({name, name});
}

std::vector<AppliedIcon>
IconCatalogue::MatchIconset(const XmlDocument& iconset,
                            const std::function<std::string(std::string_view)>& expand) {
    std::vector<AppliedIcon> applied;
    XmlNode* icons = iconset.Find("\\Root\\Icons");
    for (XmlNode* child = icons ? icons->firstChild : nullptr; child; child = child->next) {
        std::optional<std::size_t> record = FindByTag(child->Name());
        if (!record)
            continue;
        std::string location = DecodedValue(child, "Icon");
        if (child->FindAttribute("Loc"))
            location = expand(location);
        const CatalogueRecord& matched = records_[*record];
        items_[std::size_t(matched.category)].push_back({matched.displayName, location});
        applied.push_back({location, *record});
    }
    return applied;
}

// Attributes are examined from the last to the first and each fills the first field whose
// names it matches, so of two names for one field the one written first wins.
IconsetInfo IconCatalogue::ReadInfoFields(const XmlDocument& iconset) {
    IconsetInfo info;
    items_[0].clear();
    XmlNode* node = iconset.Find("\\Root\\Info");
    for (XmlAttribute* a = node ? node->firstAttribute : nullptr; a; a = a->next)
        items_[0].push_back({std::string(a->Name()), DecodedValue(node, a->Name())});
    for (auto it = items_[0].rbegin(); it != items_[0].rend(); ++it)
        for (const InfoField& field : kInfoFields)
            if (EqualsNoCase(it->name, field.names[0]) || EqualsNoCase(it->name, field.names[1])) {
                info.*field.field = it->value;
                break;
            }
    if (info.author != IconsetInfo().author)
        info.author = "Author: " + info.author;
    return info;
}

const std::vector<std::string>& ShellIconNames() {
    static const std::vector<std::string> names = {
        "Unknown File Type",
        "Default document",
        "Default application",
        "Closed folder",
        "Open folder",
        "5 1/4 floppy",
        "3 1/2 floppy",
        "Removable drive",
        "Hard disk drive",
        "Network drive",
        "network drive offline",
        "CD drive",
        "RAM disk",
        "Entire network",
        "Network Service",
        "My Computer",
        "Printer Manager",
        "Network Places",
        "Network Workgroup",
        "Start Menu Programs",
        "Start Menu Documents",
        "Start Menu Settings",
        "Start Menu Find",
        "Start Menu Help",
        "Start Menu Run",
        "Start Menu Suspend",
        "Start Menu Docking",
        "Start Menu Shutdown",
        "Sharing overlay (hand)",
        "Shortcut overlay (small arrow)",
        "Default printer overlay (small tick)",
        "Recycle bin empty",
        "Recycle bin full",
        "Dial-up Network Folder",
        "Desktop",
        "Control Panel",
        "Program Group",
        "Printer",
        "Font Folder",
        "Taskbar",
        "Audio CD",
        "Novel Tree",
        "?",
        "IE favorites",
        "Start Menu Logoff",
        "Search Folder",
        "?",
        "Lock",
        "Hibernate",
    };
    return names;
}

} // namespace vellum
