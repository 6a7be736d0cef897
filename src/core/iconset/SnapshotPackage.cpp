// Placing snapshot results and zipping them.
#include "iconset/SnapshotPackage.h"

#include "common/ErrorTrail.h"
#include "common/FileIo.h"
#include "common/Path.h"
#include "common/Strings.h"
#include "common/TrailModules.h"
#include "iconset/ZipArchiveFile.h"

#include <filesystem>

namespace vellum {

namespace {

namespace fs = std::filesystem;

constexpr const char* kModule = trail::kIconset;

HRESULT FromErrorCode(const std::error_code& ec) {
    return ec.category() == std::generic_category() || ec.category() == std::system_category()
               ? HResultFromErrno(ec.value())
               : E_FAIL;
}

// A hard link refuses an existing name atomically; where the file system has no hard links the
// rename after a check is the best that can be done.
HRESULT LinkIntoPlace(const std::string& temporary, const std::string& target) {
    std::error_code ec;
    fs::create_hard_link(temporary, target, ec);
    if (!ec)
        return S_OK;
    if (fs::exists(target, ec))
        return HRESULT_FROM_WIN32(ERROR_FILE_EXISTS);
    ec.clear();
    fs::rename(temporary, target, ec);
    return ec ? FromErrorCode(ec) : S_OK;
}

} // namespace

HRESULT PlaceNewFile(const std::string& source, const std::string& target) {
    std::error_code ec;
    if (fs::exists(target, ec)) {
        ReportError(kModule, __LINE__, HRESULT_FROM_WIN32(ERROR_FILE_EXISTS), "%s already exists",
                    target.c_str());
        return HRESULT_FROM_WIN32(ERROR_FILE_EXISTS);
    }
    std::string temporary = TemporaryNameBeside(target);
    fs::copy_file(source, temporary, ec);
    HRESULT hr = ec ? FromErrorCode(ec) : LinkIntoPlace(temporary, target);
    fs::remove(temporary, ec);
    if (FAILED(hr))
        ReportError(kModule, __LINE__, hr, "Failed to write %s", target.c_str());
    return hr;
}

HRESULT ZipSnapshotFiles(const std::vector<std::string>& files, const std::string& workFolder,
                         const std::string& target, ProgressSink& progress) {
    std::string archive = JoinPath(workFolder, "snapshot.zip");
    std::error_code ec;
    fs::remove(archive, ec); // left by an earlier run that failed
    try {
        ZipArchiveFile zip;
        zip.Open(archive, ZipArchiveFile::Mode::Create);
        for (const std::string& file : files) {
            if (progress.CancelRequested())
                break;
            progress.SetStatus(Format("Zipping (%s)", std::string(FileNameOf(file)).c_str()));
            zip.AddFile(file);
        }
        zip.Close();
    } catch (const ZipError& e) {
        int code = e.kind == ZipError::Kind::Zlib ? e.zlibCode : int(e.Result());
        ReportError(kModule, __LINE__, E_FAIL, "Zip archive error %d: %s", code, e.what());
        fs::remove(archive, ec);
        return E_FAIL;
    }
    HRESULT hr = progress.CancelRequested() ? E_ABORT : PlaceNewFile(archive, target);
    fs::remove(archive, ec);
    return hr;
}

} // namespace vellum
