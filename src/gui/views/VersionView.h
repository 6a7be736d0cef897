// The version pane: a form for the fixed information of a version resource (file and product
// version as four numbers, flags in hex, OS, type and subtype by their winver.h names), a grid of
// the first string table's strings and a grid of the translations. Saving writes the block back
// with everything the form does not show (further string tables, other Var nodes, padding) as it
// was. A block the reader refuses is shown read-only and never written.
#pragma once

#include "application/AppServices.h"
#include "document/EditableView.h"
#include "formats/TemplateFields.h"
#include "formats/VersionInfo.h"
#include "project/Project.h"

#include <QWidget>
#include <array>
#include <optional>
#include <string>
#include <vector>

class QComboBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QSpinBox;
class QTableWidget;

namespace vellum::gui {

class VersionView : public QWidget, public EditableView {
    Q_OBJECT
public:
    VersionView(AppServices& app, QWidget* parent = nullptr);

    // Shows the version block in the resource file `path`.
    void ShowVersion(const std::string& path, Project* project, XmlNode* fileNode);
    void Close();

    // Writes the block back when the user changed something; false when it could not be
    // written (reported).
    bool SavePendingEdits() override;
    bool HasPendingEdits() const override { return modified_; }
    void DiscardPendingEdits() override;

    // The Edit commands act on the field that has the focus; Undo takes every edit back to the
    // file's contents.
    void Copy() override;
    void Cut() override;
    void Paste() override;
    void Undo() override { DiscardPendingEdits(); }
    bool CanCopy() const override;
    bool CanCut() const override { return CanCopy() && !readOnly_; }
    bool CanPaste() const override { return CanCopy() && !readOnly_; }
    bool CanUndo() const override { return modified_; }

    // The block as the form and grids have it; nothing for a block that cannot be read or a
    // value the form cannot take (a reason goes to the status line).
    std::optional<VersionInfo> Edited() const;
    // The block as resource script, and the file name offered for it (named as vellum -Script
    // names it).
    std::string ScriptText() const;
    std::string ScriptFileName() const;

    std::array<QSpinBox*, 4> FileVersion() const { return fileVersion_; }
    std::array<QSpinBox*, 4> ProductVersion() const { return productVersion_; }
    QLineEdit* FlagsMask() const { return flagsMask_; }
    QLineEdit* Flags() const { return flags_; }
    QComboBox* FileOs() const { return fileOs_; }
    QComboBox* FileType() const { return fileType_; }
    QComboBox* FileSubtype() const { return fileSubtype_; }
    QTableWidget* Strings() const { return strings_; }
    QTableWidget* Translations() const { return translations_; }
    QLabel* Status() const { return status_; }
    QPushButton* ViewScriptButton() const { return viewScript_; }
    bool ReadOnly() const { return readOnly_; }

signals:
    // The pane wrote the resource's file.
    void FileChanged();
    // Undo's enabling may have changed.
    void CommandsChanged();
    // "View as Script": the block as resource-script text, and a file name to offer for it.
    void ScriptRequested(const std::string& text, const std::string& suggestedName);

private:
    QWidget* BuildForm();
    QWidget* BuildGrids();
    void Load();
    void Fill();
    void FillSubtypes(std::uint32_t type, std::uint32_t subtype);
    void SetReadOnly(bool readOnly, const std::string& why);
    void MarkModified();
    // The text field with the focus: a line edit, a spin box's or a grid cell's editor.
    QLineEdit* FocusedField() const;

    AppServices& app_;
    std::array<QSpinBox*, 4> fileVersion_{};
    std::array<QSpinBox*, 4> productVersion_{};
    QLineEdit* flagsMask_;
    QLineEdit* flags_;
    QComboBox* fileOs_;
    QComboBox* fileType_;
    QComboBox* fileSubtype_;
    QTableWidget* strings_;
    QTableWidget* translations_;
    QLabel* status_;
    QPushButton* viewScript_;
    std::string path_;
    std::optional<VersionInfo> info_; // as read
    NameOrOrdinal name_ = NameOrOrdinal::Ordinal(1);
    std::uint16_t language_ = 0;
    bool readOnly_ = false;
    bool modified_ = false;
    bool filling_ = false;
};

} // namespace vellum::gui
