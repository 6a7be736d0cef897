// Filling the header table from the .hdr document.
#include "views/HeaderTableView.h"

#include <QHeaderView>
#include <QTableWidget>
#include <QVBoxLayout>
#include <algorithm>

namespace vellum::gui {

namespace {

constexpr int kColumnPadding = 10;
constexpr int kMaxCellText = 50;

std::string Attribute(const XmlNode* node, const std::string& name) {
    return xml::AttributeText(node, name).value_or(std::string());
}

QString Cell(const std::string& text) {
    return QString::fromStdString(text.substr(0, kMaxCellText));
}

} // namespace

int ParseHeaderCount(const std::string& text) {
    int total = 0;
    for (char c : text)
        total = total * 10 + (c - '0');
    return total;
}

HeaderTableView::HeaderTableView(QWidget* parent) : QWidget(parent) {
    setObjectName("HeaderTableView");
    setAutoFillBackground(true);
    QPalette silver = palette();
    silver.setColor(QPalette::Window, QColor(0xC0, 0xC0, 0xC0));
    setPalette(silver);
    table_ = new QTableWidget(this);
    table_->setShowGrid(true);
    table_->setSelectionBehavior(QAbstractItemView::SelectRows);
    table_->setEditTriggers(QAbstractItemView::NoEditTriggers);
    table_->verticalHeader()->hide();
    table_->horizontalHeader()->setDefaultAlignment(Qt::AlignLeft | Qt::AlignVCenter);
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(table_);
}

void HeaderTableView::Show(const XmlDocument& document) {
    table_->clear();
    table_->setRowCount(0);
    table_->setColumnCount(0);
    XmlNode* root = document.Find("Root");
    XmlNode* header = xml::Child(root, "HEADER");
    if (!header)
        return;
    int count = ParseHeaderCount(Attribute(header, "COUNT"));
    if (count <= 0)
        return;
    table_->setColumnCount(count);
    QStringList headings;
    for (int i = 1; i <= count; ++i)
        headings << Cell(Attribute(header, "C" + std::to_string(i)));
    table_->setHorizontalHeaderLabels(headings);
    // Every element after HEADER is a row, whatever its name.
    std::vector<XmlNode*> elements = xml::Children(root);
    auto row = std::find(elements.begin(), elements.end(), header);
    for (++row; row != elements.end(); ++row)
        AddRow(*row, count);
    FitColumns();
}

void HeaderTableView::AddRow(const XmlNode* row, int count) {
    int at = table_->rowCount();
    table_->insertRow(at);
    for (int i = 1; i <= count; ++i) {
        std::string value = Attribute(row, "C" + std::to_string(i));
        table_->setItem(at, i - 1, new QTableWidgetItem(Cell(value)));
    }
}

// Every column but the last fits its contents with some room to spare; the last just fits.
void HeaderTableView::FitColumns() {
    table_->resizeColumnsToContents();
    for (int i = 0; i + 1 < table_->columnCount(); ++i)
        table_->setColumnWidth(i, table_->columnWidth(i) + kColumnPadding);
}

} // namespace vellum::gui
