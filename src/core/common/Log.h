// The time-stamped log file. The file is opened only for each write and locked exclusively while
// it is written, so several processes can append to one log.
#pragma once

#include "common/PrintfFormat.h"

#include <chrono>
#include <cstdint>
#include <ctime>
#include <functional>
#include <string>

namespace vellum {

class Log {
public:
    explicit Log(std::string path = {}) : path_(std::move(path)) {}
    ~Log() { Flush(); }

    void SetPath(const std::string& path) { path_ = path; }
    // 0 = no limit. When the file has grown past the limit, its last limit/2 bytes are kept.
    void SetSizeLimit(std::uint64_t bytes) { sizeLimit_ = bytes; }
    // Lines are collected until `count` of them are held, then written together (0 = at once).
    void SetHoldBack(unsigned count) { holdBack_ = count; }
    // How long to wait before retry `attempt` (1-based) of a locked file; the default waits 500 ms
    // plus a varying 0-776 ms.
    void SetRetryWait(std::function<void(unsigned attempt)> wait) { wait_ = std::move(wait); }

    // Appends "MM/DD/YYYY hh:mm:ss -- text\r\n" (trailing CR and LF of the text removed).
    void Write(const std::string& text);
    void WriteF(const char* format, ...) VELLUM_PRINTF_FORMAT(2, 3);
    // Writes held-back lines now.
    void Flush();

    // The line Write appends, for a given local time.
    static std::string FormatLine(const std::string& text, const std::tm& localTime);

private:
    bool Append(const std::string& text);

    std::string path_;
    std::uint64_t sizeLimit_ = 0;
    unsigned holdBack_ = 0;
    unsigned held_ = 0;
    std::string heldText_;
    std::function<void(unsigned)> wait_;
};

} // namespace vellum
