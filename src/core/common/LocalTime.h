// Local calendar time, through the thread-safe call each platform has.
#pragma once

#include <ctime>

namespace vellum {

inline std::tm LocalTime(std::time_t when) {
    std::tm local{};
#ifdef _WIN32
    localtime_s(&local, &when);
#else
    localtime_r(&when, &local);
#endif
    return local;
}

inline std::tm LocalTimeNow() {
    return LocalTime(std::time(nullptr));
}

} // namespace vellum
