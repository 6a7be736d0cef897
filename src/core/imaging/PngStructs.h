// libpng's read or write structure of one PNG with its info structure, created with the
// handlers every PNG codec here installs and released together on every path.
#pragma once

#include "imaging/BmpToPng.h"

#include <png.h>

namespace vellum {

enum class PngDirection { Read, Write };

template <PngDirection direction> class PngStructs {
public:
    explicit PngStructs(PngFailure* failure) {
        if constexpr (direction == PngDirection::Read)
            png_ = png_create_read_struct(PNG_LIBPNG_VER_STRING, failure, OnPngError,
                                          IgnorePngWarning);
        else
            png_ = png_create_write_struct(PNG_LIBPNG_VER_STRING, failure, OnPngError,
                                           IgnorePngWarning);
        if (png_)
            info_ = png_create_info_struct(png_);
    }
    ~PngStructs() {
        if constexpr (direction == PngDirection::Read)
            png_destroy_read_struct(&png_, info_ ? &info_ : nullptr, nullptr);
        else
            png_destroy_write_struct(&png_, info_ ? &info_ : nullptr);
    }
    PngStructs(const PngStructs&) = delete;
    PngStructs& operator=(const PngStructs&) = delete;

    bool Created() const { return png_ && info_; }
    png_structp Png() const { return png_; }
    png_infop Info() const { return info_; }

private:
    png_structp png_ = nullptr;
    png_infop info_ = nullptr;
};

using PngReadStructs = PngStructs<PngDirection::Read>;
using PngWriteStructs = PngStructs<PngDirection::Write>;

} // namespace vellum
