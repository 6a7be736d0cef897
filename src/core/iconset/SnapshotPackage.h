// Putting a finished snapshot where the user asked for it: results are built in a work folder and
// then placed, so a half-written file never appears under a final name and a file that is already
// there is never replaced. Used by the snapshot dialog's job and by the -SnapShot batch mode.
#pragma once

#include "common/Result.h"
#include "iconset/ProgressSink.h"

#include <string>
#include <vector>

namespace vellum {

// Copies `source` beside `target` and links the copy in under `target`; fails with
// ERROR_FILE_EXISTS when `target` exists (it is left as it was). The source stays.
HRESULT PlaceNewFile(const std::string& source, const std::string& target);

// Zips `files` into a new archive at `target`, each entry under the file's bare name at the
// default compression level, showing "Zipping (<name>)" for each. The archive is written in
// `workFolder` and placed with PlaceNewFile. Zip failures are reported to the error trail.
HRESULT ZipSnapshotFiles(const std::vector<std::string>& files, const std::string& workFolder,
                         const std::string& target, ProgressSink& progress);

} // namespace vellum
