// Opening a large DLL in the window against `vellum -Decompile` of the same file, in one run.
//
// The window is started offscreen once, as a user has it open; each run of "open_window" opens the
// DLL as File > Open does (decompile into the data folder's work folder, load the manifest, fill
// the tree) and stops when the tree is filled. "decompile_command" runs the command-line program
// on the same file into a new folder, its section dumps going to /dev/null. Neither deletes an
// earlier project while timed. The program ends
// with the ratio of the fastest runs; the window should stay within 1.2 times the decompile.
//
// usage: open_window_bench [FILE] [benchmark options]
// FILE defaults to Wine's shell32.dll when Wine is installed, else VELLUM_LARGE_DLL.
#include "FastestRunReporter.h"
#include "application/VellumApp.h"
#include "cli/CommandLine.h"
#include "common/Prompter.h"
#include "document/MainWindow.h"
#include "document/ProjectDocument.h"
#include "document/ResourceTreeWidget.h"
#include "document/ResourceView.h"
#include "operations/Operations.h"
#include "platform/DataFolder.h"

#include <QApplication>
#include <QSettings>
#include <algorithm>
#include <benchmark/benchmark.h>
#include <cstdio>
#include <cstdlib>
#include <fcntl.h>
#include <filesystem>
#include <memory>
#include <spawn.h>
#include <string>
#include <sys/wait.h>
#include <vector>

extern char** environ;

namespace {

namespace fs = std::filesystem;

std::string g_file;
fs::path g_scratch;

// The window program with its own settings file and data folder, answering every question with
// its default button.
struct WindowUnderTest {
    vellum::ConsolePrompter prompter;
    std::unique_ptr<vellum::gui::VellumApp> app;
    std::string dataFolder;

    bool Start() {
        QSettings::setPath(QSettings::NativeFormat, QSettings::UserScope,
                           QString::fromStdString((g_scratch / "settings").string()));
        if (FAILED(vellum::PrepareDataFolder(vellum::ExecutableFolder(), &dataFolder)))
            return false;
        app = std::make_unique<vellum::gui::VellumApp>(prompter);
        app->UseDataFolder(dataFolder);
        return app->Start(vellum::CommandLine{});
    }
    // Each run gets a data folder of its own, so that no run first deletes the project of the
    // run before, which the decompile side does not do either.
    bool UseFreshDataFolder(int run) {
        fs::path folder = g_scratch / ("data" + std::to_string(run));
        setenv("VELLUM_DATA_DIR", folder.c_str(), 1);
        if (FAILED(vellum::PrepareDataFolder(vellum::ExecutableFolder(), &dataFolder)))
            return false;
        app->UseDataFolder(dataFolder);
        return true;
    }
    int TypeItems() { return app->Window().View()->Tree()->topLevelItemCount(); }
};

void OpenWindow(benchmark::State& state) {
    WindowUnderTest window;
    if (!window.Start()) {
        state.SkipWithError("the window did not start");
        return;
    }
    int run = 0;
    for (auto _ : state) {
        state.PauseTiming();
        bool prepared = window.UseFreshDataFolder(++run);
        state.ResumeTiming();
        if (!prepared || !window.app->Document().Open(g_file) || window.TypeItems() == 0) {
            state.SkipWithError("opening the file failed or filled no tree");
            return;
        }
    }
}

// Runs vellum -Decompile as a separate process, standard output to /dev/null.
int RunDecompile(const std::string& output) {
    std::vector<std::string> args = {VELLUM_EXECUTABLE, "-Decompile", g_file, "-Output:" + output};
    std::vector<char*> argv;
    for (std::string& a : args)
        argv.push_back(a.data());
    argv.push_back(nullptr);
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, 1, "/dev/null", O_WRONLY, 0);
    pid_t pid = 0;
    int status = -1;
    if (posix_spawn(&pid, argv[0], &actions, nullptr, argv.data(), environ) == 0)
        waitpid(pid, &status, 0);
    posix_spawn_file_actions_destroy(&actions);
    return status;
}

void DecompileCommand(benchmark::State& state) {
    int run = 0;
    for (auto _ : state) {
        fs::path output = g_scratch / ("decompiled" + std::to_string(++run));
        if (RunDecompile(output.string()) != 0) {
            state.SkipWithError("vellum -Decompile failed");
            return;
        }
    }
}

// The decompile the window runs, in this process, for telling the window's own share apart.
void DecompileInProcess(benchmark::State& state) {
    vellum::ConsolePrompter prompter;
    int run = 0;
    for (auto _ : state) {
        vellum::DecompileRequest request;
        request.source = g_file;
        request.folder = (g_scratch / ("inprocess" + std::to_string(++run))).string() + "/";
        request.textOutput = nullptr;
        request.dataFolder = (g_scratch / "data").string() + "/";
        std::string project;
        if (FAILED(vellum::DecompileFile(request, prompter, &project))) {
            state.SkipWithError("DecompileFile failed");
            return;
        }
    }
}

// Both sides write a few thousand files. On a disk, file creation among inodes freed moments
// before (ext4 without a journal) can cost seconds and swamps both; memory (/dev/shm) times the
// program. $TMPDIR, when set, wins.
fs::path ScratchParent() {
    if (!std::getenv("TMPDIR") && fs::is_directory("/dev/shm"))
        return "/dev/shm";
    return fs::temp_directory_path();
}

std::string DefaultFile() {
    for (const char* candidate : {"/usr/lib/x86_64-linux-gnu/wine/x86_64-windows/shell32.dll",
                                  "/usr/lib/x86_64-linux-gnu/wine/i386-windows/shell32.dll",
                                  "/usr/lib/i386-linux-gnu/wine/i386-windows/shell32.dll",
                                  "/usr/lib/wine/i386-windows/shell32.dll"})
        if (fs::exists(candidate))
            return candidate;
    const char* large = std::getenv("VELLUM_LARGE_DLL");
    return large ? large : "";
}

} // namespace

int main(int argc, char** argv) {
    setenv("QT_QPA_PLATFORM", "offscreen", 0);
    benchmark::Initialize(&argc, argv);
    g_file = argc > 1 ? argv[1] : DefaultFile();
    if (g_file.empty()) {
        std::printf("open_window_bench: skipped, no file to open (give one, install Wine, or set "
                    "VELLUM_LARGE_DLL)\n");
        return 0;
    }
    if (!fs::exists(g_file)) {
        std::fprintf(stderr, "open_window_bench: %s does not exist\n", g_file.c_str());
        return 1;
    }
    g_scratch = ScratchParent() / ("open_window_bench-" + std::to_string(getpid()));
    fs::create_directories(g_scratch);
    setenv("VELLUM_DATA_DIR", (g_scratch / "data").c_str(), 1);
    QApplication qt(argc, argv);

    std::printf("file: %s (%ju bytes); projects written to %s\n", g_file.c_str(),
                std::uintmax_t(fs::file_size(g_file)), g_scratch.parent_path().c_str());
    for (auto [name, function] : {std::pair{"decompile_command", &DecompileCommand},
                                  std::pair{"decompile_in_process", &DecompileInProcess},
                                  std::pair{"open_window", &OpenWindow}})
        benchmark::RegisterBenchmark(name, function)
            ->Unit(benchmark::kMillisecond)
            ->UseRealTime()
            ->Iterations(1)
            ->Repetitions(7)
            ->ReportAggregatesOnly(true)
            ->ComputeStatistics("min", [](const std::vector<double>& v) {
                return *std::min_element(v.begin(), v.end());
            });
    FastestRunReporter reporter;
    benchmark::RunSpecifiedBenchmarks(&reporter);
    double decompile = reporter.Fastest("decompile_command");
    double window = reporter.Fastest("open_window");
    if (decompile > 0 && window > 0)
        std::printf("open in the window / vellum -Decompile (fastest runs): %.0f ms / %.0f ms = "
                    "%.2f (target: at most 1.20)\n",
                    window, decompile, window / decompile);
    fs::remove_all(g_scratch);
    benchmark::Shutdown();
    return 0;
}
