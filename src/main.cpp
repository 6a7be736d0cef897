// Entry point: the command line is parsed first; batch modes run on the engine alone and never
// need a display. Without a batch mode the window program starts (when it is built).
#include "cli/BatchDriver.h"
#include "cli/CommandLine.h"
#include "cli/Version.h"
#include "common/Prompter.h"

#ifdef VELLUM_HAVE_GUI
#include "application/VellumApp.h"
#endif

#include <cstdio>
#include <cstdlib>
#include <new>
#include <string>
#include <vector>

#ifdef VELLUM_HAVE_GUI
namespace {

// On X11 and Wayland desktops the window needs a display server; without one Qt would abort the
// process. A platform chosen with QT_QPA_PLATFORM (offscreen, vnc, ...) is left to Qt.
bool DisplayMissing() {
#if defined(__unix__) && !defined(__APPLE__)
    auto set = [](const char* name) {
        const char* value = std::getenv(name);
        return value && *value;
    };
    return !set("DISPLAY") && !set("WAYLAND_DISPLAY") && !set("QT_QPA_PLATFORM");
#else
    return false;
#endif
}

} // namespace
#endif

int main(int argc, char** argv) {
    std::vector<std::string> args(argv + 1, argv + argc);
    vellum::CommandLine info = vellum::ParseCommandLine(args);
    if (info.showHelp) {
        std::fputs(vellum::kUsageText, stdout);
        return vellum::kExitSuccess;
    }
    if (info.showVersion) {
        std::printf("%s\n", vellum::VersionString().c_str());
        return vellum::kExitSuccess;
    }
    if (info.batch || !info.unknownFlags.empty()) {
        vellum::ConsolePrompter prompter;
        try {
            return vellum::RunBatch(info, prompter);
        } catch (const std::bad_alloc&) {
            std::fputs("vellum: there was not enough memory to finish.\n", stderr);
            return vellum::kExitFailure;
        }
    }
#ifdef VELLUM_HAVE_GUI
    if (DisplayMissing()) {
        std::fputs("vellum: no display found (DISPLAY and WAYLAND_DISPLAY are unset), so the "
                   "window cannot open.\nUse the batch options (see vellum --help), or run vellum "
                   "in a desktop session.\n",
                   stderr);
        return vellum::kExitFailure;
    }
    return vellum::gui::RunWindow(argc, argv, info);
#else
    std::fputs(vellum::kUsageText, stdout);
    return vellum::kExitSuccess;
#endif
}
