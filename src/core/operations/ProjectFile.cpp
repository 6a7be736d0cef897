#include "operations/ProjectFile.h"

#include "common/Path.h"
#include "common/XmlDocument.h"

namespace vellum {

HRESULT ProjectFile::Save(const std::string& path) const {
    XmlDocument document;
    HRESULT hr = document.SetPathAttribute("\\ROOT\\PEFILE", "FileName", manifest);
    if (SUCCEEDED(hr))
        hr = document.SetPathAttribute("\\ROOT\\RESFILE", "FileName", source);
    if (SUCCEEDED(hr))
        hr = document.Save(path);
    return hr;
}

HRESULT ProjectFile::Load(const std::string& path) {
    XmlDocument document;
    HRESULT hr = document.Load(path);
    if (FAILED(hr))
        return hr;
    std::string value;
    if (SUCCEEDED(document.GetAttrText("\\ROOT\\PEFILE", "FileName", &value)))
        manifest = value;
    if (SUCCEEDED(document.GetAttrText("\\ROOT\\RESFILE", "FileName", &value)))
        source = value;
    return S_OK;
}

std::string ProjectFilePath(const std::string& folder, const std::string& sourcePath) {
    return WithTrailingSeparator(folder) + SplitPath(sourcePath).fname + ".vellum";
}

} // namespace vellum
