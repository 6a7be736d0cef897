#include "platform/ProcessLauncher.h"

#include "common/ErrorTrail.h"
#include "common/TrailModules.h"

#ifdef _WIN32
#include <windows.h>
#else
#include <cerrno>
#include <csignal>
#include <memory>
#include <spawn.h>
#include <sys/wait.h>
#include <system_error>
#include <thread>

extern char** environ;
#endif

namespace vellum {
namespace {

constexpr const char* kModule = trail::kVellum;

bool IsBlank(char c) {
    return c == ' ' || c == '\t';
}

// The program name: up to the closing quote when it starts with one, else up to the first blank.
// Backslashes are part of the path here, as they are for CommandLineToArgvW.
std::size_t ReadProgramName(std::string_view line, std::size_t pos, std::string* name) {
    if (line[pos] == '"') {
        std::size_t close = line.find('"', pos + 1);
        std::size_t end = close == std::string_view::npos ? line.size() : close;
        name->assign(line.substr(pos + 1, end - pos - 1));
        return close == std::string_view::npos ? line.size() : close + 1;
    }
    std::size_t end = pos;
    while (end < line.size() && !IsBlank(line[end]))
        ++end;
    name->assign(line.substr(pos, end - pos));
    return end;
}

// One argument after the program name, starting at a non-blank character; returns the position
// after it.
std::size_t ReadArgument(std::string_view line, std::size_t pos, std::string* arg) {
    bool quoted = false;
    while (pos < line.size()) {
        std::size_t slashes = 0;
        while (pos < line.size() && line[pos] == '\\') {
            ++slashes;
            ++pos;
        }
        if (pos < line.size() && line[pos] == '"') {
            arg->append(slashes / 2, '\\');
            if (slashes % 2 == 1) {
                arg->push_back('"');
            } else if (quoted && pos + 1 < line.size() && line[pos + 1] == '"') {
                arg->push_back('"'); // "" inside quotes: a literal quote, still quoted
                ++pos;
            } else {
                quoted = !quoted;
            }
            ++pos;
            continue;
        }
        arg->append(slashes, '\\');
        if (pos == line.size() || (IsBlank(line[pos]) && !quoted))
            break;
        arg->push_back(line[pos++]);
    }
    return pos;
}

} // namespace

std::string EditorCommandLine(const std::string& command, const std::string& file,
                              const std::string& arguments) {
    std::string line = "\"" + command + "\" \"" + file + "\"";
    if (!arguments.empty())
        line += " " + arguments;
    return line;
}

std::vector<std::string> SplitCommandLine(std::string_view commandLine) {
    std::vector<std::string> args;
    std::size_t pos = 0;
    while (pos < commandLine.size() && IsBlank(commandLine[pos]))
        ++pos;
    if (pos == commandLine.size())
        return args;
    pos = ReadProgramName(commandLine, pos, &args.emplace_back());
    for (;;) {
        while (pos < commandLine.size() && IsBlank(commandLine[pos]))
            ++pos;
        if (pos == commandLine.size())
            return args;
        pos = ReadArgument(commandLine, pos, &args.emplace_back());
    }
}

#ifdef _WIN32

HRESULT StartDetached(const std::string& commandLine, const std::string& initialFolder) {
    // CreateProcessA may write into the command line, so it gets a copy of its own.
    std::string line = commandLine;
    STARTUPINFOA startup{};
    startup.cb = sizeof(startup);
    PROCESS_INFORMATION process{};
    if (!CreateProcessA(
            nullptr, line.data(), nullptr, nullptr, FALSE, DETACHED_PROCESS | CREATE_NO_WINDOW,
            nullptr, initialFolder.empty() ? nullptr : initialFolder.c_str(), &startup, &process))
        return HRESULT_FROM_WIN32(GetLastError());
    CloseHandle(process.hThread);
    CloseHandle(process.hProcess);
    return S_OK;
}

#else

namespace {

int ExitStatusOf(int waitStatus) {
    if (WIFEXITED(waitStatus))
        return WEXITSTATUS(waitStatus);
    if (WIFSIGNALED(waitStatus))
        return 128 + WTERMSIG(waitStatus);
    return kExitStatusUnknown;
}

// Waits for the child on a thread of its own so the caller never blocks and no zombie is left.
void ReapInBackground(pid_t pid, std::future<int>* exitStatus) {
    auto status = std::make_shared<std::promise<int>>();
    if (exitStatus != nullptr)
        *exitStatus = status->get_future();
    try {
        std::thread([pid, status] {
            int raw = 0;
            pid_t done;
            while ((done = waitpid(pid, &raw, 0)) < 0 && errno == EINTR) {
            }
            status->set_value(done == pid ? ExitStatusOf(raw) : kExitStatusUnknown);
        }).detach();
    } catch (const std::system_error&) {
        // No thread to wait with: the child stays a zombie until Vellum ends, which is harmless.
        status->set_value(kExitStatusUnknown);
    }
}

// posix_spawn's attribute and file-action objects, destroyed on every path.
struct SpawnSetup {
    posix_spawnattr_t attributes;
    posix_spawn_file_actions_t actions;
    SpawnSetup() {
        posix_spawnattr_init(&attributes);
        posix_spawn_file_actions_init(&actions);
    }
    ~SpawnSetup() {
        posix_spawn_file_actions_destroy(&actions);
        posix_spawnattr_destroy(&attributes);
    }
    SpawnSetup(const SpawnSetup&) = delete;
    SpawnSetup& operator=(const SpawnSetup&) = delete;
};

// Its own session keeps the program alive and away from Vellum's terminal signals when Vellum
// ends; the signal mask of the calling thread is not the program's business.
int PrepareSpawn(SpawnSetup* setup, const std::string& initialFolder) {
    sigset_t none;
    sigemptyset(&none);
    int err = posix_spawnattr_setsigmask(&setup->attributes, &none);
    if (err == 0)
        err = posix_spawnattr_setflags(&setup->attributes,
                                       POSIX_SPAWN_SETSID | POSIX_SPAWN_SETSIGMASK);
    if (err == 0 && !initialFolder.empty())
        err = posix_spawn_file_actions_addchdir_np(&setup->actions, initialFolder.c_str());
    return err;
}

} // namespace

HRESULT SpawnDetached(const std::vector<std::string>& argv, const std::string& initialFolder,
                      std::future<int>* exitStatus) {
    if (argv.empty() || argv.front().empty())
        return E_INVALIDARG;
    std::vector<char*> pointers;
    for (const std::string& arg : argv)
        pointers.push_back(const_cast<char*>(arg.c_str()));
    pointers.push_back(nullptr);

    SpawnSetup setup;
    int err = PrepareSpawn(&setup, initialFolder);
    pid_t pid = 0;
    if (err == 0)
        err = posix_spawnp(&pid, pointers[0], &setup.actions, &setup.attributes, pointers.data(),
                           environ);
    if (err != 0)
        return HResultFromErrno(err);
    ReapInBackground(pid, exitStatus);
    return S_OK;
}

HRESULT StartDetached(const std::string& commandLine, const std::string& initialFolder) {
    return SpawnDetached(SplitCommandLine(commandLine), initialFolder);
}

#endif

HRESULT LaunchDetached(const std::string& commandLine, const std::string& initialFolder) {
    HRESULT hr = StartDetached(commandLine, initialFolder);
    if (FAILED(hr)) {
        if (initialFolder.empty())
            ReportError(kModule, __LINE__, hr, "Cannot run %s\n", commandLine.c_str());
        else
            ReportError(kModule, __LINE__, hr, "Cannot run %s in the folder %s\n",
                        commandLine.c_str(), initialFolder.c_str());
    }
    return hr;
}

} // namespace vellum
