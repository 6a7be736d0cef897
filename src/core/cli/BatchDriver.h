// Runs the program from its command line: usage, version and the batch modes, none of which
// needs a window.
#pragma once

#include "cli/CommandLine.h"
#include "common/Prompter.h"

#include <string>
#include <vector>

namespace vellum {

constexpr int kExitSuccess = 0;
constexpr int kExitFailure = 1;
constexpr int kExitUsage = 2;

extern const char* const kUsageText;

// Prints "vellum: <message>" and the usage to stderr; returns kExitUsage.
int UsageError(const std::string& message);
// Extract and Insert take icons, cursors and their groups
// (-Type:Icon|Cursor|IconGroup|CursorGroup).
bool IsIconOrCursorType(int type);
// Appends the calling thread's error trail to the data folder's log as the failure of
// `operation`, then prints it to stderr and clears it.
void PrintErrorTrail(const std::string& dataFolder, const std::string& operation);

// Carries out the batch mode the command line selects; returns the process exit status.
// True, after saying so on stderr, when there is no system whose icons could be read or set: on
// Linux, no Wine prefix (a folder with system.reg) at $WINEPREFIX or ~/.wine.
bool RunningSystemMissing();
// True, after saying so on stderr, when Wine is running in the prefix: a running wineserver
// holds the registry and writes its own copy back when it exits, so changes to the registry
// files would be lost.
bool RunningSystemBusy();

int RunBatch(const CommandLine& info, Prompter& prompter);

} // namespace vellum
