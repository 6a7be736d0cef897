// Recolouring image files in place (PNG, bitmap, icon, cursor) and every such file of a folder.
#include "common/ByteView.h"
#include "common/ErrorTrail.h"
#include "common/FileIo.h"
#include "common/TrailModules.h"
#include "formats/ResourceFiles.h"
#include "imaging/Colorizer.h"
#include "imaging/ImageCodecs.h"

#include <algorithm>
#include <cctype>
#include <filesystem>
#include <vector>

namespace vellum {

namespace {

constexpr const char* kModule = trail::kColorizer;

enum class FileKind { Other, Png, Bitmap, IconOrCursor };

FileKind KindOf(const std::string& path) {
    if (path.size() < 3)
        return FileKind::Other;
    std::string tail = path.substr(path.size() - 3);
    for (char& c : tail)
        c = char(std::tolower(static_cast<unsigned char>(c)));
    if (tail == "png")
        return FileKind::Png;
    if (tail == "bmp")
        return FileKind::Bitmap;
    if (tail == "ico" || tail == "cur")
        return FileKind::IconOrCursor;
    return FileKind::Other;
}

HRESULT ColorizePngFile(const Colorizer& colorizer, const std::string& path) {
    ImageRecord image;
    if (!ReadPng(path, image)) {
        ReportError(kModule, __LINE__, E_FAIL, "Cannot read the PNG file %s\n", path.c_str());
        return E_FAIL;
    }
    if (image.bitCount != 32) {
        ReportError(kModule, __LINE__, E_FAIL, "%s is not a 32-bit image; it was left unchanged\n",
                    path.c_str());
        return E_FAIL;
    }
    colorizer.ColorizeBgraPixels(image.pixels.Data(), image.pixels.Size() / 4, true);
    if (!WritePng(path, image)) {
        ReportError(kModule, __LINE__, E_FAIL, "Cannot write the PNG file %s\n", path.c_str());
        return E_FAIL;
    }
    return S_OK;
}

// The first image of an icon or cursor file, from its directory entry; the rest of the file
// bounds it.
HRESULT FirstIconImage(ByteView file, std::size_t& offset) {
    std::vector<IconDirEntry> entries = ReadIconDirEntries(file);
    if (!IconDirHeader::Read(file).IsIconOrCursor() || entries.empty() ||
        !file.Has(entries[0].offset, 1))
        return E_FAIL;
    offset = entries[0].offset;
    return S_OK;
}

HRESULT ColorizeDibFile(const Colorizer& colorizer, const std::string& path, FileKind kind) {
    std::vector<std::uint8_t> bytes;
    if (HRESULT hr = ReadWholeFile(path, bytes); FAILED(hr)) {
        ReportError(kModule, __LINE__, hr, "Cannot read %s\n", path.c_str());
        return hr;
    }
    ByteView file(bytes.data(), bytes.size());
    std::size_t offset = BitmapFileHeader::kSize;
    HRESULT hr = S_OK;
    if (kind == FileKind::Bitmap) {
        if (!file.Has(0, offset) || !BitmapFileHeader::Read(file).IsBitmap())
            hr = E_FAIL;
    } else {
        hr = FirstIconImage(file, offset);
    }
    if (FAILED(hr)) {
        ReportError(kModule, __LINE__, hr, "%s is not a bitmap, icon or cursor file\n",
                    path.c_str());
        return hr;
    }
    std::uint8_t* dib = bytes.data() + offset;
    std::size_t size = bytes.size() - offset;
    hr = kind == FileKind::Bitmap ? colorizer.ColorizeDib(dib, size)
                                  : colorizer.ColorizeIconImage(dib, size);
    if (SUCCEEDED(hr))
        hr = ReplaceFileContents(path, bytes.data(), bytes.size());
    if (FAILED(hr))
        ReportError(kModule, __LINE__, hr, "Failed to colorize %s\n", path.c_str());
    return hr;
}

} // namespace

HRESULT ColorizeFile(const Colorizer& colorizer, const std::string& path) {
    switch (KindOf(path)) {
    case FileKind::Png:
        return ColorizePngFile(colorizer, path);
    case FileKind::Bitmap:
    case FileKind::IconOrCursor:
        return ColorizeDibFile(colorizer, path, KindOf(path));
    case FileKind::Other:
        break;
    }
    return S_OK;
}

bool IsColorizableFile(const std::string& path) {
    return KindOf(path) != FileKind::Other;
}

HRESULT ColorizeFolder(const Colorizer& colorizer, const std::string& folder,
                       const ColorizedFileSink& sink) {
    // The names are gathered first: colorizing renames temporary files into the folder.
    std::vector<std::string> files;
    std::error_code ec;
    for (std::filesystem::directory_iterator it(folder, ec), end; !ec && it != end;
         it.increment(ec)) {
        std::error_code entryError; // an entry that vanished meanwhile is simply not a file
        if (!it->is_symlink(entryError) && it->is_regular_file(entryError))
            files.push_back(it->path().string());
    }
    if (ec) {
        HRESULT hr = HResultFromErrno(ec.value());
        ReportError(kModule, __LINE__, hr, "Cannot list the folder %s\n", folder.c_str());
        return hr;
    }
    std::sort(files.begin(), files.end());
    HRESULT first = S_OK;
    for (const std::string& file : files) {
        HRESULT hr = ColorizeFile(colorizer, file);
        if (sink)
            sink(file, hr);
        if (FAILED(hr) && SUCCEEDED(first))
            first = hr;
    }
    return first;
}

} // namespace vellum
