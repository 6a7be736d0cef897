// IconsetEngine: the base folder, the library name and the catalogue both sides work from.
#include "iconset/IconsetEngine.h"

#include "common/ErrorTrail.h"
#include "common/FileIo.h"
#include "common/Path.h"
#include "common/TrailModules.h"

namespace vellum {

namespace {

constexpr const char* kModule = trail::kIconset;

std::string FolderOf(const std::string& path) {
    PathParts parts = SplitPath(path);
    std::string folder = parts.drive + parts.dir;
    return folder.empty() ? std::string(".") + kPathSeparator : WithTrailingSeparator(folder);
}

} // namespace

IconsetEngine::IconsetEngine(WindowsSystem& system, const std::string& path,
                             const std::string& dataFolder)
    : system_(system), baseFolder_(FolderOf(path)), libraryName_(SplitPath(path).fname + ".icl"),
      dataFolder_(dataFolder) {}

HRESULT IconsetEngine::Open() {
    HRESULT hr = CreateFolders(baseFolder_);
    if (FAILED(hr)) {
        ReportError(kModule, __LINE__, hr, "Failed to create directory\n\n%s\n\n",
                    baseFolder_.c_str());
        return hr;
    }
    // Without a catalogue every category is empty; the caller decides whether that matters.
    return SUCCEEDED(catalogue_.Load(JoinPath(dataFolder_, "IconConfig.xml"))) ? S_OK : S_FALSE;
}

} // namespace vellum
