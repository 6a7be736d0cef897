// Filling the accelerator table.
#include "views/AcceleratorView.h"

#include "formats/AcceleratorText.h"

#include <QHeaderView>
#include <QTableWidget>

namespace vellum::gui {

namespace {

QString KindText(const Accelerator& entry) {
    QString kind = (entry.flags & kAccelVirtKey) ? "Virtual key" : "Character";
    if (entry.flags & kAccelNoInvert)
        kind += ", no highlight";
    return kind;
}

} // namespace

AcceleratorView::AcceleratorView(QWidget* parent) : TemplatePane("AcceleratorView", parent) {
    table_ = new QTableWidget(0, 4);
    table_->setHorizontalHeaderLabels({"Key", "Modifiers", "Command ID", "Kind"});
    table_->setEditTriggers(QAbstractItemView::NoEditTriggers);
    table_->setSelectionBehavior(QAbstractItemView::SelectRows);
    table_->verticalHeader()->hide();
    table_->horizontalHeader()->setStretchLastSection(true);
    SetContent(table_);
}

void AcceleratorView::Show(const std::string& path, Project* project, XmlNode* fileNode) {
    table_->setRowCount(0);
    accelerators_.reset();
    accelerators_ = LoadParsed<AcceleratorTable>(path, project, fileNode, "accelerator table");
    if (!accelerators_)
        return;
    for (const Accelerator& entry : accelerators_->entries) {
        int row = table_->rowCount();
        table_->insertRow(row);
        QStringList cells = {QString::fromStdString(AcceleratorKeyName(entry)),
                             QString::fromStdString(AcceleratorModifiers(entry)),
                             QString::number(entry.command), KindText(entry)};
        for (int column = 0; column < cells.size(); ++column)
            table_->setItem(row, column, new QTableWidgetItem(cells[column]));
    }
    table_->resizeColumnsToContents();
}

bool AcceleratorView::AddToScript(ResourceScript& script, const NameOrOrdinal& name,
                                  std::uint16_t language) const {
    if (!accelerators_)
        return false;
    script.AddAccelerators(name, language, *accelerators_);
    return true;
}

} // namespace vellum::gui
