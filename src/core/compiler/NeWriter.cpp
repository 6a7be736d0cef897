// Writing 16-bit icon libraries from a manifest and the blank library.
#include "compiler/NeWriter.h"

#include "common/ErrorTrail.h"
#include "common/FileIo.h"
#include "common/Path.h"
#include "common/Strings.h"
#include "common/TrailModules.h"
#include "formats/IconDirectory.h"
#include "formats/NeFormat.h"

#include <cmath>
#include <optional>

namespace vellum {

using namespace ne;

namespace {

constexpr const char* kModule = trail::kNeWriter;
// Moveable, pure and discardable: what resources of a library that is never run ask for.
constexpr std::uint16_t kResourceFlags = 0x1030;
// 2^15 units of 2^16 bytes reach 2 GB: beyond that the library could not be written anyway.
constexpr unsigned kMaxWriteShift = 16;

struct LibraryResource {
    std::uint16_t id = 0;
    std::vector<std::uint8_t> data;
    std::uint64_t offset = 0; // in the rebuilt file
};

struct LibraryType {
    std::uint16_t type = 0;
    std::vector<LibraryResource> resources;
};

// The blank library: everything before its resource table is kept; the name and entry tables
// that follow the table (from ne_restab to the end of the file) move behind the new table.
struct Template {
    std::vector<std::uint8_t> bytes;
    std::uint64_t header = 0;
    std::uint64_t table = 0;
    std::uint64_t tail = 0; // where the tables that follow the resource table start
};

HRESULT LoadTemplate(const std::string& path, Template& blank) {
    HRESULT hr = ReadWholeFile(path, blank.bytes);
    if (FAILED(hr)) {
        ReportError(kModule, __LINE__, hr, "Failed to open file %s\n", path.c_str());
        return hr;
    }
    ByteView file(blank.bytes.data(), blank.bytes.size());
    blank.header = NeHeaderOffset(file);
    blank.table = blank.header + file.U16(blank.header + kResourceTableField);
    blank.tail = blank.header + file.U16(blank.header + kResidentNamesField);
    if (!HasNeSignature(file, blank.header) || blank.table < blank.header + kNeHeaderSize ||
        blank.tail <= blank.table || blank.tail > file.Size()) {
        ReportError(kModule, __LINE__, E_FAIL,
                    "%s is no blank icon library: it needs an NE header and a resource table "
                    "followed by the resident-name table\n",
                    path.c_str());
        return E_FAIL;
    }
    return S_OK;
}

// The ID of an entry when it is a usable NE ID (1 to 0x7FFF), else 0.
std::uint16_t EntryId(const XmlNode* entry) {
    std::optional<std::int32_t> id = xml::AttributeInt(entry, "ID");
    if (!id || *id <= 0 || *id > kIdMask)
        return 0;
    return std::uint16_t(*id);
}

// The bytes a resource file contributes: single-image icon and cursor files lose their 22-byte
// header; a cursor keeps its hot spot, which the resource carries in front of the image.
HRESULT LoadResourceFile(const std::string& folder, const std::string& name,
                         std::vector<std::uint8_t>& data) {
    std::optional<std::string> path = ResolveInFolder(folder, name);
    if (!path) {
        ReportError(kModule, __LINE__, E_FAIL, "The file name %s leads outside the folder %s\n",
                    name.c_str(), folder.c_str());
        return E_FAIL;
    }
    std::vector<std::uint8_t> file;
    HRESULT hr = ReadWholeFile(*path, file);
    if (FAILED(hr)) {
        ReportError(kModule, __LINE__, hr, "Failed to open file %s\n", path->c_str());
        return hr;
    }
    // Only single-image files carry the 22-byte header; a group data file named like APP_ICO
    // is raw.
    bool icon = HasExtension(name, ".ico"), cursor = HasExtension(name, ".cur");
    if (!icon && !cursor) {
        data = std::move(file);
        return S_OK;
    }
    std::optional<std::vector<std::uint8_t>> resource =
        ResourceOfSingleImageFile(ByteView(file.data(), file.size()), cursor);
    if (!resource) {
        ReportError(kModule, __LINE__, E_FAIL,
                    "%s is too short for an icon or cursor file (%zu bytes)\n", path->c_str(),
                    file.size());
        return E_FAIL;
    }
    data = std::move(*resource);
    return S_OK;
}

// The file of an entry's first language entry, or nullptr.
const XmlNode* FirstFileOf(const XmlNode* entry) {
    for (const XmlNode* language = xml::Child(xml::Child(entry, "Directory"), "Entry"); language;
         language = language->next)
        if (const XmlNode* file = xml::Child(language, "File"))
            return file;
    return nullptr;
}

HRESULT LoadTypeResources(const XmlNode* typeEntry, const std::string& folder, LibraryType& type) {
    const XmlNode* directory = xml::Child(typeEntry, "Directory");
    for (const XmlNode* entry = directory ? directory->firstChild : nullptr; entry;
         entry = entry->next) {
        if (!EqualsNoCase(entry->Name(), "Entry"))
            continue;
        std::uint16_t id = EntryId(entry);
        std::optional<std::string> name = xml::AttributeText(FirstFileOf(entry), "Name");
        if (!id || !name) {
            ReportError(kModule, __LINE__, E_FAIL,
                        "A resource of type %u has no numeric ID from 1 to 32767 or no file; it "
                        "is left out\n",
                        unsigned(type.type));
            continue;
        }
        LibraryResource resource{id, {}, 0};
        HRESULT hr = LoadResourceFile(folder, *name, resource.data);
        if (FAILED(hr))
            return hr;
        type.resources.push_back(std::move(resource));
    }
    return S_OK;
}

HRESULT LoadManifestResources(const XmlDocument& manifest, const std::string& folder,
                              std::vector<LibraryType>& types) {
    const XmlNode* root = manifest.Find("\\Directory");
    for (const XmlNode* entry = root ? root->firstChild : nullptr; entry; entry = entry->next) {
        if (!EqualsNoCase(entry->Name(), "Entry") || entry->FindAttribute("Ignore"))
            continue;
        LibraryType type{EntryId(entry), {}};
        if (!type.type) {
            ReportError(kModule, __LINE__, E_FAIL,
                        "A resource type without a numeric ID from 1 to 32767 is left out\n");
            continue;
        }
        HRESULT hr = LoadTypeResources(entry, folder, type);
        if (FAILED(hr))
            return hr;
        if (!type.resources.empty())
            types.push_back(std::move(type));
    }
    return S_OK;
}

std::uint64_t ResourceTableSize(const std::vector<LibraryType>& types) {
    std::uint64_t size = 2 + 2 + 1; // shift, end of types, end of names
    for (const LibraryType& type : types)
        size += kTypeInfoSize + kNameInfoSize * type.resources.size();
    return size;
}

// Places the resources from `start` on, each at a multiple of the unit. False when an offset or
// a length does not fit the table's 16-bit unit counts.
bool PlaceResources(std::vector<LibraryType>& types, std::uint64_t start, unsigned shift) {
    std::uint64_t at = AlignUp(start, shift);
    for (LibraryType& type : types)
        for (LibraryResource& r : type.resources) {
            r.offset = at;
            if ((at >> shift) > 0xFFFF || (AlignUp(r.data.size(), shift) >> shift) > 0xFFFF)
                return false;
            at = AlignUp(at + r.data.size(), shift);
        }
    return true;
}

// The starting shift comes from the end of the last resource; it grows while the resources do
// not fit, which the starting value alone does not promise for every size.
HRESULT ChooseShift(std::vector<LibraryType>& types, std::uint64_t start, unsigned& shift) {
    std::uint64_t end = start;
    for (const LibraryType& type : types)
        for (const LibraryResource& r : type.resources)
            end += r.data.size();
    for (shift = NeAlignmentShift(end); shift <= kMaxWriteShift; ++shift)
        if (PlaceResources(types, start, shift))
            return S_OK;
    ReportError(kModule, __LINE__, E_FAIL,
                "The resources (%llu bytes) are too large for an icon library\n",
                static_cast<unsigned long long>(end));
    return E_FAIL;
}

void AppendResourceTable(std::vector<std::uint8_t>& out, const std::vector<LibraryType>& types,
                         unsigned shift) {
    Append16(out, shift);
    for (const LibraryType& type : types) {
        Append16(out, kIntegerId | type.type);
        Append16(out, std::uint32_t(type.resources.size()));
        out.insert(out.end(), 4, 0);
        for (const LibraryResource& r : type.resources) {
            Append16(out, std::uint32_t(r.offset >> shift));
            Append16(out, std::uint32_t(AlignUp(r.data.size(), shift) >> shift));
            Append16(out, kResourceFlags);
            Append16(out, kIntegerId | r.id);
            Append16(out, 0);
            Append16(out, 0);
        }
    }
    Append16(out, 0);
    out.push_back(0);
}

// The NE header's pointers to the tables that moved behind the new resource table.
HRESULT PatchMovedTables(std::vector<std::uint8_t>& out, const Template& blank,
                         std::uint64_t newTail) {
    ByteView file(out.data(), out.size());
    for (std::uint64_t field :
         {kEntryTableField, kResidentNamesField, kModuleRefsField, kImportedNamesField}) {
        std::uint64_t at = blank.header + file.U16(blank.header + field);
        if (at < blank.tail)
            continue;
        std::uint64_t moved = at - blank.tail + newTail - blank.header;
        if (moved > 0xFFFF) {
            ReportError(kModule, __LINE__, E_FAIL,
                        "The resource table is too large for the NE header to reach the tables "
                        "behind it\n");
            return E_FAIL;
        }
        Put16(out, std::size_t(blank.header + field), std::uint32_t(moved));
    }
    std::uint64_t nonresident = file.U32(blank.header + kNonresidentNamesField);
    if (nonresident >= blank.tail)
        Put32(out, std::size_t(blank.header + kNonresidentNamesField),
              std::uint32_t(nonresident - blank.tail + newTail));
    return S_OK;
}

} // namespace

unsigned NeAlignmentShift(std::uint64_t end) {
    if (end < 2)
        return 0;
    int s = int(std::floor(std::floor(std::log(double(end))) / std::log(2.0)));
    if (end % (std::uint64_t(1) << s) != 0)
        ++s;
    return s > 15 ? unsigned(s - 15) : 0;
}

// The rebuilt library: the template up to its resource table, the new resource table, the
// template's name and entry tables, then the resources, each at a multiple of the alignment
// unit. Two bytes end the file, because a reader measures the last resource up to two bytes
// before the end of the file.
HRESULT NeWriter::Write(const XmlDocument& manifest, const std::string& folder,
                        const std::string& blankIclPath, std::string* rebuilt) const {
    if (!rebuilt)
        return E_POINTER;
    std::string base = WithTrailingSeparator(folder);
    Template blank;
    std::vector<LibraryType> types;
    HRESULT hr = LoadTemplate(blankIclPath, blank);
    if (SUCCEEDED(hr))
        hr = LoadManifestResources(manifest, base, types);
    if (FAILED(hr))
        return hr;
    std::uint64_t newTail = blank.table + ResourceTableSize(types);
    unsigned shift = 0;
    hr = ChooseShift(types, newTail + (blank.bytes.size() - blank.tail), shift);
    if (FAILED(hr))
        return hr;

    std::vector<std::uint8_t> out(blank.bytes.begin(),
                                  blank.bytes.begin() + std::ptrdiff_t(blank.table));
    AppendResourceTable(out, types, shift);
    out.insert(out.end(), blank.bytes.begin() + std::ptrdiff_t(blank.tail), blank.bytes.end());
    for (const LibraryType& type : types)
        for (const LibraryResource& r : type.resources) {
            out.resize(std::size_t(r.offset), 0);
            out.insert(out.end(), r.data.begin(), r.data.end());
        }
    out.resize(std::size_t(AlignUp(out.size(), shift)) + 2, 0);
    hr = PatchMovedTables(out, blank, newTail);
    if (FAILED(hr))
        return hr;

    std::string path = base + "temp.icl";
    hr = ReplaceFileContents(path, out.data(), out.size());
    if (FAILED(hr)) {
        ReportError(kModule, __LINE__, hr, "Failed writing to file %s\n", path.c_str());
        return hr;
    }
    *rebuilt = path;
    return S_OK;
}

} // namespace vellum
