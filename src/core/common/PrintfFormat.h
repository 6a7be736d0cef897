// Lets GCC and Clang check printf-style arguments against their format string; other compilers
// (MSVC) see nothing. `formatIndex` and `firstArgument` are the 1-based positions of the format
// string and of the first argument it formats (member functions count `this` as position 1).
#pragma once

#if defined(__GNUC__) || defined(__clang__)
#define VELLUM_PRINTF_FORMAT(formatIndex, firstArgument)                                           \
    __attribute__((format(printf, formatIndex, firstArgument)))
#else
#define VELLUM_PRINTF_FORMAT(formatIndex, firstArgument)
#endif
