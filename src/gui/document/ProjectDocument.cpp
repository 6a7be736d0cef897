// Opening, saving and closing the project document.
#include "document/ProjectDocument.h"

#include "application/Settings.h"
#include "application/StartDocument.h"
#include "common/ErrorTrail.h"
#include "common/FileIo.h"
#include "common/Path.h"
#include "common/Strings.h"
#include "common/TrailModules.h"
#include "decompiler/ExeDumper.h"
#include "operations/FailureLog.h"
#include "operations/Operations.h"
#include "operations/ProjectFile.h"
#include "platform/DataFolder.h"

#include <QFileDialog>
#include <filesystem>
#include <fstream>

namespace vellum::gui {

namespace {

constexpr const char* kModule = trail::kDocumentWindow;

bool IsProjectFile(const std::string& path) {
    return EndsWithNoCase(path, ".vellum");
}

bool FileExists(const std::string& path) {
    std::error_code ec;
    return std::filesystem::is_regular_file(path, ec);
}

// The work folder outlives the window: the project in it is opened again at the next start. A
// project left with changes that were never compiled carries a marker file beside its manifest,
// so that it comes back marked modified and the save question still guards it.
void MarkUncompiled(const std::string& folder, bool uncompiled) {
    std::string marker = folder + kUncompiledMarkerFile;
    if (uncompiled) {
        if (!FileExists(marker))
            WriteWholeFile(marker, "", 0);
        return;
    }
    std::error_code ignored;
    std::filesystem::remove(marker, ignored);
}

// The compiled file reached `path`: copied there, or compiled in its place. Declining the copy
// leaves `path` as it was.
bool Delivered(const CompileOutcome& outcome, const std::string& path) {
    std::error_code ec;
    return outcome.copied || EqualsNoCase(outcome.compiledPath, path) ||
           std::filesystem::equivalent(outcome.compiledPath, path, ec);
}

std::string FileDialogSavePath(const std::string& proposed) {
    QString chosen = QFileDialog::getSaveFileName(nullptr, {}, QString::fromStdString(proposed),
                                                  "Resource Files (*.exe *.dll *.icl *.msstyles);;"
                                                  "All Files (*)");
    return chosen.toStdString();
}

} // namespace

ProjectDocument::ProjectDocument(AppServices& app, QObject* parent)
    : QObject(parent), chooseSavePath(FileDialogSavePath), app_(app) {}

ProjectDocument::~ProjectDocument() = default;

void ProjectDocument::SetTree(TreeSink* tree) {
    tree_ = tree;
    if (project_)
        project_->SetTree(tree);
}

void ProjectDocument::Release() {
    emit AboutToRelease();
    project_.reset();
    manifestPath_.clear();
}

bool ProjectDocument::Open(const std::string& path) {
    if (!Load(path))
        return false;
    // The document has no content of its own; the open only proves the executable is readable.
    std::ifstream source(sourcePath_, std::ios::binary);
    if (!source)
        return false;
    SetPathName(path);
    return true;
}

bool ProjectDocument::Load(const std::string& path) {
    bool loaded = LoadQuietly(path);
    emit Loaded();
    return loaded;
}

// The fallbacks load another file in place of the one that failed; only the outermost load tells
// the views.
bool ProjectDocument::LoadQuietly(const std::string& path) {
    bool loaded = LoadFile(path);
    // A freshly decompiled executable holds no changes; a project file may still hold some.
    SetModified(loaded && project_ && IsProjectFile(path) &&
                FileExists(project_->Folder() + kUncompiledMarkerFile));
    return loaded;
}

bool ProjectDocument::LoadFile(const std::string& path) {
    Release();
    if (!IsProjectFile(path)) {
        if (!OpenExecutable(path)) {
            LogFailure(app_.dataFolder, "Open " + path);
            app_.ShowErrorTrail();
            return sourcePath_.empty() || OpenBlankInPlaceOf(path);
        }
        blank_ = false;
    } else {
        projectPath_ = path;
    }
    return LoadProjectFile() || FallBackToSource();
}

bool ProjectDocument::OpenExecutable(const std::string& path) {
    std::string work = WorkFolder(app_.dataFolder);
    GuardedFolderDelete(work, false, app_.dataFolder);
    std::string project;
    if (!Decompile(path, work, &project))
        return false;
    projectPath_ = project;
    return true;
}

bool ProjectDocument::Decompile(const std::string& source, const std::string& folder,
                                std::string* projectPath) const {
    DecompileRequest request;
    request.source = source;
    request.folder = folder;
    request.textOutput = nullptr;
    request.dataFolder = app_.dataFolder;
    return SUCCEEDED(DecompileFile(request, app_.prompter, projectPath));
}

// A failed executable while a project was open: the blank template takes its place, and the
// path that failed becomes the target of the next save, so compiling creates it.
bool ProjectDocument::OpenBlankInPlaceOf(const std::string& failedPath) {
    std::string blank = BlankTemplatePath(app_.dataFolder);
    if (!FileExists(blank)) {
        ReportMissingBlankTemplate(kModule, __LINE__, blank);
        app_.ShowErrorTrail();
        return true;
    }
    sourcePath_.clear();
    bool opened = LoadQuietly(blank);
    sourcePath_ = failedPath;
    blank_ = false;
    return opened;
}

bool ProjectDocument::LoadProjectFile() {
    ProjectFile file;
    HRESULT hr = file.Load(projectPath_);
    if (FAILED(hr)) {
        ReportError(kModule, __LINE__, hr, "Failed to load the project file %s",
                    projectPath_.c_str());
        return false;
    }
    PathParts parts = SplitPath(projectPath_);
    std::string manifest = parts.drive + parts.dir + file.manifest;
    auto project = std::make_unique<Project>(app_.prompter, tree_);
    if (FAILED(project->Load(manifest)))
        return false;
    project_ = std::move(project);
    manifestPath_ = manifest;
    sourcePath_ = file.source;
    return true;
}

// The project could not be loaded: the executable that was open before is opened again.
bool ProjectDocument::FallBackToSource() {
    if (sourcePath_.empty())
        return false;
    std::string previous = sourcePath_;
    sourcePath_.clear();
    return LoadQuietly(previous);
}

bool ProjectDocument::SaveTo(const std::string& path) {
    if (!project_)
        return false;
    project_->Save();
    if (EqualsNoCase(path, BlankTemplatePath(app_.dataFolder)))
        return SaveAs();
    emit AboutToCompile();
    CompileRequest request;
    request.original = path;
    request.executable = sourcePath_;
    request.manifest = manifestPath_;
    request.interactive = true;
    request.trace = nullptr;
    CompileOutcome outcome;
    if (FAILED(CompileProject(request, app_.prompter, &outcome))) {
        LogFailure(app_.dataFolder, "Save " + path);
        app_.ShowErrorTrail();
        return false;
    }
    // Reopening `path` would decompile over the work folder; when the user kept the compiled
    // file from it, the changes stay where they are, still unsaved.
    if (!Delivered(outcome, path))
        return false;
    bool reopened = Load(path);
    SetPathName(path);
    return reopened;
}

std::string ProjectDocument::ProposedSaveName() const {
    if (blank_)
        return "new.dll";
    std::string title(FileNameOf(pathName_));
    std::size_t cut = title.find_first_of(" #%;/\\");
    return cut == std::string::npos ? title : title.substr(0, cut);
}

bool ProjectDocument::SaveAs() {
    std::string proposed = ProposedSaveName();
    std::string path = chooseSavePath ? chooseSavePath(proposed) : std::string();
    bool saved = false;
    if (!path.empty()) {
        blank_ = false;
        saved = SaveTo(path);
    }
    return saved;
}

bool ProjectDocument::HasUnsavedChanges() const {
    return modified_ || (pending_ && pending_->HasPendingEdits());
}

bool ProjectDocument::MaybeSave() {
    if (!HasUnsavedChanges())
        return true;
    std::string name(FileNameOf(pathName_));
    int answer =
        app_.prompter.Ask(Format("Save changes to %s?", name.empty() ? "Untitled" : name.c_str()),
                          "Vellum", MB_YESNOCANCEL | MB_ICONEXCLAMATION);
    return SaveOrDiscard(answer);
}

bool ProjectDocument::SaveOrDiscard(int answer) {
    if (answer == IDYES)
        return SaveCurrent();
    if (answer == IDNO && pending_)
        pending_->DiscardPendingEdits();
    return answer == IDNO;
}

// What File > Save does: compile to the path name, or ask for one when there is none.
bool ProjectDocument::SaveCurrent() {
    if (!project_)
        return true;
    return pathName_.empty() ? SaveAs() : SaveTo(pathName_);
}

void ProjectDocument::SetModified(bool modified) {
    if (project_)
        MarkUncompiled(project_->Folder(), modified);
    if (modified == modified_)
        return;
    modified_ = modified;
    emit ModifiedChanged(modified);
}

void ProjectDocument::Close() {
    if (project_)
        project_->Save();
    Release();
    SetModified(false);
    projectPath_.clear();
    sourcePath_.clear();
    pathName_.clear();
    emit Loaded();
    emit PathNameChanged();
}

bool ProjectDocument::NewBlank() {
    std::string blank = BlankTemplatePath(app_.dataFolder);
    if (!FileExists(blank)) {
        ReportMissingBlankTemplate(kModule, __LINE__, blank);
        app_.ShowErrorTrail();
        return false;
    }
    if (!Open(blank))
        return false;
    MarkBlank();
    return true;
}

void ProjectDocument::NewEmpty() {
    Close();
    blank_ = false;
}

void ProjectDocument::MarkBlank() {
    blank_ = true;
}

void ProjectDocument::SetPathName(const std::string& path) {
    pathName_ = IsProjectFile(path) ? sourcePath_ : path;
    if (!pathName_.empty())
        AddRecentFile(QString::fromStdString(pathName_));
    emit PathNameChanged();
}

} // namespace vellum::gui
