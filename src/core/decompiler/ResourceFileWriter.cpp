#include "decompiler/ResourceFileWriter.h"

#include "common/ErrorTrail.h"
#include "common/FileIo.h"
#include "common/Path.h"
#include "common/Strings.h"
#include "common/TrailModules.h"
#include "formats/ManifestText.h"
#include "formats/ResourceDirectory.h"
#include "formats/ResourceFiles.h"
#include "imaging/ImageCodecs.h"

#include <filesystem>

namespace vellum {

namespace {

constexpr const char* kModule = trail::kExeDumper;

// "NAME.EXT" -> "NAME-1031.EXT"; "NAME" -> "NAME-1031".
std::string WithLanguageSuffix(const std::string& leaf, const std::string& suffix) {
    std::size_t dot = leaf.rfind('.');
    if (dot == std::string::npos || dot == 0)
        return leaf + suffix;
    return leaf.substr(0, dot) + suffix + leaf.substr(dot);
}

ByteView View(const std::vector<std::uint8_t>& bytes) {
    return ByteView(bytes.data(), bytes.size());
}

} // namespace

ResourceFileWriter::ResourceFileWriter(const std::string& folder, const std::string& manifestName,
                                       const ExeDumpOptions& options, Prompter& prompter,
                                       DiagnosticsHook diagnostics)
    : folder_(WithTrailingSeparator(folder)), options_(options), prompter_(prompter),
      diagnostics_(std::move(diagnostics)),
      manifest_(folder_ + manifestName, options.writeManifest), strings_(folder_) {
    Reserve(manifestName);
}

ResourceFileWriter::~ResourceFileWriter() = default;

void ResourceFileWriter::Reserve(const std::string& relativePath) {
    writtenFiles_.insert(ToUpperAscii(relativePath));
}

// The File line records the file's relative path, the size of the resource (for a group with
// its group file, the last image's size instead) and the resource's RVA range. A bitmap's line
// also carries the Png digit and StripExt.
HRESULT ResourceFileWriter::WriteLeaf(const ResourceLeaf& leaf, const std::string& indent) {
    manifest_.Append(indent);
    Written written;
    written.size = std::uint32_t(leaf.data.Size());
    HRESULT hr = WriteLeafData(leaf, written);
    if (FAILED(hr))
        return hr;
    std::string name = EscapeManifestText(written.path);
    std::uint32_t end = leaf.rva + std::uint32_t(leaf.data.Size());
    if (leaf.type != rt::kBitmap) {
        manifest_.Append(Format("<File Name='%s' Size='%u' Start='%08x' End='%08x' />\r\n",
                                name.c_str(), written.size, leaf.rva, end));
        return S_OK;
    }
    std::string line =
        Format("<File Name='%s' Size='%u' Png='0' StripExt='%d' Start='%08x' End='%08x'/>\r\n",
               name.c_str(), written.size, leaf.stripExt ? 1 : 0, leaf.rva, end);
    if (written.pngQueued)
        pendingPngs_.back().digitOffset = manifest_.Position() + line.find("Png='") + 5;
    manifest_.Append(line);
    return S_OK;
}

HRESULT ResourceFileWriter::WriteLeafData(const ResourceLeaf& leaf, Written& written) {
    switch (leaf.type) {
    case rt::kStringTable:
        written.path = "STRINGS.XML";
        if (!options_.writeStrings)
            return S_OK;
        return strings_.WriteBlock(leaf.data, leaf.language, leaf.firstStringId);
    case rt::kCursor:
    case rt::kIcon:
        if (!options_.writeImages)
            return WriteOrName(false, leaf, written);
        return WriteIconFile(leaf, written);
    case rt::kBitmap:
        if (!options_.writeImages)
            return WriteOrName(false, leaf, written);
        return WriteBitmapFile(leaf, written);
    case rt::kCursorGroup:
    case rt::kIconGroup:
        return WriteGroupFiles(leaf, written);
    case rt::kVersion:
        return WriteOrName(options_.writeVersion, leaf, written);
    default:
        return WriteOrName(options_.writeRaw, leaf, written);
    }
}

// The resource's bytes as they are, or (when that kind of file is not wanted) only the name
// the file would have had, for the File line.
HRESULT ResourceFileWriter::WriteOrName(bool write, const ResourceLeaf& leaf, Written& written) {
    if (write)
        return WriteFile(leaf.outputName, leaf.language, {}, leaf.data, written.path);
    written.path = DeriveRelativePath(leaf.outputName, leaf.language);
    return S_OK;
}

// A file name already taken in this dump (compared without case) gets the language, and then a
// counter, in front of its extension.
std::string ResourceFileWriter::DeriveRelativePath(std::string_view outputName,
                                                   unsigned language) const {
    OutputLocation where = LocateOutput(std::string(outputName), options_.visualStyleNaming);
    std::string relative = where.Relative();
    if (!writtenFiles_.count(ToUpperAscii(relative)))
        return relative;
    std::string suffix = Format("-%u", language);
    for (unsigned n = 2;; ++n) {
        OutputLocation renamed = where;
        renamed.leaf = WithLanguageSuffix(where.leaf, suffix);
        if (!writtenFiles_.count(ToUpperAscii(renamed.Relative())))
            return renamed.Relative();
        suffix = Format("-%u-%u", language, n);
    }
}

// Creates the file (and its subfolder) under a name not yet taken and writes `head`, then `body`.
HRESULT ResourceFileWriter::WriteFile(std::string_view outputName, unsigned language, ByteView head,
                                      ByteView body, std::string& path) {
    path = DeriveRelativePath(outputName, language);
    std::size_t slash = path.find('\\');
    if (slash != std::string::npos) {
        std::string subfolder = folder_ + path.substr(0, slash);
        HRESULT hr = CreateFolders(subfolder);
        if (FAILED(hr)) {
            ReportError(kModule, __LINE__, hr, "Failed to Create Directory %s", subfolder.c_str());
            return hr;
        }
    }
    std::string hostPath = folder_ + ToHostPath(path);
    OutputFile out;
    HRESULT hr = out.Create(hostPath);
    if (FAILED(hr)) {
        ReportError(kModule, __LINE__, hr, "Failed to Create File %s", hostPath.c_str());
        return hr;
    }
    writtenFiles_.insert(ToUpperAscii(path));
    if (!head.Empty())
        hr = out.Write(head.Data(), head.Size());
    if (SUCCEEDED(hr))
        hr = out.Write(body.Data(), body.Size());
    if (FAILED(hr))
        ReportError(kModule, __LINE__, hr, "Failed writing to file with error 0x%.8x\n",
                    unsigned(hr));
    HRESULT closed = out.Close();
    if (FAILED(closed))
        ReportError(kModule, __LINE__, closed, "Failed closing file with error 0x%.8x\n",
                    unsigned(closed));
    return FAILED(hr) ? hr : closed;
}

HRESULT ResourceFileWriter::WriteBitmapFile(const ResourceLeaf& leaf, Written& written) {
    DibHeader dib = DibHeader::Read(leaf.data);
    if (dib.compression == kDibBitFields)
        prompter_.Ask("biCompression", "Bad", MB_OK);
    std::vector<std::uint8_t> header;
    BitmapFileHeaderFor(leaf.data).Append(header);
    HRESULT hr = WriteFile(leaf.outputName, leaf.language, View(header), leaf.data, written.path);
    if (FAILED(hr))
        return hr;
    // Only a file that ends in BMP is turned into PNG: the PNG takes the same name with "png" as
    // its last three letters, which for any other name would be the bitmap file itself.
    if (!options_.convertPng || dib.bitCount != 32 || !EndsWithNoCase(written.path, "BMP"))
        return S_OK;
    QueuePngConversion(folder_ + ToHostPath(written.path));
    written.pngQueued = true;
    return S_OK;
}

void ResourceFileWriter::QueuePngConversion(const std::string& bmpPath) {
    if (!pool_)
        pool_ = std::make_unique<TaskPool>();
    PendingPng pending;
    pending.bmpPath = bmpPath;
    pending.converted = pool_->Submit<bool>(
        [this, bmpPath] { return ConvertBmpToPngExactly(bmpPath, diagnostics_); });
    pendingPngs_.push_back(std::move(pending));
}

// A conversion that failed leaves the bitmap file and Png='0'.
HRESULT ResourceFileWriter::FinishPngConversions() {
    HRESULT result = S_OK;
    for (PendingPng& pending : pendingPngs_) {
        if (!pending.converted.get() || !options_.writeManifest)
            continue;
        std::error_code ignored;
        std::filesystem::remove(pending.bmpPath, ignored);
        HRESULT hr = manifest_.Patch(pending.digitOffset, '1');
        if (FAILED(hr))
            result = hr;
    }
    pendingPngs_.clear();
    return result;
}

HRESULT ResourceFileWriter::WriteIconFile(const ResourceLeaf& leaf, Written& written) {
    std::vector<std::uint8_t> file = SingleImageFileOfResource(leaf.data, leaf.type == rt::kCursor);
    return WriteFile(leaf.outputName, leaf.language, {}, View(file), written.path);
}

// A group resource is kept as it is; with group files on, the .ico or .cur file assembled from
// it and its members' files goes beside it.
HRESULT ResourceFileWriter::WriteGroupFiles(const ResourceLeaf& leaf, Written& written) {
    HRESULT hr = WriteFile(leaf.outputName, leaf.language, {}, leaf.data, written.path);
    if (FAILED(hr) || !options_.groupFiles)
        return hr;
    std::uint32_t lastImage = 0;
    hr = WriteGroupFile(leaf, lastImage);
    if (lastImage != 0)
        written.size = lastImage;
    return hr;
}

HRESULT ResourceFileWriter::WriteGroupFile(const ResourceLeaf& leaf, std::uint32_t& lastImage) {
    bool cursor = leaf.type == rt::kCursorGroup;
    auto memberFile = [&](unsigned id) {
        std::string name = Format(cursor ? "Cursor%.5u.cur" : "Icon%.5u.ico", id);
        std::optional<std::string> path = ResolveInFolder(folder_, name);
        std::vector<std::uint8_t> bytes;
        if (path)
            ReadWholeFile(*path, bytes);
        return bytes;
    };
    std::optional<std::vector<std::uint8_t>> file =
        GroupFile(leaf.data, cursor, memberFile, lastImage);
    if (!file) {
        ReportError(kModule, __LINE__, E_FAIL,
                    "The group %s claims more image bytes than any group file can hold\n",
                    std::string(leaf.outputName).c_str());
        return E_FAIL;
    }
    std::string name = std::string(leaf.outputName) + (cursor ? ".cur" : ".ico");
    std::string path;
    return WriteFile(name, leaf.language, {}, View(*file), path);
}

HRESULT ResourceFileWriter::SaveStrings() {
    if (!options_.writeStrings || !strings_.Opened())
        return S_OK;
    HRESULT hr = strings_.Save();
    if (FAILED(hr))
        ReportError(kModule, __LINE__, hr, "Failed writing STRINGS.XML with error 0x%.8x\n",
                    unsigned(hr));
    return hr;
}

} // namespace vellum
