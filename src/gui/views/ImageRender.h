// Loaded DIBs as Qt images: the picture the image view draws (zoomed, over the checkerboard when
// it has alpha), the picture at its own size for the clipboard and drags, and the data a copy or
// a drag offers.
#pragma once

#include "imaging/ImageFile.h"

#include <QImage>
#include <QPixmap>
#include <optional>
#include <string>

class QMimeData;

namespace vellum {
class Colorizer;
}

namespace vellum::gui {

// MIME type of the packed DIB (header, colour table, rows) that copies and drags carry.
inline constexpr const char* kDibMimeType = "image/bmp";

// 32-bit DIBs and every PNG go over the checkerboard; other depths are stretched as they are.
bool DrawnOverCheckerboard(const LoadedDib& image, ImageKind kind);

// The image zoomed to width x height as the view draws it; null when the DIB cannot be decoded.
QImage RenderedImage(const LoadedDib& image, ImageKind kind, int width, int height);

// The image at its own size, alpha kept; null when the DIB cannot be decoded.
QImage PlainImage(const LoadedDib& image);

// What a drag shows under the pointer: the image at its own size (at most 128 pixels each way),
// with alpha, or, without alpha, transparent where it has the key colour magenta.
QPixmap DragPixmap(const LoadedDib& image, ImageKind kind);

// A copy of the image colorized in memory; the loaded one is left as it is.
LoadedDib ColorizedCopy(const LoadedDib& image, const Colorizer& colorizer);

// The image and its DIB bytes, plus, when `shortcut` names one, the link file as the one URL.
QMimeData* ImageMimeData(const LoadedDib& image, const std::optional<std::string>& shortcut);

} // namespace vellum::gui
