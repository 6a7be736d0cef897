// The accelerator pane: a read-only table of the keys an accelerator table binds and the command
// each sends.
#pragma once

#include "formats/AcceleratorTable.h"
#include "views/TemplatePane.h"

#include <optional>

class QTableWidget;

namespace vellum::gui {

class AcceleratorView : public TemplatePane {
    Q_OBJECT
public:
    explicit AcceleratorView(QWidget* parent = nullptr);

    // Shows the table in the file; a damaged one as a line saying why.
    void Show(const std::string& path, Project* project, XmlNode* fileNode);
    QTableWidget* Table() { return table_; }

protected:
    bool AddToScript(ResourceScript& script, const NameOrOrdinal& name,
                     std::uint16_t language) const override;

private:
    QTableWidget* table_;
    std::optional<AcceleratorTable> accelerators_;
};

} // namespace vellum::gui
