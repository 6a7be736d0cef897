// libFuzzer target: arbitrary bytes as the image view loads them (bitmap, PNG, icon and cursor
// files, animated cursors, group directories) and as it draws them: decoded, stretched and laid
// over the checkerboard at a size the first byte chooses.
#include "common/ByteView.h"
#include "formats/IconDirectory.h"
#include "imaging/DibRaster.h"
#include "imaging/ImageFile.h"

#include <cstddef>
#include <cstdint>

namespace {

constexpr vellum::ImageKind kKinds[] = {vellum::ImageKind::Bitmap, vellum::ImageKind::Png,
                                        vellum::ImageKind::Icon, vellum::ImageKind::Cursor};

void Draw(const vellum::LoadedDib& image, int side) {
    if (image.status != vellum::LoadStatus::Ok)
        return;
    auto raster = vellum::DecodeDib(vellum::ByteView(image.dib.data(), image.dib.size()));
    if (!raster)
        return;
    vellum::CompositeOnCheckerboard(*raster, side, side);
    vellum::StretchNearest(*raster, side, side + 1);
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size < 2)
        return 0;
    int side = data[0] % 64 + 1;
    vellum::ImageKind kind = kKinds[data[1] % 4];
    vellum::ByteView file(data + 2, size - 2);
    vellum::LoadedDib image = vellum::LoadDib(file, kind);
    Draw(image, side);
    vellum::InfoTextsFor("x.bmp", kind, image);
    bool cursor = kind == vellum::ImageKind::Cursor;
    vellum::GroupListingText(vellum::GroupDirectory::Read(file, cursor));
    vellum::LoadedAnimation animation = vellum::LoadAnimation(file);
    for (const vellum::LoadedDib& frame : animation.frames)
        Draw(frame, side);
    return 0;
}
