// The last-write time the viewers' file watches compare: a file that cannot be looked at reads
// as the earliest time, so the watch ignores it.
#pragma once

#include <filesystem>
#include <string>

namespace vellum::gui {

inline std::filesystem::file_time_type LastWriteTime(const std::string& path) {
    std::error_code ec;
    auto time = std::filesystem::last_write_time(path, ec);
    return ec ? std::filesystem::file_time_type{} : time;
}

} // namespace vellum::gui
