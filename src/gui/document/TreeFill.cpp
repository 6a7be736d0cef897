// Walks the manifest from its root Directory. Elements other than Entry only pass their children
// on; an Entry at the root is a type, an Entry below a type is a resource and ends the descent.
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
                items.push_back(
                    {project_.ResourceLabel(child), Project::FirstLanguageOf(child), {}});
            else
                items.push_back(TypeItem(child, label));
        }
    }

private:
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
        for (XmlNode* block : project_.ResourcesOf(typeEntry)) {
            XmlNode* language = Project::FirstLanguageOf(block);
            std::string id = project_.Text(language, "ID");
            if (language && seen.insert(id).second)
                items.push_back({id, language, {}});
        }
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
