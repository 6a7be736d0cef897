// Shows a header table (.hdr): <ROOT><HEADER COUNT="n" C1=".." .. Cn=".."/><ROW C1=".." ../>..
// </ROOT>. HEADER names the columns; every element after it at the same level is one row.
#pragma once

#include "common/XmlDocument.h"

#include <QWidget>

class QTableWidget;

namespace vellum::gui {

class HeaderTableView : public QWidget {
    Q_OBJECT
public:
    explicit HeaderTableView(QWidget* parent = nullptr);

    // Replaces the table with the document's; without a HEADER the table stays empty.
    void Show(const XmlDocument& table);
    QTableWidget* Table() { return table_; }

private:
    void AddRow(const XmlNode* row, int count);
    void FitColumns();

    QTableWidget* table_;
};

// COUNT turned into a number digit by digit, as the tables have always been read.
int ParseHeaderCount(const std::string& text);

} // namespace vellum::gui
