// Dialog units: templates give every position and size in units of the dialog font. A
// horizontal unit is a quarter of the font's average character width and a vertical unit an
// eighth of its height; Windows takes the average width over the 52 Latin letters, rounded:
//   base x = (width of "A..Za..z" + 26) / 52      base y = the font's cell height
//   pixels x = MulDiv(x, base x, 4)                 pixels y = MulDiv(y, base y, 8)
#pragma once

#include "common/PixelRect.h"
#include "formats/DialogTemplate.h"

#include <string_view>

namespace vellum {

// The 52 letters whose width gives the average character width.
constexpr std::string_view kBaseUnitLetters =
    "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz";

// a * b / c rounded to the nearest integer, halves away from zero; -1 when c is 0.
int MulDiv(int a, int b, int c);

struct DialogBaseUnits {
    int x = 0;
    int y = 0;

    // From the width in pixels of kBaseUnitLetters and the font's cell height.
    static DialogBaseUnits FromFont(int lettersWidth, int cellHeight);
    // What a dialog without DS_SETFONT gets: the units of the 8 by 16 system font.
    static DialogBaseUnits System() { return {8, 16}; }

    int PixelsX(int units) const { return MulDiv(units, x, 4); }
    int PixelsY(int units) const { return MulDiv(units, y, 8); }
    // Place and size each converted on its own, as the dialog manager creates controls.
    PixelRect ToPixels(const DialogFrame& frame) const;
    bool operator==(const DialogBaseUnits&) const = default;
};

// The pixel height of a font of `pointSize` points on a 96-dpi screen, the size Windows makes
// the dialog font on a standard display.
int FontPixelHeight(int pointSize);

} // namespace vellum
