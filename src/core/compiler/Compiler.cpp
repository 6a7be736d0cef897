#include "compiler/Compiler.h"

#include "common/ByteView.h"
#include "common/ErrorTrail.h"
#include "common/FileIo.h"
#include "common/MappedFile.h"
#include "common/Path.h"
#include "common/Strings.h"
#include "common/TrailModules.h"
#include "common/XmlDocument.h"
#include "compiler/ResourceSection.h"
#include "compiler/StringTables.h"
#include "formats/NtHeaders.h"
#include "formats/PeImage.h"

#include <algorithm>
#include <cstdarg>
#include <new>

namespace vellum {

namespace {

constexpr const char* kModule = trail::kCompiler;

// IMAGE_SCN_CNT_INITIALIZED_DATA | IMAGE_SCN_MEM_READ, as linkers mark .rsrc.
constexpr std::uint32_t kResourceCharacteristics = 0x40000040;
constexpr std::uint32_t kNoRawData = 0xFFFFFFFF;
// File offsets in a PE file are 32 bits wide, and the format's largest file alignment is 64 KB.
// A project whose headers ask for more (a damaged or hand-edited NTHEADER.BIN) is refused before
// gigabytes of padding are written.
constexpr std::uint64_t kMaxImageSize = 0xFFFFFFFF;
constexpr std::uint32_t kMaxFileAlignment = 0x10000;

std::uint64_t AlignUp(std::uint64_t value, std::uint32_t alignment) {
    return alignment ? (value + alignment - 1) / alignment * alignment : value;
}

bool NameIsNoCase(const SectionHeader& s, const char* name) {
    return EqualsNoCase(s.Name(), name);
}

bool HasResourceSection(const NtHeaders& nt) {
    for (unsigned i = 0; i < nt.AvailableSections(); ++i)
        if (NameIsNoCase(nt.Section(i), ".rsrc"))
            return true;
    return false;
}

// The smallest raw data offset of the sections; kNoRawData when none has data.
std::uint32_t FirstRawData(const NtHeaders& nt) {
    std::uint32_t first = kNoRawData;
    for (unsigned i = 0; i < nt.AvailableSections(); ++i)
        if (std::uint32_t raw = nt.Section(i).pointerToRawData)
            first = std::min(first, raw);
    return first;
}

// Where the sections' memory ends: the highest address plus virtual size (raw size when the
// virtual size is 0), aligned to SectionAlignment.
std::uint32_t SectionsEnd(const NtHeaders& nt) {
    std::uint64_t end = 0;
    std::uint32_t alignment = nt.Optional(pe::kSectionAlignment);
    for (unsigned i = 0; i < nt.AvailableSections(); ++i) {
        SectionHeader s = nt.Section(i);
        std::uint32_t size = s.virtualSize ? s.virtualSize : s.sizeOfRawData;
        end = std::max(end, AlignUp(std::uint64_t(s.virtualAddress) + size, alignment));
    }
    return std::uint32_t(std::min<std::uint64_t>(end, 0xFFFFFFFFu));
}

// Where the source file's section data ended: its overlay started there.
std::uint64_t EndOfSections(const NtHeaders& nt) {
    std::uint64_t end = nt.Optional(pe::kSizeOfHeaders);
    for (unsigned i = 0; i < nt.AvailableSections(); ++i) {
        SectionHeader s = nt.Section(i);
        if (s.pointerToRawData && s.sizeOfRawData)
            end = std::max<std::uint64_t>(end, std::uint64_t(s.pointerToRawData) + s.sizeOfRawData);
    }
    return end;
}

bool IsZero(const std::vector<std::uint8_t>& b, std::size_t at, std::size_t size) {
    for (std::size_t i = at; i < std::min(b.size(), at + size); ++i)
        if (b[i])
            return false;
    return true;
}

// Appends OVERLAY.BIN (the bytes the source had behind its sections) and moves a symbol table
// that lies in it. The certificate table was not kept, so its directory entry is cleared.
void AppendOverlay(const std::string& folder, const NtHeaders& original, NtHeaders& nt,
                   std::vector<std::uint8_t>& image) {
    if (nt.DirectoryAddress(kSecurityDirectory))
        nt.SetDirectory(kSecurityDirectory, 0, 0);
    std::optional<std::string> path = ResolveInFolder(folder, "OVERLAY.BIN");
    MappedFile overlay;
    if (!path || FAILED(overlay.Open(*path)) || overlay.Size() == 0)
        return;
    std::uint64_t oldStart = EndOfSections(original);
    std::uint64_t newStart = image.size();
    image.insert(image.end(), overlay.Data(), overlay.Data() + overlay.Size());
    std::uint32_t symbols = nt.PointerToSymbolTable();
    if (symbols >= oldStart && symbols < oldStart + overlay.Size())
        nt.SetPointerToSymbolTable(std::uint32_t(symbols - oldStart + newStart));
}

// Why a section header cannot be added after the section table, or null when it can. `fileEnd`
// is where the new header would end in the output file.
const char* NewSectionProblem(const NtHeaders& nt, std::uint64_t fileEnd, std::uint32_t firstRaw) {
    std::size_t at = nt.SectionAt(nt.SectionCount());
    if (nt.SectionCount() != nt.AvailableSections())
        return "its section table is incomplete";
    if (nt.DirectoryCount() <= kResourceDirectory)
        return "its optional header has no resource data directory";
    if (firstRaw == kNoRawData ? at + kSectionHeaderSize > nt.bytes.size() : fileEnd > firstRaw)
        return "the headers have no room for one more section header before the first section";
    if (!IsZero(nt.bytes, at, kSectionHeaderSize))
        return "the space after the section table is in use";
    if (nt.Optional(pe::kSizeOfHeaders) < fileEnd &&
        AlignUp(fileEnd, nt.Optional(pe::kFileAlignment)) > firstRaw)
        return "SizeOfHeaders cannot grow to hold one more section header";
    return nullptr;
}

// A program linked without resources gets a resource section behind its last section, in file
// and in memory. Its header goes after the section table, into the zero padding that runs up to
// the first section's data; the assembly then fills in its place and size like any resource
// section's.
HRESULT AddResourceSectionHeader(NtHeaders& nt, std::size_t ntPosition, std::uint32_t firstRaw,
                                 const std::string& outputName) {
    unsigned count = nt.SectionCount();
    std::size_t at = nt.SectionAt(count);
    std::uint64_t fileEnd = ntPosition + at + kSectionHeaderSize;
    if (const char* problem = NewSectionProblem(nt, fileEnd, firstRaw)) {
        ReportError(kModule, __LINE__, E_FAIL, "A resource section cannot be added to %s: %s.\n",
                    outputName.c_str(), problem);
        return E_FAIL;
    }
    nt.bytes.resize(std::max(nt.bytes.size(), at + kSectionHeaderSize), 0);
    std::uint32_t rva = SectionsEnd(nt);
    nt.SetSectionCount(std::uint16_t(count + 1));
    nt.SetSectionName(count, ".rsrc");
    nt.SetSectionField(count, pe::kVirtualAddress, rva);
    nt.SetSectionField(count, pe::kSectionCharacteristics, kResourceCharacteristics);
    nt.SetDirectoryAddress(kResourceDirectory, rva);
    if (nt.Optional(pe::kSizeOfHeaders) < fileEnd)
        nt.SetOptional(pe::kSizeOfHeaders,
                       std::uint32_t(AlignUp(fileEnd, nt.Optional(pe::kFileAlignment))));
    return S_OK;
}

} // namespace

Compiler::Compiler(Prompter& prompter, std::FILE* trace) : prompter_(prompter), trace_(trace) {}

void Compiler::SetPaths(const std::string& outputName, const std::string& projectFolder) {
    outputName_ = outputName;
    folder_ = WithTrailingSeparator(projectFolder);
}

void Compiler::Trace(const char* format, ...) {
    if (!trace_)
        return;
    std::va_list args;
    va_start(args, format);
    std::vfprintf(trace_, format, args);
    va_end(args);
}

void Compiler::WriteBytes(const void* data, std::size_t size) {
    const auto* p = static_cast<const std::uint8_t*>(data);
    image_.insert(image_.end(), p, p + size);
}

void Compiler::PadTo(std::uint64_t size) {
    if (size > kMaxImageSize)
        tooLarge_ = true;
    else if (image_.size() < size)
        image_.resize(std::size_t(size), 0);
}

// Gaps and alignment come from NTHEADER.BIN; sizes beyond the format are refused, not padded.
HRESULT Compiler::CheckLayout(const NtHeaders& nt) const {
    std::uint32_t alignment = nt.Optional(pe::kFileAlignment);
    if (alignment > kMaxFileAlignment) {
        ReportError(kModule, __LINE__, E_FAIL,
                    "NTHEADER.BIN gives a file alignment of 0x%X; the largest an executable can "
                    "have is 0x%X.\n",
                    alignment, kMaxFileAlignment);
        return E_FAIL;
    }
    bool beyond = tooLarge_ || image_.size() > kMaxImageSize;
    for (unsigned i = 0; i < nt.AvailableSections() && !beyond; ++i) {
        SectionHeader s = nt.Section(i);
        beyond = std::uint64_t(s.pointerToRawData) + s.sizeOfRawData > kMaxImageSize;
    }
    if (beyond) {
        ReportError(kModule, __LINE__, E_FAIL,
                    "The section table in NTHEADER.BIN places data beyond 4 GB, further than an "
                    "executable can reach.\n");
        return E_FAIL;
    }
    return S_OK;
}

HRESULT Compiler::AppendFile(const std::string& name, std::vector<std::uint8_t>* copy) {
    std::optional<std::string> path = ResolveInFolder(folder_, name);
    std::vector<std::uint8_t> bytes;
    HRESULT hr = path ? ReadWholeFile(*path, bytes) : HRESULT_FROM_WIN32(ERROR_FILE_NOT_FOUND);
    if (FAILED(hr)) {
        std::string full = ToHostPath(folder_ + name);
        prompter_.Ask(Format("Couldn't open: %s", full.c_str()), "Error", MB_OK);
        ReportError(kModule, __LINE__, hr, "Failed to transfer file %s to compilation directory.\n",
                    full.c_str());
        ReportError(kModule, __LINE__, hr, "%s", ErrorText(kModule, hr).c_str());
        return hr;
    }
    WriteBytes(bytes.data(), bytes.size());
    if (copy)
        *copy = std::move(bytes);
    return S_OK;
}

HRESULT Compiler::Fail(HRESULT hr) {
    prompter_.Ask("Compilation failed", "TEST", MB_OK);
    image_.clear();
    return hr;
}

HRESULT Compiler::Compile(const std::string& manifestPath) {
    image_.clear();
    missingFiles_ = false;
    tooLarge_ = false;
    HRESULT hr = E_OUTOFMEMORY;
    // The whole output is assembled in memory; a large file on a small machine is refused.
    try {
        hr = Assemble(manifestPath);
    } catch (const std::bad_alloc&) {
        image_ = {};
        ReportError(kModule, __LINE__, hr, "Not enough memory to assemble %s.\n",
                    OutputPath().c_str());
    }
    if (FAILED(hr))
        return Fail(hr);
    hr = ReplaceFileContents(OutputPath(), image_.data(), image_.size());
    image_.clear();
    if (FAILED(hr)) {
        ReportError(kModule, __LINE__, hr, "Failed to write %s\n", OutputPath().c_str());
        return Fail(hr);
    }
    return S_OK;
}

HRESULT Compiler::Assemble(const std::string& manifestPath) {
    XmlDocument manifest;
    HRESULT hr = manifest.Load(manifestPath);
    if (FAILED(hr)) {
        prompter_.Ask("ProcessXML", manifestPath, MB_OK);
        ReportError(kModule, __LINE__, hr, "Failed to load the manifest %s\n",
                    manifestPath.c_str());
        return hr;
    }
    if (FAILED(hr = NormalizeStrings(folder_, prompter_)))
        return hr;
    if (FAILED(hr = AppendFile("DOSHEADER.BIN", nullptr)))
        return hr;
    std::size_t ntPosition = image_.size();
    NtHeaders nt;
    if (FAILED(hr = AppendFile("NTHEADER.BIN", &nt.bytes)))
        return hr;
    if (FAILED(hr = CheckLayout(nt)))
        return hr;
    std::uint64_t headersEnd = image_.size();
    const NtHeaders original = nt;
    std::uint32_t first = FirstRawData(nt);
    bool newSection = !HasResourceSection(nt) && ResourceSectionBuilder::HasResourceTypes(manifest);
    if (newSection && FAILED(hr = AddResourceSectionHeader(nt, ntPosition, first, outputName_)))
        return hr;
    Trace("Min Address is %8X\n", first);
    Trace("Must pad %8X\n", std::uint32_t(first - headersEnd));
    if (first != kNoRawData && first > headersEnd)
        PadTo(first);
    if (FAILED(hr = AppendSections(manifest, nt)) || FAILED(hr = CheckLayout(nt)))
        return hr;
    if (newSection)
        nt.SetOptional(pe::kSizeOfImage, std::max(nt.Optional(pe::kSizeOfImage), SectionsEnd(nt)));
    AppendOverlay(folder_, original, nt, image_);
    std::copy(nt.bytes.begin(), nt.bytes.end(), image_.begin() + std::ptrdiff_t(ntPosition));
    return S_OK;
}

// Every section in table order: the resource section generated anew, the others copied from
// their files; those behind the resource section move by what it grew or shrank.
HRESULT Compiler::AppendSections(XmlDocument& manifest, NtHeaders& nt) {
    Shift shift;
    std::vector<SectionHeader> sections;
    for (unsigned i = 0; i < nt.AvailableSections(); ++i)
        sections.push_back(nt.Section(i));
    std::vector<std::string> files = SectionFileNames(sections);
    for (unsigned i = 0; i < sections.size(); ++i) {
        const SectionHeader& s = sections[i];
        Trace("SECTION: %s\n", s.Name().c_str());
        HRESULT hr = NameIsNoCase(s, ".rsrc") ? AppendResourceSection(manifest, nt, i, shift)
                                              : AppendCopiedSection(nt, i, files[i], shift);
        if (FAILED(hr))
            return hr;
    }
    nt.SetOptional(pe::kSizeOfImage, std::uint32_t(nt.Optional(pe::kSizeOfImage) + shift.virtual_));
    nt.SetOptional(pe::kSizeOfInitializedData,
                   std::uint32_t(nt.Optional(pe::kSizeOfInitializedData) + shift.virtual_));
    return S_OK;
}

HRESULT Compiler::AppendCopiedSection(NtHeaders& nt, unsigned i, const std::string& file,
                                      const Shift& shift) {
    SectionHeader s = nt.Section(i);
    std::uint64_t expected = s.pointerToRawData + (shift.resourceDone ? shift.raw : 0);
    if (s.pointerToRawData && image_.size() < expected)
        PadTo(expected); // keep a gap the source file had
    if (HRESULT hr = AppendFile(file, nullptr); FAILED(hr))
        return hr;
    PadTo(AlignUp(image_.size(), FileAlignment(nt)));
    if (!shift.resourceDone)
        return S_OK;
    nt.SetSectionField(i, pe::kVirtualAddress, std::uint32_t(s.virtualAddress + shift.virtual_));
    if (s.pointerToRawData)
        nt.SetSectionField(i, pe::kPointerToRawData, std::uint32_t(s.pointerToRawData + shift.raw));
    if (NameIsNoCase(s, ".reloc"))
        nt.SetDirectoryAddress(
            kRelocationDirectory,
            std::uint32_t(nt.DirectoryAddress(kRelocationDirectory) + shift.virtual_));
    return S_OK;
}

HRESULT Compiler::AppendResourceSection(XmlDocument& manifest, NtHeaders& nt, unsigned i,
                                        Shift& shift) {
    SectionHeader s = nt.Section(i);
    Trace("RESOURCE section\n");
    std::uint32_t start = std::uint32_t(image_.size());
    ResourceSectionBuilder builder(folder_, prompter_, trace_);
    builder.BuildInto(manifest, s.virtualAddress, image_);
    missingFiles_ = missingFiles_ || builder.MissingFiles();
    Trace("RESOURCE at 0x%.8x\n", std::uint32_t(image_.size()));
    std::uint32_t size = std::uint32_t(image_.size() - start);
    nt.SetDirectorySize(kResourceDirectory, size);
    nt.SetSectionField(i, pe::kVirtualSize, size);
    nt.SetSectionField(i, pe::kPointerToRawData, start);
    PadTo(AlignUp(image_.size(), FileAlignment(nt)));
    std::uint32_t newRaw = std::uint32_t(image_.size() - start);
    nt.SetSectionField(i, pe::kSizeOfRawData, newRaw);
    std::uint32_t sectionAlignment = nt.Optional(pe::kSectionAlignment);
    shift.raw = std::int64_t(newRaw) - s.sizeOfRawData;
    shift.virtual_ = std::int64_t(AlignUp(newRaw, sectionAlignment)) -
                     std::int64_t(AlignUp(s.sizeOfRawData, sectionAlignment));
    shift.resourceDone = true;
    return S_OK;
}

std::uint32_t Compiler::FileAlignment(const NtHeaders& nt) {
    std::uint32_t alignment = nt.Optional(pe::kFileAlignment);
    return alignment ? alignment : 1;
}

} // namespace vellum
