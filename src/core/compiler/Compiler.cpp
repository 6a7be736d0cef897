#include "compiler/Compiler.h"

#include "common/ByteView.h"
#include "common/ErrorTrail.h"
#include "common/FileIo.h"
#include "common/MappedFile.h"
#include "common/Path.h"
#include "common/Strings.h"
#include "common/XmlDocument.h"
#include "compiler/ResourceSection.h"
#include "compiler/StringTables.h"
#include "formats/PeImage.h"

#include <algorithm>
#include <cstdarg>

namespace vellum {

namespace {

constexpr const char* kModule = "compile";

std::uint32_t Get32(const std::vector<std::uint8_t>& b, std::size_t at) {
    return ByteView(b.data(), b.size()).U32(at);
}
void Set32(std::vector<std::uint8_t>& b, std::size_t at, std::uint32_t v) {
    if (at + 4 > b.size())
        return;
    for (int i = 0; i < 4; ++i)
        b[at + i] = std::uint8_t(v >> (8 * i));
}
std::uint64_t AlignUp(std::uint64_t value, std::uint32_t alignment) {
    return alignment ? (value + alignment - 1) / alignment * alignment : value;
}
void Put16(std::vector<std::uint8_t>& b, std::size_t at, unsigned v) {
    if (at + 2 > b.size())
        return;
    b[at] = std::uint8_t(v);
    b[at + 1] = std::uint8_t(v >> 8);
}

// IMAGE_SCN_CNT_INITIALIZED_DATA | IMAGE_SCN_MEM_READ, as linkers mark .rsrc.
constexpr std::uint32_t kResourceCharacteristics = 0x40000040;

// The NT headers as NTHEADER.BIN holds them, with the offsets of the fields the assembly patches.
// All offsets are inside the copy; writes outside it are dropped.
struct NtHeaders {
    std::vector<std::uint8_t> bytes;

    std::uint32_t Optional() const { return 24; }
    bool Plus() const { return ByteView(bytes.data(), bytes.size()).U16(24) == kMagicPe32Plus; }
    std::uint16_t SectionCount() const { return ByteView(bytes.data(), bytes.size()).U16(6); }
    std::uint16_t OptionalSize() const { return ByteView(bytes.data(), bytes.size()).U16(20); }
    // PE32 tables start after the standard 224-byte optional header, as the decompiler reads them.
    std::size_t SectionTable() const { return Plus() ? 24u + OptionalSize() : kNtHeaders32Size; }
    std::size_t Section(unsigned i) const { return SectionTable() + kSectionHeaderSize * i; }
    std::size_t Directory(unsigned index) const {
        return Optional() + (Plus() ? 112 : 96) + 8 * index;
    }
    std::uint32_t DirectoryCount() const { return Get32(bytes, Optional() + (Plus() ? 108 : 92)); }
    std::uint32_t FileAlignment() const { return Get32(bytes, Optional() + 36); }
    std::uint32_t SectionAlignment() const { return Get32(bytes, Optional() + 32); }
    std::uint32_t SizeOfHeaders() const { return Get32(bytes, Optional() + 60); }

    SectionHeader Header(unsigned i) const {
        SectionHeader s;
        std::size_t at = Section(i);
        if (at + kSectionHeaderSize > bytes.size())
            return s;
        std::copy(bytes.begin() + std::ptrdiff_t(at), bytes.begin() + std::ptrdiff_t(at + 8),
                  s.name);
        s.virtualSize = Get32(bytes, at + 8);
        s.virtualAddress = Get32(bytes, at + 12);
        s.sizeOfRawData = Get32(bytes, at + 16);
        s.pointerToRawData = Get32(bytes, at + 20);
        return s;
    }
    unsigned AvailableSections() const {
        std::size_t room = bytes.size() > SectionTable() ? bytes.size() - SectionTable() : 0;
        return unsigned(std::min<std::size_t>(SectionCount(), room / kSectionHeaderSize));
    }
    // Where the sections' memory ends: the highest address plus virtual size (raw size when the
    // virtual size is 0), aligned to SectionAlignment.
    std::uint32_t SectionsEnd() const {
        std::uint64_t end = 0;
        for (unsigned i = 0; i < AvailableSections(); ++i) {
            SectionHeader s = Header(i);
            std::uint32_t size = s.virtualSize ? s.virtualSize : s.sizeOfRawData;
            end =
                std::max(end, AlignUp(std::uint64_t(s.virtualAddress) + size, SectionAlignment()));
        }
        return std::uint32_t(std::min<std::uint64_t>(end, 0xFFFFFFFFu));
    }
    void SetDirectory(unsigned index, std::size_t field, std::uint32_t value) {
        if (index < DirectoryCount())
            Set32(bytes, Directory(index) + field, value);
    }
};

bool NameIsNoCase(const SectionHeader& s, const char* name) {
    return EqualsNoCase(s.Name(), name);
}

bool HasResourceSection(const NtHeaders& nt) {
    for (unsigned i = 0; i < nt.AvailableSections(); ++i)
        if (NameIsNoCase(nt.Header(i), ".rsrc"))
            return true;
    return false;
}

// The smallest raw data offset of the sections; 0xFFFFFFFF when none has data.
std::uint32_t FirstRawData(const NtHeaders& nt) {
    std::uint32_t first = 0xFFFFFFFF;
    for (unsigned i = 0; i < nt.AvailableSections(); ++i)
        if (std::uint32_t raw = nt.Header(i).pointerToRawData)
            first = std::min(first, raw);
    return first;
}

bool IsZero(const std::vector<std::uint8_t>& b, std::size_t at, std::size_t size) {
    for (std::size_t i = at; i < std::min(b.size(), at + size); ++i)
        if (b[i])
            return false;
    return true;
}

// Where the source file's section data ended: its overlay started there.
std::uint64_t EndOfSections(const NtHeaders& nt) {
    std::uint64_t end = Get32(nt.bytes, nt.Optional() + 60); // SizeOfHeaders
    for (unsigned i = 0; i < nt.AvailableSections(); ++i) {
        SectionHeader s = nt.Header(i);
        if (s.pointerToRawData && s.sizeOfRawData)
            end = std::max<std::uint64_t>(end, std::uint64_t(s.pointerToRawData) + s.sizeOfRawData);
    }
    return end;
}

// Appends OVERLAY.BIN (the bytes the source had behind its sections) and moves a symbol table
// that lies in it. The certificate table was not kept, so its directory entry is cleared.
void AppendOverlay(const std::string& folder, const NtHeaders& original, NtHeaders& nt,
                   std::vector<std::uint8_t>& image) {
    if (Get32(nt.bytes, nt.Directory(kSecurityDirectory)) &&
        kSecurityDirectory < nt.DirectoryCount()) {
        nt.SetDirectory(kSecurityDirectory, 0, 0);
        nt.SetDirectory(kSecurityDirectory, 4, 0);
    }
    std::optional<std::string> path = ResolveInFolder(folder, "OVERLAY.BIN");
    MappedFile overlay;
    if (!path || FAILED(overlay.Open(*path)) || overlay.Size() == 0)
        return;
    std::uint64_t oldStart = EndOfSections(original);
    std::uint64_t newStart = image.size();
    image.insert(image.end(), overlay.Data(), overlay.Data() + overlay.Size());
    std::uint32_t symbols = Get32(nt.bytes, 12);
    if (symbols >= oldStart && symbols < oldStart + overlay.Size())
        Set32(nt.bytes, 12, std::uint32_t(symbols - oldStart + newStart));
}

// Why a section header cannot be added after the section table, or null when it can. `fileEnd`
// is where the new header would end in the output file.
const char* NewSectionProblem(const NtHeaders& nt, std::uint64_t fileEnd, std::uint32_t firstRaw) {
    std::size_t at = nt.Section(nt.SectionCount());
    if (nt.SectionCount() != nt.AvailableSections())
        return "its section table is incomplete";
    if (nt.DirectoryCount() <= kResourceDirectory)
        return "its optional header has no resource data directory";
    if (firstRaw == 0xFFFFFFFF ? at + kSectionHeaderSize > nt.bytes.size() : fileEnd > firstRaw)
        return "the headers have no room for one more section header before the first section";
    if (!IsZero(nt.bytes, at, kSectionHeaderSize))
        return "the space after the section table is in use";
    if (nt.SizeOfHeaders() < fileEnd && AlignUp(fileEnd, nt.FileAlignment()) > firstRaw)
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
    std::size_t at = nt.Section(count);
    std::uint64_t fileEnd = ntPosition + at + kSectionHeaderSize;
    if (const char* problem = NewSectionProblem(nt, fileEnd, firstRaw)) {
        ReportError(kModule, __LINE__, E_FAIL, "A resource section cannot be added to %s: %s.\n",
                    outputName.c_str(), problem);
        return E_FAIL;
    }
    nt.bytes.resize(std::max(nt.bytes.size(), at + kSectionHeaderSize), 0);
    static const char kName[8] = {'.', 'r', 's', 'r', 'c', 0, 0, 0};
    std::copy(kName, kName + 8, nt.bytes.begin() + std::ptrdiff_t(at));
    std::uint32_t rva = nt.SectionsEnd();
    Set32(nt.bytes, at + 12, rva);
    Set32(nt.bytes, at + 36, kResourceCharacteristics);
    Put16(nt.bytes, 6, count + 1);
    nt.SetDirectory(kResourceDirectory, 0, rva);
    if (nt.SizeOfHeaders() < fileEnd)
        Set32(nt.bytes, nt.Optional() + 60, std::uint32_t(AlignUp(fileEnd, nt.FileAlignment())));
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
    if (image_.size() < size)
        image_.resize(std::size_t(size), 0);
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
    HRESULT hr = Assemble(manifestPath);
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
    hr = NormalizeStrings(folder_, prompter_);
    if (FAILED(hr))
        return hr;
    if (FAILED(hr = AppendFile("DOSHEADER.BIN", nullptr)))
        return hr;
    std::size_t ntPosition = image_.size();
    NtHeaders nt;
    if (FAILED(hr = AppendFile("NTHEADER.BIN", &nt.bytes)))
        return hr;
    std::uint64_t headersEnd = image_.size();
    const NtHeaders original = nt;
    std::uint32_t first = FirstRawData(nt);
    bool newSection = !HasResourceSection(nt) && ResourceSectionBuilder::HasResourceTypes(manifest);
    if (newSection && FAILED(hr = AddResourceSectionHeader(nt, ntPosition, first, outputName_)))
        return hr;
    unsigned count = nt.AvailableSections();

    Trace("Min Address is %8X\n", first);
    Trace("Must pad %8X\n", std::uint32_t(first - headersEnd));
    if (first != 0xFFFFFFFF && first > headersEnd)
        PadTo(first);

    std::uint32_t fileAlignment = nt.FileAlignment() ? nt.FileAlignment() : 1;
    std::int64_t rawShift = 0, virtualShift = 0;
    bool resourceDone = false;
    for (unsigned i = 0; i < count; ++i) {
        SectionHeader s = nt.Header(i);
        std::size_t at = nt.Section(i);
        Trace("SECTION: %s\n", s.Name().c_str());
        if (!NameIsNoCase(s, ".rsrc")) {
            std::uint64_t expected = s.pointerToRawData + (resourceDone ? rawShift : 0);
            if (s.pointerToRawData && image_.size() < expected)
                PadTo(expected); // keep a gap the source file had
            if (FAILED(hr = AppendFile(SectionFileName(s), nullptr)))
                return hr;
            PadTo(AlignUp(image_.size(), fileAlignment));
            if (resourceDone) {
                Set32(nt.bytes, at + 12, std::uint32_t(s.virtualAddress + virtualShift));
                if (s.pointerToRawData)
                    Set32(nt.bytes, at + 20, std::uint32_t(s.pointerToRawData + rawShift));
                if (NameIsNoCase(s, ".reloc")) {
                    std::uint32_t relocations = Get32(nt.bytes, nt.Directory(kRelocationDirectory));
                    nt.SetDirectory(kRelocationDirectory, 0,
                                    std::uint32_t(relocations + virtualShift));
                }
            }
            continue;
        }
        Trace("RESOURCE section\n");
        std::uint32_t start = std::uint32_t(image_.size());
        ResourceSectionBuilder builder(folder_, prompter_, trace_);
        builder.BuildInto(manifest, s.virtualAddress, image_);
        missingFiles_ = missingFiles_ || builder.MissingFiles();
        Trace("RESOURCE at 0x%.8x\n", std::uint32_t(image_.size()));
        std::uint32_t size = std::uint32_t(image_.size() - start);
        nt.SetDirectory(kResourceDirectory, 4, size);
        Set32(nt.bytes, at + 8, size);
        Set32(nt.bytes, at + 20, start);
        PadTo(AlignUp(image_.size(), fileAlignment));
        std::uint32_t newRaw = std::uint32_t(image_.size() - start);
        Set32(nt.bytes, at + 16, newRaw);
        rawShift = std::int64_t(newRaw) - s.sizeOfRawData;
        virtualShift = std::int64_t(AlignUp(newRaw, nt.SectionAlignment())) -
                       std::int64_t(AlignUp(s.sizeOfRawData, nt.SectionAlignment()));
        resourceDone = true;
    }
    std::size_t opt = nt.Optional();
    Set32(nt.bytes, opt + 56, std::uint32_t(Get32(nt.bytes, opt + 56) + virtualShift));
    Set32(nt.bytes, opt + 8, std::uint32_t(Get32(nt.bytes, opt + 8) + virtualShift));
    if (newSection)
        Set32(nt.bytes, opt + 56, std::max(Get32(nt.bytes, opt + 56), nt.SectionsEnd()));
    AppendOverlay(folder_, original, nt, image_);
    std::copy(nt.bytes.begin(), nt.bytes.end(), image_.begin() + std::ptrdiff_t(ntPosition));
    return S_OK;
}

} // namespace vellum
