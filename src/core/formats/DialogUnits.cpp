// Converting dialog units to pixels.
#include "formats/DialogUnits.h"

#include <cstdint>

namespace vellum {

namespace {

constexpr int kScreenDpi = 96;
constexpr int kPointsPerInch = 72;

} // namespace

int MulDiv(int a, int b, int c) {
    if (c == 0)
        return -1;
    std::int64_t product = std::int64_t(a) * b;
    std::int64_t divisor = c;
    if (divisor < 0) {
        product = -product;
        divisor = -divisor;
    }
    std::int64_t half = divisor / 2;
    std::int64_t result = product >= 0 ? (product + half) / divisor : (product - half) / divisor;
    return int(result);
}

DialogBaseUnits DialogBaseUnits::FromFont(int lettersWidth, int cellHeight) {
    return {(lettersWidth + 26) / 52, cellHeight};
}

PixelRect DialogBaseUnits::ToPixels(const DialogFrame& frame) const {
    return {PixelsX(frame.x), PixelsY(frame.y), PixelsX(frame.cx), PixelsY(frame.cy)};
}

int FontPixelHeight(int pointSize) {
    return MulDiv(pointSize, kScreenDpi, kPointsPerInch);
}

} // namespace vellum
