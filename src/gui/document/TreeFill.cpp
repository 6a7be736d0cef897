// Walks the manifest from its root Directory. Elements other than Entry only pass their children
// on; an Entry at the root is a type, an Entry below a type is a resource and ends the descent
// with an item for each of its languages.
#include "document/TreeFill.h"

#include <set>

namespace vellum::gui {

namespace {

class TreeFiller {
public:
    explicit TreeFiller(Project& project) : project_(project) {}

    void Fill(XmlNode* element, std::vector<TreeFillItem>& items, bool underType) {
        for (XmlNode* child : Project::ChildrenOf(element)) {
            std::string label = project_.EntryLabel(child);
            if (label.empty())
                Fill(child, items, underType);
            else if (underType)
                AddResource(child, items);
            else
                items.push_back(TypeItem(child, label));
        }
    }

private:
    // One item per language, so that every language can be shown and edited.
    void AddResource(XmlNode* resourceEntry, std::vector<TreeFillItem>& items) {
        for (XmlNode* language : Project::LanguagesOf(resourceEntry))
            items.push_back({project_.LanguageLabel(language), language, {}});
    }

    TreeFillItem TypeItem(XmlNode* entry, const std::string& label) {
        TreeFillItem item{TypeItemLabel(label), entry, {}};
        if (label == "6")
            AddLanguages(entry, item.children);
        else
            Fill(entry, item.children, true);
        return item;
    }

    // String tables are stored per language, so the tree lists the languages of the blocks.
    void AddLanguages(XmlNode* typeEntry, std::vector<TreeFillItem>& items) {
        std::set<std::string> seen;
        for (XmlNode* block : project_.ResourcesOf(typeEntry))
            for (XmlNode* language : Project::LanguagesOf(block))
                if (seen.insert(project_.Text(language, "ID")).second)
                    items.push_back({project_.Text(language, "ID"), language, {}});
    }

    Project& project_;
};

} // namespace

std::vector<TreeFillItem> BuildTreeItems(Project& project) {
    std::vector<TreeFillItem> items;
    if (XmlNode* root = project.RootDirectory())
        TreeFiller(project).Fill(root, items, false);
    return items;
}

} // namespace vellum::gui
