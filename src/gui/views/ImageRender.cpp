// From DIB bytes to Qt images and MIME data.
#include "views/ImageRender.h"

#include "common/ErrorTrail.h"
#include "imaging/Colorizer.h"
#include "imaging/DibRaster.h"

#include <QBitmap>
#include <QMimeData>
#include <QUrl>
#include <cstring>

namespace vellum::gui {

namespace {

QImage ToQImage(const Raster& raster, QImage::Format format) {
    QImage image(raster.width, raster.height, format);
    if (image.isNull())
        return image;
    for (int y = 0; y < raster.height; ++y)
        std::memcpy(image.scanLine(y), &raster.pixels[std::size_t(y) * raster.width],
                    std::size_t(raster.width) * 4);
    return image;
}

std::optional<Raster> Decode(const LoadedDib& image) {
    if (image.status != LoadStatus::Ok)
        return std::nullopt;
    return DecodeDib(ByteView(image.dib.data(), image.dib.size()));
}

} // namespace

bool DrawnOverCheckerboard(const LoadedDib& image, ImageKind kind) {
    return kind == ImageKind::Png || image.bitCount == 32;
}

QImage RenderedImage(const LoadedDib& image, ImageKind kind, int width, int height) {
    std::optional<Raster> raster = Decode(image);
    if (!raster || width <= 0 || height <= 0)
        return {};
    Raster drawn = DrawnOverCheckerboard(image, kind)
                       ? CompositeOnCheckerboard(*raster, width, height)
                       : StretchNearest(*raster, width, height);
    return ToQImage(drawn, QImage::Format_RGB32);
}

QImage PlainImage(const LoadedDib& image) {
    std::optional<Raster> raster = Decode(image);
    return raster ? ToQImage(*raster, QImage::Format_ARGB32) : QImage();
}

QPixmap DragPixmap(const LoadedDib& image, ImageKind kind) {
    constexpr int kMaxSide = 128;
    QImage picture = PlainImage(image);
    if (picture.isNull())
        return {};
    if (picture.width() > kMaxSide || picture.height() > kMaxSide)
        picture = picture.scaled(kMaxSide, kMaxSide, Qt::KeepAspectRatio);
    QPixmap pixmap = QPixmap::fromImage(picture);
    if (!DrawnOverCheckerboard(image, kind))
        pixmap.setMask(pixmap.createMaskFromColor(QColor(255, 0, 255)));
    return pixmap;
}

LoadedDib ColorizedCopy(const LoadedDib& image, const Colorizer& colorizer) {
    LoadedDib copy = image;
    if (copy.status != LoadStatus::Ok)
        return copy;
    // A DIB the colorizer does not know is previewed as it is; nothing is wrong with the file.
    if (FAILED(colorizer.ColorizeDib(copy.dib.data(), copy.dib.size()))) {
        ClearErrorTrail();
        return image;
    }
    return copy;
}

QMimeData* ImageMimeData(const LoadedDib& image, const std::optional<std::string>& shortcut) {
    auto* data = new QMimeData;
    data->setImageData(PlainImage(image));
    data->setData(kDibMimeType, QByteArray(reinterpret_cast<const char*>(image.dib.data()),
                                           qsizetype(image.dib.size())));
    if (shortcut)
        data->setUrls({QUrl::fromLocalFile(QString::fromStdString(*shortcut))});
    return data;
}

} // namespace vellum::gui
