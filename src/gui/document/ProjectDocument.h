// The open project: an executable decompiled into the shared work folder, its project file and
// its manifest. Saving compiles the work folder back and puts the result where the user wants it.
#pragma once

#include "application/AppServices.h"
#include "document/PendingEdits.h"
#include "project/Project.h"

#include <QObject>
#include <functional>
#include <memory>
#include <string>

namespace vellum::gui {

class ProjectDocument : public QObject {
    Q_OBJECT
public:
    explicit ProjectDocument(AppServices& app, QObject* parent = nullptr);
    ~ProjectDocument() override;

    // The full open a user asks for: load, confirm the source file is readable, set the path
    // name. False when nothing could be opened.
    bool Open(const std::string& path);
    // Loads an executable (decompiling it) or a project file, falling back as described in the
    // comments of the implementation. Emits Loaded once, on every outcome.
    bool Load(const std::string& path);
    // Takes `source` apart into `folder` without output on stdout, as opening and importing do;
    // the project file's path goes to *projectPath. Failures stay in the error trail.
    bool Decompile(const std::string& source, const std::string& folder,
                   std::string* projectPath) const;
    // Saves the manifest and compiles the project to `path`; the document then shows the
    // compiled file.
    bool SaveTo(const std::string& path);
    bool SaveAs();
    // Saves the manifest and forgets the project.
    void Close();
    // The blank template as a new, unnamed document.
    bool NewBlank();
    // Asks "Save changes to NAME?" when the project or a viewer holds unsaved changes, before
    // something replaces the project (open, new, exit). True when the caller may go on.
    bool MaybeSave();
    // Carries out an answer to a save question: Yes saves (false when the save fails or is
    // cancelled), No discards the viewers' pending edits, Cancel gives false.
    bool SaveOrDiscard(int answer);
    // An empty document: nothing loaded.
    void NewEmpty();
    void MarkBlank();

    // A ".vellum" path is shown as the executable it was made from.
    void SetPathName(const std::string& path);
    const std::string& PathName() const { return pathName_; }
    const std::string& SourcePath() const { return sourcePath_; }
    const std::string& ProjectPath() const { return projectPath_; }
    bool IsBlank() const { return blank_; }
    bool CanSave() const { return !projectPath_.empty(); }
    // Every change to the project (manifest edits, files written by the viewers) marks the
    // document modified; loading and saving clear it.
    void SetModified(bool modified);
    bool IsModified() const { return modified_; }
    void SetPendingEdits(PendingEdits* pending) { pending_ = pending; }
    // Null while nothing is loaded.
    Project* GetProject() { return project_.get(); }
    void SetTree(TreeSink* tree);

    // Asks where Save As goes, given the proposed name; empty cancels. A file dialog by default.
    std::function<std::string(const std::string& proposed)> chooseSavePath;

signals:
    // The project is about to be dropped: whatever holds its manifest nodes lets go of them, and
    // viewers save their pending edits into its folder while it is still the project's.
    void AboutToRelease();
    // The project was (re)loaded or dropped: the view rebuilds its tree.
    void Loaded();
    // A compile is about to read the project folder: viewers write their pending edits.
    void AboutToCompile();
    void PathNameChanged();
    void ModifiedChanged(bool modified);

private:
    bool LoadQuietly(const std::string& path);
    bool LoadFile(const std::string& path);
    bool OpenExecutable(const std::string& path);
    bool LoadProjectFile();
    bool FallBackToSource();
    bool OpenBlankInPlaceOf(const std::string& failedPath);
    void Release();
    std::string ProposedSaveName() const;
    bool SaveCurrent();
    bool HasUnsavedChanges() const;

    AppServices& app_;
    TreeSink* tree_ = nullptr;
    PendingEdits* pending_ = nullptr;
    std::unique_ptr<Project> project_;
    std::string manifestPath_;
    std::string sourcePath_;
    std::string projectPath_;
    std::string pathName_;
    bool blank_ = false;
    bool modified_ = false;
};

} // namespace vellum::gui
