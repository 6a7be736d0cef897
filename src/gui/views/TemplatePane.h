// What the dialog, menu and accelerator panes share: a toolbar band with "View Hex" and "View as
// Script", a line that says why a resource cannot be shown, and the resource's file, manifest
// entry and name. The panes only show; they never change the file.
#pragma once

#include "project/Project.h"
#include "script/ResourceScript.h"

#include <QWidget>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

class QLabel;
class QToolBar;
class QVBoxLayout;

namespace vellum::gui {

class TemplatePane : public QWidget {
    Q_OBJECT
public:
    // The toolbar keeps the top 30 pixels; a 3-pixel band separates it from the content.
    static constexpr int kToolbarHeight = 30;
    static constexpr int kContentTop = 33;

    const std::string& Path() const { return path_; }
    // The line shown instead of the content when the resource cannot be read; hidden otherwise.
    QLabel* Message() { return message_; }
    // The resource as script text; empty when the template cannot be read.
    QString ScriptText() const;

signals:
    // The user wants the same file in the hex view.
    void HexRequested(const QString& path);
    // The user wants to read the resource as script text.
    void ScriptRequested(const QString& script);

protected:
    TemplatePane(const QString& objectName, QWidget* parent);

    // Remembers the resource and reads its file whole; false, with the message shown, when the
    // file cannot be read.
    bool Load(const std::string& path, Project* project, XmlNode* fileNode,
              std::vector<std::uint8_t>& bytes);
    // Load, then T::Parse; nothing, with a message naming `what` ("dialog template"), when the
    // file cannot be read or its bytes do not parse.
    template <class T>
    std::optional<T> LoadParsed(const std::string& path, Project* project, XmlNode* fileNode,
                                const QString& what) {
        std::vector<std::uint8_t> bytes;
        if (!Load(path, project, fileNode, bytes))
            return std::nullopt;
        std::optional<T> parsed = T::Parse(ByteView(bytes.data(), bytes.size()));
        if (!parsed)
            ShowDamaged(what, bytes.size());
        return parsed;
    }
    void ShowMessage(const QString& text);
    void ShowDamaged(const QString& what, std::size_t size);
    // The widget below the band; the pane owns it.
    void SetContent(QWidget* content);
    // Adds the parsed resource to the script; false when there is nothing parsed to add.
    virtual bool AddToScript(ResourceScript& script, const NameOrOrdinal& name,
                             std::uint16_t language) const = 0;

    QToolBar* Toolbar() { return toolbar_; }
    Project* GetProject() const { return project_; }

private:
    void RequestScript();

    QToolBar* toolbar_;
    QLabel* message_;
    QVBoxLayout* layout_;
    QWidget* content_ = nullptr;
    std::string path_;
    Project* project_ = nullptr;
    XmlNode* fileNode_ = nullptr;
};

// The name a resource entry gives its resource, as the compiler writes it: the Name, less the
// ".BMP" the decompiler added to a bitmap name that had none (StripExt); empty for an ID entry.
std::u16string EntryResourceName(XmlNode* resourceEntry);
// The name and language of the resource whose File node is `fileNode`, from its manifest entries:
// the resource entry's Name, else its ID; the language entry's ID.
NameOrOrdinal ResourceNameOf(XmlNode* fileNode);
std::uint16_t ResourceLanguageOf(XmlNode* fileNode);

} // namespace vellum::gui
