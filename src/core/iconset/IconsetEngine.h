// IconsetEngine: one icon-set operation on the running system. A snapshot collects which icon
// the system shows for each catalogue entry, copies those icons out of the files that hold them
// and builds an icon library; applying loads an iconset (file or zip archive) and writes its
// icon locations to every place the system reads them from.
//
// The engine works through WindowsSystem, so on Linux it sees a Wine prefix.
#pragma once

#include "common/Result.h"
#include "common/XmlDocument.h"
#include "iconset/IconCatalogue.h"
#include "iconset/ProgressSink.h"
#include "platform/WindowsSystem.h"

#include <string>
#include <string_view>
#include <vector>

namespace vellum {

class IconsetEngine {
public:
    // `path`: its folder is the engine's base folder, its file name (without extension) names
    // the icon library ("<name>.icl"). `dataFolder` holds IconConfig.xml and blank.dll.
    // Batch engines skip collecting, extracting and building.
    IconsetEngine(WindowsSystem& system, const std::string& path, const std::string& dataFolder,
                  bool batch);
    IconsetEngine(const IconsetEngine&) = delete;
    IconsetEngine& operator=(const IconsetEngine&) = delete;

    // Creates the base folder and loads the catalogue; a missing catalogue leaves every
    // category empty.
    HRESULT Open();

    const std::string& BaseFolder() const { return baseFolder_; }
    const std::string& LibraryName() const { return libraryName_; }
    IconCatalogue& Catalogue() { return catalogue_; }

    // ----- Snapshot ----------------------------------------------------------------------------

    // ----- Loading and applying ----------------------------------------------------------------

private:
    WindowsSystem& system_;
    std::string baseFolder_;
    std::string libraryName_;
    std::string dataFolder_;
    bool batch_ = false;
    IconCatalogue catalogue_;

    // ----- Snapshot state ----------------------------------------------------------------------

    // ----- Loading and applying state ----------------------------------------------------------
};

} // namespace vellum
