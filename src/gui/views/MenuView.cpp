// Building Qt menus from menu templates.
#include "views/MenuView.h"

#include "formats/MenuItemLook.h"

#include <QActionGroup>
#include <QLabel>
#include <QMenu>
#include <QMenuBar>
#include <QMouseEvent>
#include <QTimer>
#include <QVBoxLayout>

namespace vellum::gui {

namespace {

// The text a menu shows: the label, then the shortcut after a tab, which Qt's menus draw
// right-aligned as Windows does. Items drawn by their program have no text of their own.
QString ActionText(const MenuItemLook& look) {
    QString text = QString::fromStdU16String(look.text);
    if (look.ownerDraw && text.isEmpty())
        text = "(owner-drawn item)";
    else if (look.bitmap && text.isEmpty())
        text = "(bitmap item)";
    if (!look.shortcut.empty())
        text += '\t' + QString::fromStdU16String(look.shortcut);
    return text;
}

// Qt has no look for an item that cannot be chosen yet is not gray: disabled ones are gray too.
// MF_MENUBREAK columns and MFT_RIGHTJUSTIFY titles have no Qt counterpart and are drawn plainly.
void Style(QAction* action, const MenuItemLook& look, QObject* owner) {
    action->setEnabled(!look.disabled);
    if (look.checked || look.radio) {
        action->setCheckable(true);
        action->setChecked(look.checked);
    }
    if (look.radio) {
        // An exclusive group is what makes Qt draw a bullet instead of a tick.
        auto* group = new QActionGroup(owner);
        group->addAction(action);
    }
    if (look.isDefault) {
        QFont bold = action->font();
        bold.setBold(true);
        action->setFont(bold);
    }
}

// Adds the items to a menu bar or a drop-down, each drop-down with its own items.
template <class Target>
void AddItems(const MenuTemplate& menu, const std::vector<MenuItem>& items, Target* target) {
    for (const MenuItem& item : items) {
        MenuItemLook look = DescribeMenuItem(menu, item);
        if (look.separator) {
            target->addSeparator();
            continue;
        }
        QAction* action;
        if (look.popup) {
            QMenu* sub = target->addMenu(ActionText(look));
            AddItems(menu, item.children, sub);
            action = sub->menuAction();
        } else {
            action = target->addAction(ActionText(look));
        }
        Style(action, look, target);
    }
}

} // namespace

void BuildMenuBar(const MenuTemplate& menu, QMenuBar* bar) {
    AddItems(menu, menu.items, bar);
}

MenuView::MenuView(QWidget* parent) : TemplatePane("MenuView", parent) {
    content_ = new QWidget;
    content_->setLayout(new QVBoxLayout);
    content_->layout()->setContentsMargins(0, 0, 0, 0);
    content_->layout()->setSpacing(0);
    static_cast<QVBoxLayout*>(content_->layout())->addStretch(1);
    SetContent(content_);
}

void MenuView::Clear() {
    delete bar_;
    bar_ = nullptr;
    menu_.reset();
}

void MenuView::Show(const std::string& path, Project* project, XmlNode* fileNode) {
    Clear();
    menu_ = LoadParsed<MenuTemplate>(path, project, fileNode, "menu template");
    if (!menu_)
        return;
    bar_ = new QMenuBar;
    bar_->setNativeMenuBar(false);
    BuildMenuBar(*menu_, bar_);
    static_cast<QVBoxLayout*>(content_->layout())->insertWidget(0, bar_);
    if (isVisible())
        QTimer::singleShot(0, this, &MenuView::OpenFirstMenu);
}

QMenu* MenuView::FirstMenu() const {
    if (!bar_)
        return nullptr;
    for (QAction* action : bar_->actions())
        if (action->menu())
            return action->menu();
    return nullptr;
}

bool MenuView::OpenFirstMenu() {
    QMenu* first = FirstMenu();
    if (!first || !isVisible())
        return false;
    // Through the bar, so that the title is highlighted while its drop-down is open.
    bar_->setActiveAction(first->menuAction());
    return true;
}

void MenuView::showEvent(QShowEvent* event) {
    TemplatePane::showEvent(event);
    QTimer::singleShot(0, this, &MenuView::OpenFirstMenu);
}

void MenuView::hideEvent(QHideEvent* event) {
    if (QMenu* first = FirstMenu())
        first->hide();
    TemplatePane::hideEvent(event);
}

void MenuView::mousePressEvent(QMouseEvent* event) {
    if (!OpenFirstMenu())
        TemplatePane::mousePressEvent(event);
}

bool MenuView::AddToScript(ResourceScript& script, const NameOrOrdinal& name,
                           std::uint16_t language) const {
    if (!menu_)
        return false;
    script.AddMenu(name, language, *menu_);
    return true;
}

} // namespace vellum::gui
