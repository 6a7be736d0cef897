// IconsetEngine: what an icon-set operation on the running system starts from, shared by its two
// sides. IconSnapshot collects which icon the system shows for each catalogue entry, copies those
// icons out of the files that hold them and builds an icon library; IconsetApplier loads an
// iconset (file or zip archive) and writes its icon locations to every place the system reads
// them from. Both work in the engine's base folder, from its icon catalogue.
//
// The engine works through WindowsSystem, so on Linux it sees a Wine prefix.
#pragma once

#include "common/Result.h"
#include "iconset/IconCatalogue.h"
#include "platform/WindowsSystem.h"

#include <string>

namespace vellum {

class IconsetEngine {
public:
    // `path`: its folder is the engine's base folder, its file name (without extension) names
    // the icon library ("<name>.icl"). `dataFolder` holds IconConfig.xml and blank.dll.
    IconsetEngine(WindowsSystem& system, const std::string& path, const std::string& dataFolder);
    IconsetEngine(const IconsetEngine&) = delete;
    IconsetEngine& operator=(const IconsetEngine&) = delete;

    // Creates the base folder and loads the catalogue; a missing catalogue leaves every
    // category empty and returns S_FALSE.
    HRESULT Open();

    WindowsSystem& System() { return system_; }
    const std::string& BaseFolder() const { return baseFolder_; }
    const std::string& LibraryName() const { return libraryName_; }
    const std::string& DataFolder() const { return dataFolder_; }
    IconCatalogue& Catalogue() { return catalogue_; }

private:
    WindowsSystem& system_;
    std::string baseFolder_;
    std::string libraryName_;
    std::string dataFolder_;
    IconCatalogue catalogue_;
};

} // namespace vellum
