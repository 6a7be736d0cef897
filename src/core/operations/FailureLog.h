// Failures of the operations (decompile, compile, extract, insert, snapshot, apply, the window's
// saves) are kept in "vellum.log" in the data folder, so that a failure seen once can be looked
// up afterwards.
#pragma once

#include <cstdint>
#include <string>

namespace vellum {

constexpr const char* kLogFileName = "vellum.log";
// The log keeps its newest half when it grows past this.
constexpr std::uint64_t kLogSizeLimit = 1u << 20;

// Appends "<operation> failed" and the calling thread's error trail, when one was reported, to
// the data folder's log. The trail itself stays for the caller to show.
void LogFailure(const std::string& dataFolder, const std::string& operation);

} // namespace vellum
