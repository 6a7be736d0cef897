// The menu pane: the menu resource built as the window's menu bar, with its first drop-down
// opened when the pane is shown and again on a click in the pane. Items only show; choosing one
// does nothing.
#pragma once

#include "formats/MenuTemplate.h"
#include "views/TemplatePane.h"

#include <optional>

class QMenu;
class QMenuBar;

namespace vellum::gui {

class MenuView : public TemplatePane {
    Q_OBJECT
public:
    explicit MenuView(QWidget* parent = nullptr);

    // Shows the menu template in the file; a damaged one as a line saying why.
    void Show(const std::string& path, Project* project, XmlNode* fileNode);
    // Opens the first drop-down under its title; false when the menu has none.
    bool OpenFirstMenu();

    // The menu bar built from the template; null while no menu is shown.
    QMenuBar* MenuBar() { return bar_; }
    // The drop-down of the first title that has one; null when there is none.
    QMenu* FirstMenu() const;
    const std::optional<MenuTemplate>& Template() const { return menu_; }

protected:
    bool AddToScript(ResourceScript& script, const NameOrOrdinal& name,
                     std::uint16_t language) const override;
    void showEvent(QShowEvent* event) override;
    void hideEvent(QHideEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;

private:
    void Clear();

    QWidget* content_;
    QMenuBar* bar_ = nullptr;
    std::optional<MenuTemplate> menu_;
};

// Fills a menu bar with the template's top-level items and their drop-downs.
void BuildMenuBar(const MenuTemplate& menu, QMenuBar* bar);

} // namespace vellum::gui
