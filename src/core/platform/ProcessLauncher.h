// Starting outside programs (configured editors, the desktop's file opener) from a Windows-style
// command line, detached from Vellum: the program gets its own session and Vellum never waits.
#pragma once

#include "common/Result.h"

#include <future>
#include <string>
#include <string_view>
#include <vector>

namespace vellum {

// The command line an editor is started with: the program and the file each in double quotes,
// then the arguments as the user typed them, unquoted.
std::string EditorCommandLine(const std::string& command, const std::string& file,
                              const std::string& arguments);

// Splits a Windows command line into its arguments the way CommandLineToArgvW and the C runtime
// do, so that an editor entry configured with Windows quoting means the same here:
// - the first argument, the program, runs to the closing quote when it starts with one (else to
//   the first blank), with no backslash processing;
// - after it, blanks outside quotes separate arguments and `"` toggles quoting;
// - 2n backslashes before `"` give n backslashes and the quote toggles; 2n+1 give n backslashes
//   and a literal `"`; backslashes anywhere else are literal;
// - `""` inside quotes gives a literal `"` and quoting goes on.
// Blanks before the program are skipped. An empty line gives no arguments.
std::vector<std::string> SplitCommandLine(std::string_view commandLine);

// Starts the program a command line names, detached, with `initialFolder` as its working folder
// (the caller's own when empty). Returns the failure without reporting it.
HRESULT StartDetached(const std::string& commandLine, const std::string& initialFolder);

// StartDetached that also adds a failure to the error trail.
HRESULT LaunchDetached(const std::string& commandLine, const std::string& initialFolder);

#ifndef _WIN32
// The value an exit-status future gets when the program's end cannot be watched.
constexpr int kExitStatusUnknown = -1;

// Starts argv[0] (searched on PATH when it holds no slash) in a session of its own, with the
// signal mask cleared. A background thread reaps it, so it never lingers as a zombie; when
// `exitStatus` is given it is set once the program ends: its exit status, or 128 + the signal
// that ended it. A failure (the program missing or not executable, a bad folder) is posix_spawn's
// errno as an HRESULT.
HRESULT SpawnDetached(const std::vector<std::string>& argv, const std::string& initialFolder,
                      std::future<int>* exitStatus = nullptr);
#endif

} // namespace vellum
