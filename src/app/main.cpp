// Entry point: the command line is parsed first; batch modes run on the engine alone and never
// need a display. Without a batch mode the window program starts (when it is built).
#include "app/BatchDriver.h"
#include "app/CommandLine.h"
#include "app/Version.h"
#include "common/Prompter.h"

#ifdef VELLUM_HAVE_GUI
#include "app/VellumApp.h"
#endif

#include <cstdio>
#include <string>
#include <vector>

int main(int argc, char** argv) {
    std::vector<std::string> args(argv + 1, argv + argc);
    vellum::CVelCommandLineInfo info = vellum::ParseCommandLine(args);
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
        return vellum::RunBatch(info, prompter);
    }
#ifdef VELLUM_HAVE_GUI
    return vellum::gui::RunWindow(argc, argv, info);
#else
    std::fputs(vellum::kUsageText, stdout);
    return vellum::kExitSuccess;
#endif
}
