#include "decompiler/ExeDumper.h"

#include "common/CodePage.h"
#include "common/ErrorTrail.h"
#include "common/MappedFile.h"
#include "common/Path.h"
#include "common/Strings.h"
#include "common/TrailModules.h"
#include "decompiler/HeaderTables.h"
#include "decompiler/StringTableWriter.h"
#include "decompiler/TextDumps.h"
#include "formats/ManifestText.h"
#include "formats/ResourceFiles.h"
#include "imaging/ImageCodecs.h"

#include <algorithm>
#include <filesystem>
#include <vector>

namespace vellum {

namespace {

constexpr const char* kModule = trail::kExeDumper;
// The manifest text is collected and appended to its file in blocks. The block size comes from a
// 128 KiB buffer that was flushed as soon as less than one longest formatted line (2,047 bytes
// and its terminator) was left free: 131,072 - 2,047 = 129,025. Only the write pattern depends on
// it, never the bytes of the manifest.
constexpr std::size_t kManifestFlushSize = 129025;
constexpr int kLanguageLevel = 3;

enum ResourceType : std::uint32_t {
    kCursor = 1,
    kBitmap = 2,
    kIcon = 3,
    kStringTable = 6,
    kCursorGroup = 12,
    kIconGroup = 14,
    kVersion = 16,
};

bool IsNamed(std::uint32_t field) {
    return (field & 0x80000000u) != 0;
}
std::uint32_t OffsetOf(std::uint32_t field) {
    return field & 0x7FFFFFFFu;
}

// "NAME.EXT" -> "NAME-1031.EXT"; "NAME" -> "NAME-1031".
std::string WithLanguageSuffix(const std::string& leaf, const std::string& suffix) {
    std::size_t dot = leaf.rfind('.');
    if (dot == std::string::npos || dot == 0)
        return leaf + suffix;
    return leaf.substr(0, dot) + suffix + leaf.substr(dot);
}

} // namespace

ExeDumper::ExeDumper(Prompter& prompter) : prompter_(prompter) {}
ExeDumper::~ExeDumper() = default;

HRESULT ExeDumper::DumpExe(ByteView image, const std::string& folder,
                           const std::string& manifestName) {
    file_ = image;
    folder_ = WithTrailingSeparator(folder);
    manifestPath_ = folder_ + manifestName;
    manifestStarted_ = false;
    manifestFlushed_ = 0;
    manifest_.clear();
    pendingPngs_.clear();
    writtenFiles_.clear();
    visited_.clear();
    for (const char* reserved : {"DOSHEADER.BIN", "NTHEADER.BIN", "DOSHEADER.HDR", "NTHEADER.HDR",
                                 "STRINGS.XML", "OVERLAY.BIN", "VELLUM.MODIFIED"})
        writtenFiles_.insert(reserved);
    writtenFiles_.insert(ToUpperAscii(manifestName));
    strings_ = std::make_unique<StringTableWriter>(folder_);

    HRESULT hr = WriteHeaderFiles();
    if (FAILED(hr))
        return hr;
    hr = DumpResourceSection();
    HRESULT converted = FinishPngConversions();
    if (FAILED(hr))
        return hr;
    if (FAILED(converted))
        return converted;
    if (options.writeStrings && strings_->Opened()) {
        hr = strings_->Save();
        if (FAILED(hr)) {
            ReportError(kModule, __LINE__, hr, "Failed writing STRINGS.XML with error 0x%.8x\n",
                        unsigned(hr));
            return hr;
        }
    }
    bool text = textOut_ && !IsNullDevice(textOut_);
    if (text && options.dumpSymbols && image_.NumberOfSymbols() && image_.PointerToSymbolTable())
        DumpSymbolTable(image_, textOut_);
    if (text && options.dumpSections)
        DumpSectionHex(image_, textOut_);
    return FlushManifest();
}

// ---- header and section files ------------------------------------------------------------

HRESULT ExeDumper::WriteProjectFile(const std::string& name, const void* data, std::size_t size) {
    HRESULT hr = WriteWholeFile(folder_ + name, data, size);
    if (FAILED(hr))
        ReportError(kModule, __LINE__, hr, "Failed writing to file %s\n", (folder_ + name).c_str());
    return hr;
}

HRESULT ExeDumper::WriteHeaderFiles() {
    std::string dosTable = ToCrLf(DosHeaderTable(file_));
    HRESULT hr = WriteProjectFile("DosHeader.hdr", dosTable.data(), dosTable.size());
    if (FAILED(hr))
        return hr;
    if (options.writeDosHeader) {
        ByteView stub =
            file_.Sub(0, std::min<std::uint64_t>(file_.U32(dos::kNewHeader), file_.Size()));
        hr = WriteProjectFile("DOSHEADER.BIN", stub.Data(), stub.Size());
        if (FAILED(hr))
            return hr;
    }
    if (FAILED(image_.Parse(file_))) {
        std::uint32_t nt = file_.U32(dos::kNewHeader);
        bool ne = file_.U8(nt) == 'N' && file_.U8(nt + 1) == 'E' && file_.Has(nt, 2);
        ReportError(kModule, __LINE__, E_FAIL, "%s",
                    ne ? "File is 16 bit OS2 NE Format.  This format is not currently handled.\n"
                       : "Unhandled Win32 Portable EXE type, or invalid .EXE\n");
        return E_FAIL;
    }
    std::string ntTable = ToCrLf(NtHeaderTable(image_));
    hr = WriteProjectFile("NTHeader.hdr", ntTable.data(), ntTable.size());
    if (SUCCEEDED(hr) && options.writeNtHeader)
        hr = WriteNtFiles();
    if (FAILED(hr)) {
        ReportError(kModule, __LINE__, hr, "Failed while dumping NT Header\n");
        return hr;
    }
    return WriteOverlay();
}

HRESULT ExeDumper::WriteNtFiles() {
    // The headers run to SizeOfHeaders; a file that claims less still keeps its section table.
    std::uint64_t tableEnd =
        image_.SectionTableOffset() + std::uint64_t(image_.Sections().size()) * kSectionHeaderSize;
    std::uint64_t end = std::min<std::uint64_t>(
        std::max<std::uint64_t>(image_.SizeOfHeaders(), tableEnd), file_.Size());
    ByteView headers = file_.Sub(image_.NtOffset(), end - image_.NtOffset());
    HRESULT hr = WriteProjectFile("NTHEADER.BIN", headers.Data(), headers.Size());
    for (const SectionHeader& section : image_.Sections()) {
        if (FAILED(hr))
            break;
        if (section.NameIs(".rsrc"))
            continue;
        std::string name = SectionFileName(section);
        writtenFiles_.insert(ToUpperAscii(name));
        ByteView raw = file_.From(section.pointerToRawData);
        raw = raw.Sub(0, std::min<std::uint64_t>(section.sizeOfRawData, raw.Size()));
        hr = WriteProjectFile(name, raw.Data(), raw.Size());
    }
    return hr;
}

// Bytes behind the last section (a symbol table, an installer's payload) are kept so that the
// compiler can append them again. A certificate table is left out: any change to the image
// invalidates the signature it holds.
HRESULT ExeDumper::WriteOverlay() {
    std::uint64_t start = image_.EndOfSectionData();
    if (start >= file_.Size())
        return S_OK;
    std::vector<std::uint8_t> overlay(file_.Data() + start, file_.Data() + file_.Size());
    if (auto cert = image_.DataDirectory(kSecurityDirectory); cert && cert->second) {
        std::uint64_t certStart = std::max<std::uint64_t>(cert->first, start);
        std::uint64_t certEnd =
            std::min<std::uint64_t>(std::uint64_t(cert->first) + cert->second, file_.Size());
        if (certStart < certEnd)
            overlay.erase(overlay.begin() + std::ptrdiff_t(certStart - start),
                          overlay.begin() + std::ptrdiff_t(certEnd - start));
    }
    if (overlay.empty())
        return S_OK;
    return WriteProjectFile("OVERLAY.BIN", overlay.data(), overlay.size());
}

// ---- the manifest -------------------------------------------------------------------------
//
// Directory lines end in LF alone, Entry and File lines in CR LF. Manifests have always been
// written so; XML readers take both, but tools that compare or patch manifests by their bytes
// (and the golden tests) rely on exactly these endings.

void ExeDumper::Manifest(const std::string& text) {
    if (!options.writeManifest)
        return;
    manifest_ += text;
    if (manifest_.size() >= kManifestFlushSize)
        FlushManifest();
}

HRESULT ExeDumper::FlushManifest() {
    if (!options.writeManifest || (manifest_.empty() && manifestStarted_))
        return S_OK;
    if (manifest_.empty())
        return S_OK;
    OutputFile out;
    HRESULT hr = manifestStarted_ ? out.OpenAppend(manifestPath_) : out.Create(manifestPath_);
    if (SUCCEEDED(hr))
        hr = out.Write(manifest_);
    HRESULT closed = out.Close();
    if (SUCCEEDED(hr))
        hr = closed;
    if (FAILED(hr)) {
        ReportError(kModule, __LINE__, hr, "Failed writing to file %s\n", manifestPath_.c_str());
        return hr;
    }
    manifestStarted_ = true;
    manifestFlushed_ += manifest_.size();
    manifest_.clear();
    return S_OK;
}

// ---- the resource directory tree ---------------------------------------------------------

HRESULT ExeDumper::DumpResourceSection() {
    const SectionHeader* section = image_.FindSection(".rsrc");
    if (!section && !HasResourceDirectory())
        return DumpEmptyTree();
    if (!section) {
        ReportError(kModule, __LINE__, E_FAIL, "There is no resource section in the file.");
        return E_FAIL;
    }
    ByteView raw = file_.From(section->pointerToRawData);
    rsrc_ = raw.Sub(0, std::min<std::uint64_t>(section->sizeOfRawData, raw.Size()));
    rvaToFile_ = std::int64_t(section->pointerToRawData) - std::int64_t(section->virtualAddress);
    HRESULT hr = DumpDirectory(0, 0, 0);
    if (FAILED(hr))
        ReportError(kModule, __LINE__, hr, "Failed while dumping resource (.rsrc) section\n");
    return hr;
}

bool ExeDumper::HasResourceDirectory() const {
    auto directory = image_.DataDirectory(kResourceDirectory);
    return directory && (directory->first || directory->second);
}

// Many programs are linked without resources. Their project gets a resource tree with only the
// two header entries, so that resources can be added; the compiler then gives the program a
// resource section. Resources that live in a section of another name are not taken apart
// (that file still fails above), since an empty tree would drop them.
HRESULT ExeDumper::DumpEmptyTree() {
    Manifest("<Directory Type='0' Named_Entries='2' ID_Entries='0'>\n");
    Manifest(kHeaderEntries);
    Manifest("</Directory>\n");
    return S_OK;
}

std::string ExeDumper::ReadName(std::uint32_t offset) const {
    std::uint16_t units = rsrc_.U16(offset);
    ByteView chars = rsrc_.Sub(std::uint64_t(offset) + 2, std::uint64_t(units) * 2);
    return Utf16ToUtf8(Utf16FromLittleEndian(chars.Data(), chars.Size() / 2));
}

HRESULT ExeDumper::DumpDirectory(std::uint32_t offset, int level, std::uint32_t nameOrId) {
    if (level == 1)
        currentType_ = nameOrId; // named types keep the name bit, so they match no type number
    if (!rsrc_.Has(offset, 16) || (IsNamed(nameOrId) && !rsrc_.Has(OffsetOf(nameOrId), 2))) {
        ReportError(kModule, __LINE__, E_FAIL,
                    "The resource directory at offset 0x%x lies outside the resource section\n",
                    offset);
        return E_FAIL;
    }
    if (!visited_.insert(offset).second) {
        ReportError(kModule, __LINE__, E_FAIL,
                    "The resource directory at offset 0x%x is reached a second time\n", offset);
        return E_FAIL;
    }
    unsigned named = rsrc_.U16(offset + 12);
    unsigned ids = rsrc_.U16(offset + 14);
    if (!rsrc_.Has(std::uint64_t(offset) + 16, std::uint64_t(named + ids) * 8)) {
        ReportError(kModule, __LINE__, E_FAIL,
                    "The entries of the resource directory at offset 0x%x run past the end of the "
                    "section\n",
                    offset);
        return E_FAIL;
    }
    std::string indent = Indent(level);
    if (IsNamed(nameOrId)) {
        std::string name = ProcessEntryName(ReadName(OffsetOf(nameOrId)), currentType_).name;
        std::string escaped = EscapeManifestText(name);
        if (level == 1)
            currentTypeName_ = escaped;
        Manifest(indent +
                 Format("<Directory Type='0' Name='%s' Named_Entries='%u' ID_Entries='%u'>\n",
                        escaped.c_str(), named, ids));
    } else if (level == 0) {
        Manifest(
            Format("<Directory Type='0' Named_Entries='%u' ID_Entries='%u'>\n", named + 2, ids));
        Manifest(kHeaderEntries);
    } else {
        if (level == 1)
            currentTypeName_ = std::to_string(nameOrId);
        Manifest(indent + Format("<Directory Type='%u' Named_Entries='%u' ID_Entries='%u'>\n",
                                 nameOrId, named, ids));
    }
    HRESULT hr = DumpEntries(offset, level, named, ids);
    Manifest(indent + "</Directory>\n");
    if (FAILED(hr))
        ReportError(kModule, __LINE__, hr,
                    "Failed in DumpResourceDirectory for resource type %d with error 0x%.8x\n",
                    int(currentType_), unsigned(hr));
    return hr;
}

HRESULT ExeDumper::DumpEntries(std::uint32_t offset, int level, unsigned named, unsigned ids) {
    for (unsigned i = 0; i < named + ids; ++i) {
        HRESULT hr = DumpEntry(offset + 16 + 8 * i, level + 1);
        if (FAILED(hr))
            return hr;
    }
    return S_OK;
}

void ExeDumper::NameEntry(std::uint32_t nameField, int level) {
    if (IsNamed(nameField)) {
        EntryName entry = ProcessEntryName(ReadName(OffsetOf(nameField)), currentType_);
        outputName_ = entry.fileName;
        stripExt_ = entry.stripExt;
        return;
    }
    if (currentType_ == kStringTable && level == 2)
        firstStringId_ = (nameField - 1) * 16;
    if (level == 2 && currentType_ != kStringTable) {
        outputName_ = OutputNameForId(currentType_, currentTypeName_, nameField);
        stripExt_ = false;
    }
}

HRESULT ExeDumper::DumpEntry(std::uint32_t offset, int level) {
    std::uint32_t nameField = rsrc_.U32(offset);
    std::uint32_t dataField = rsrc_.U32(offset + 4);
    bool isDirectory = IsNamed(dataField);
    std::string indent = Indent(level);
    if (IsNamed(nameField) && !rsrc_.Has(OffsetOf(nameField), 2)) {
        ReportError(kModule, __LINE__, E_FAIL,
                    "The resource name at offset 0x%x lies outside the resource section\n",
                    OffsetOf(nameField));
        return E_FAIL;
    }
    NameEntry(nameField, level);
    if (IsNamed(nameField)) {
        EntryName entry = ProcessEntryName(ReadName(OffsetOf(nameField)), currentType_);
        Manifest(indent + Format("<Entry Name='%s' Directory='%d' StripExt='%d' >\r\n",
                                 EscapeManifestText(entry.name).c_str(), isDirectory ? 1 : 0,
                                 entry.stripExt ? 1 : 0));
    } else {
        Manifest(indent +
                 Format("<Entry ID='%u' Directory='%d'>\r\n", nameField, isDirectory ? 1 : 0));
    }
    HRESULT hr = S_OK;
    if (isDirectory) {
        if (level >= kLanguageLevel) {
            ReportError(kModule, __LINE__, E_FAIL,
                        "The resource directory nests deeper than type, name and language\n");
            hr = E_FAIL;
        } else {
            hr = DumpDirectory(OffsetOf(dataField), level, nameField);
        }
    } else if (level == kLanguageLevel) {
        hr = DumpLeaf(dataField, level, IsNamed(nameField) ? 0 : nameField);
    }
    Manifest(indent + "</Entry>\r\n");
    if (FAILED(hr))
        ReportError(kModule, __LINE__, hr,
                    "Failed in DumpResourceEntry for entry %s with error 0x%.8x\n",
                    outputName_.c_str(), unsigned(hr));
    return hr;
}

HRESULT ExeDumper::DumpLeaf(std::uint32_t dataEntry, int level, unsigned language) {
    if (!rsrc_.Has(dataEntry, 16)) {
        ReportError(kModule, __LINE__, E_FAIL,
                    "The resource data entry at offset 0x%x lies outside the resource section\n",
                    dataEntry);
        return E_FAIL;
    }
    std::uint32_t rva = rsrc_.U32(dataEntry);
    std::uint32_t size = rsrc_.U32(dataEntry + 4);
    if (size == 0)
        return S_OK;
    std::int64_t at = std::int64_t(rva) + rvaToFile_;
    if (at < 0 || !file_.Has(std::uint64_t(at), size)) {
        ReportError(kModule, __LINE__, E_FAIL,
                    "The data of resource %s (RVA 0x%08x, %u bytes) lies outside the file\n",
                    outputName_.c_str(), rva, size);
        return E_FAIL;
    }
    Manifest(Indent(level));
    std::uint32_t written = size;
    int png = 0;
    HRESULT hr = WriteLeafData(file_.Sub(std::uint64_t(at), size), language, written, png);
    if (FAILED(hr))
        return hr;
    std::string name = EscapeManifestText(outputPath_);
    if (currentType_ == kBitmap) {
        std::string line =
            Format("<File Name='%s' Size='%u' Png='%d' StripExt='%d' Start='%08x' End='%08x'/>\r\n",
                   name.c_str(), written, png, stripExt_ ? 1 : 0, rva, rva + size);
        if (pngQueued_)
            pendingPngs_.back().digitOffset =
                manifestFlushed_ + manifest_.size() + line.find("Png='") + 5;
        pngQueued_ = false;
        Manifest(line);
    } else {
        Manifest(Format("<File Name='%s' Size='%u' Start='%08x' End='%08x' />\r\n", name.c_str(),
                        written, rva, rva + size));
    }
    return S_OK;
}

HRESULT ExeDumper::WriteLeafData(ByteView data, unsigned language, std::uint32_t& written,
                                 int& png) {
    switch (currentType_) {
    case kStringTable:
        outputPath_ = "STRINGS.XML";
        if (!options.writeStrings)
            return S_OK;
        return strings_->WriteBlock(data, language, firstStringId_);
    case kCursor:
    case kIcon:
        return options.writeImages ? WriteIconFile(data, language, currentType_ == kCursor)
                                   : (outputPath_ = DeriveRelativePath(language), S_OK);
    case kBitmap:
        return options.writeImages ? WriteBitmapFile(data, language, png)
                                   : (outputPath_ = DeriveRelativePath(language), S_OK);
    case kCursorGroup:
    case kIconGroup: {
        HRESULT hr = WriteRaw(data, language);
        if (SUCCEEDED(hr) && options.groupFiles) {
            std::uint32_t lastImage = 0;
            hr = WriteGroupFile(data, language, currentType_ == kCursorGroup, lastImage);
            if (lastImage != 0)
                written = lastImage;
        }
        return hr;
    }
    case kVersion:
        outputName_ = "VERSION";
        if (!options.writeVersion) {
            outputPath_ = DeriveRelativePath(language);
            return S_OK;
        }
        return WriteRaw(data, language);
    default:
        if (!options.writeRaw) {
            outputPath_ = DeriveRelativePath(language);
            return S_OK;
        }
        return WriteRaw(data, language);
    }
}

// ---- resource files ---------------------------------------------------------------------

std::string ExeDumper::DeriveRelativePath(unsigned language) const {
    OutputLocation where = LocateOutput(outputName_, options.visualStyleNaming);
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

HRESULT ExeDumper::OpenOutput(unsigned language) {
    CloseOutput();
    outputPath_ = DeriveRelativePath(language);
    std::size_t slash = outputPath_.find('\\');
    if (slash != std::string::npos) {
        std::string subfolder = folder_ + outputPath_.substr(0, slash);
        HRESULT hr = CreateFolders(subfolder);
        if (FAILED(hr)) {
            ReportError(kModule, __LINE__, hr, "Failed to Create Directory %s", subfolder.c_str());
            return hr;
        }
    }
    std::string path = folder_ + ToHostPath(outputPath_);
    HRESULT hr = output_.Create(path);
    if (FAILED(hr)) {
        ReportError(kModule, __LINE__, hr, "Failed to Create File %s", path.c_str());
        return hr;
    }
    writtenFiles_.insert(ToUpperAscii(outputPath_));
    return S_OK;
}

HRESULT ExeDumper::WriteOutput(const void* data, std::size_t size) {
    HRESULT hr = output_.Write(data, size);
    if (FAILED(hr))
        ReportError(kModule, __LINE__, hr, "Failed writing to file with error 0x%.8x\n",
                    unsigned(hr));
    return hr;
}

HRESULT ExeDumper::CloseOutput() {
    HRESULT hr = output_.Close();
    if (FAILED(hr))
        ReportError(kModule, __LINE__, hr, "Failed closing file with error 0x%.8x\n", unsigned(hr));
    return hr;
}

HRESULT ExeDumper::WriteRaw(ByteView data, unsigned language) {
    HRESULT hr = OpenOutput(language);
    if (SUCCEEDED(hr))
        hr = WriteOutput(data.Data(), data.Size());
    HRESULT closed = CloseOutput();
    return FAILED(hr) ? hr : closed;
}

HRESULT ExeDumper::WriteBitmapFile(ByteView data, unsigned language, int& png) {
    png = 0;
    DibHeader dib = DibHeader::Read(data);
    if (dib.compression == kDibBitFields)
        prompter_.Ask("biCompression", "Bad", MB_OK);
    std::vector<std::uint8_t> header;
    BitmapFileHeaderFor(data).Append(header);
    HRESULT hr = OpenOutput(language);
    if (SUCCEEDED(hr))
        hr = WriteOutput(header.data(), header.size());
    if (SUCCEEDED(hr))
        hr = WriteOutput(data.Data(), data.Size());
    HRESULT closed = CloseOutput();
    if (FAILED(hr) || FAILED(closed))
        return FAILED(hr) ? hr : closed;
    // Only a file that ends in BMP is turned into PNG: the PNG takes the same name with "png" as
    // its last three letters, which for any other name would be the bitmap file itself.
    if (!options.convertPng || dib.bitCount != 32 || !EndsWithNoCase(outputPath_, "BMP"))
        return S_OK;
    QueuePngConversion(folder_ + ToHostPath(outputPath_));
    return S_OK;
}

void ExeDumper::QueuePngConversion(const std::string& bmpPath) {
    if (!pool_)
        pool_ = std::make_unique<TaskPool>();
    PendingPng pending;
    pending.bmpPath = bmpPath;
    pending.converted = pool_->Submit<bool>(
        [this, bmpPath] { return ConvertBmpToPngExactly(bmpPath, diagnostics_); });
    pendingPngs_.push_back(std::move(pending));
    pngQueued_ = true;
}

// Waits for the PNG files; each one written replaces its bitmap file, and its File line's Png
// digit becomes 1. A conversion that failed leaves the bitmap file and Png='0'.
HRESULT ExeDumper::FinishPngConversions() {
    HRESULT result = S_OK;
    for (PendingPng& pending : pendingPngs_) {
        if (!pending.converted.get() || !options.writeManifest)
            continue;
        std::error_code ignored;
        std::filesystem::remove(pending.bmpPath, ignored);
        HRESULT hr = PatchManifestByte(pending.digitOffset, '1');
        if (FAILED(hr))
            result = hr;
    }
    pendingPngs_.clear();
    return result;
}

HRESULT ExeDumper::PatchManifestByte(std::uint64_t offset, char value) {
    if (offset >= manifestFlushed_) {
        manifest_[std::size_t(offset - manifestFlushed_)] = value;
        return S_OK;
    }
    std::FILE* file = std::fopen(manifestPath_.c_str(), "r+b");
    bool ok =
        file && std::fseek(file, long(offset), SEEK_SET) == 0 && std::fputc(value, file) != EOF;
    if (file && std::fclose(file) != 0)
        ok = false;
    if (!ok) {
        ReportError(kModule, __LINE__, E_FAIL, "Failed writing to file %s\n",
                    manifestPath_.c_str());
        return E_FAIL;
    }
    return S_OK;
}

HRESULT ExeDumper::WriteIconFile(ByteView data, unsigned language, bool cursor) {
    std::vector<std::uint8_t> file = SingleImageFileOfResource(data, cursor);
    HRESULT hr = OpenOutput(language);
    if (SUCCEEDED(hr))
        hr = WriteOutput(file.data(), file.size());
    HRESULT closed = CloseOutput();
    return FAILED(hr) ? hr : closed;
}

HRESULT ExeDumper::WriteGroupFile(ByteView data, unsigned language, bool cursor,
                                  std::uint32_t& lastImage) {
    std::string rawName = outputName_;
    std::string rawPath = outputPath_;
    outputName_ += cursor ? ".cur" : ".ico";
    auto memberFile = [&](unsigned id) {
        std::string name = Format(cursor ? "Cursor%.5u.cur" : "Icon%.5u.ico", id);
        std::optional<std::string> path = ResolveInFolder(folder_, name);
        std::vector<std::uint8_t> bytes;
        if (path)
            ReadWholeFile(*path, bytes);
        return bytes;
    };
    std::optional<std::vector<std::uint8_t>> file = GroupFile(data, cursor, memberFile, lastImage);
    if (!file) {
        ReportError(kModule, __LINE__, E_FAIL,
                    "The group %s claims more image bytes than any group file can hold\n",
                    rawName.c_str());
        outputName_ = rawName;
        return E_FAIL;
    }
    HRESULT hr = OpenOutput(language);
    if (SUCCEEDED(hr))
        hr = WriteOutput(file->data(), file->size());
    HRESULT closed = CloseOutput();
    outputName_ = rawName;
    outputPath_ = rawPath;
    return FAILED(hr) ? hr : closed;
}

} // namespace vellum
