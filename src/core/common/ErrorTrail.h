// The per-thread error trail: each level a failure passes through appends one record, and the
// command at the top shows the whole trail.
//
// Record format: "<module>(<line, width 4>) : 0x<HRESULT, 8 upper-case digits>\r\n\r\n" followed
// by the message text.
#pragma once

#include "PrintfFormat.h"
#include "Result.h"

#include <optional>
#include <string>

namespace vellum {

// Formats the message (printf rules, at most 2048 bytes) and appends the record to the calling
// thread's trail.
void ReportError(const char* module, int line, HRESULT hr, const char* format, ...)
    VELLUM_PRINTF_FORMAT(4, 5);

// The trail's text, or nothing when no failure has been reported since it was last taken.
std::optional<std::string> PeekErrorTrail();
// Returns the trail and clears it, as showing it does.
std::optional<std::string> TakeErrorTrail();
void ClearErrorTrail();
// Adds a trail taken on another thread (work done on a worker thread) to the calling thread's
// trail, so that the command that started the work shows it.
void AppendErrorTrail(const std::optional<std::string>& trail);

// The system's text for a code, or "Unknown error 0x%08X\r\n". `module` names a message table
// to look in first; the engine has none of its own, so it is only used on Windows.
std::string ErrorText(const char* module, HRESULT code);

} // namespace vellum
