// WineServer: whether a wineserver is running for a Wine prefix. A running server keeps the
// prefix's registry in memory and writes it back to system.reg and user.reg when it exits, so
// files changed behind its back lose their changes; callers refuse to change a prefix then.
#pragma once

#include <string>

namespace vellum {

// True when a wineserver holds the lock of the prefix folder's server directory. `pid`, when
// given, receives the process holding the lock (0 when unknown). Always false on Windows, where
// there is no wineserver.
bool WineServerRunning(const std::string& prefixFolder, long* pid = nullptr);

} // namespace vellum
