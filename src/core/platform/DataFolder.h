// The program's writable data folder and the shipped data files it holds (blank.dll, blank.icl,
// IconConfig.xml), plus the small file helpers that go with it.
#pragma once

#include "common/Result.h"

#include <string>

namespace vellum {

// The folder the running executable lies in, ending in a separator.
std::string ExecutableFolder();

// Where the data folder is: $VELLUM_DATA_DIR when set; on Windows the per-user application data
// folder + "Quillon\Vellum"; elsewhere $XDG_DATA_HOME/Quillon/Vellum (default
// ~/.local/share/Quillon/Vellum). Ends in a separator.
std::string DataFolderPath();

// The folder holding the shipped data files: <exe dir>/../share/vellum or, in the build tree,
// <exe dir>/share/vellum. Empty when neither exists.
std::string ShippedDataFolder(const std::string& executableFolder);

// Creates the data folder and copies each shipped file into it when it is missing there. The
// folder's path goes to *dataFolder.
HRESULT PrepareDataFolder(const std::string& executableFolder, std::string* dataFolder);

// Deletes the files directly in `folder` (not its subfolders, not read-only files). The strict
// form refuses any folder outside `dataFolder`; the lenient form refuses an empty path, the root
// and the system folders. A refusal deletes nothing and returns E_FAIL.
HRESULT GuardedFolderDelete(const std::string& folder, bool lenient, const std::string& dataFolder);

// Removes the read-only bit of a file; the other attributes stay.
HRESULT ClearReadOnly(const std::string& path);

} // namespace vellum
