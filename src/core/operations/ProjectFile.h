// The project file "<name>.vellum": which manifest and which source executable make a project.
//
//   <ROOT>
//      <PEFILE FileName="pe.xml"/>      the manifest, relative to the project file's folder
//      <RESFILE FileName="C:\x.dll"/>   the source executable as it was given
//   </ROOT>
#pragma once

#include "common/Result.h"

#include <string>

namespace vellum {

struct ProjectFile {
    std::string manifest = "pe.xml";
    std::string source;

    HRESULT Save(const std::string& path) const;
    HRESULT Load(const std::string& path);
};

// folder + the source's base name + ".vellum".
std::string ProjectFilePath(const std::string& folder, const std::string& sourcePath);

} // namespace vellum
