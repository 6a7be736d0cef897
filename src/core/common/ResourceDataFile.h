// Which file of a project folder holds a resource's data, given the Name and the two bitmap flags
// of the manifest's File line. The compiler builds the resource from that file, so everything
// that shows or edits a resource must use the same one.
#pragma once

#include "common/Path.h"

#include <algorithm>
#include <string>
#include <string_view>

namespace vellum {

// The data file's name relative to the project folder:
// - stripExt: the resource's name had no ".BMP" of its own; the data is the name's title plus
//   ".bmp" at the top of the folder ("BLUE\LOGO.BMP" is read as "LOGO.bmp");
// - png: a bitmap kept as PNG; the last three characters are replaced by "png"
//   ("Bitmap00003.BMP" is kept as "Bitmap00003.png").
// The decompiler writes both flags on bitmap lines only, and the compiler honours Png for type 2
// alone: callers pass `png` only for bitmaps.
// A bitmap's PNG file: the name with its last three characters replaced by "png".
inline std::string PngNameFor(std::string_view bmpName) {
    return std::string(
               bmpName.substr(0, bmpName.size() - std::min<std::size_t>(3, bmpName.size()))) +
           "png";
}

inline std::string ResourceDataFileName(std::string_view manifestName, bool png, bool stripExt) {
    std::string name =
        stripExt ? SplitPath(manifestName).fname + ".bmp" : std::string(manifestName);
    return png ? PngNameFor(name) : name;
}

} // namespace vellum
