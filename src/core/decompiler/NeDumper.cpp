// Reading 16-bit icon libraries: the resource table, resource lengths, dump and extraction.
#include "decompiler/NeDumper.h"

#include "common/ErrorTrail.h"
#include "common/FileIo.h"
#include "common/Path.h"
#include "common/Strings.h"
#include "common/TrailModules.h"
#include "formats/DibShape.h"
#include "formats/IconDirectory.h"
#include "formats/NeFormat.h"

#include <algorithm>
#include <optional>

namespace vellum {

using namespace ne;

namespace {

constexpr const char* kModule = trail::kNeDumper;
// Offsets are 16-bit unit counts, so a shift above this describes no file that can be mapped.
constexpr unsigned kMaxReadShift = 47;

enum NeResourceType : unsigned {
    kCursor = 1,
    kIcon = 3,
    kCursorGroup = 12,
    kIconGroup = 14,
};

void AppendBytes(std::vector<std::uint8_t>& out, ByteView bytes) {
    out.insert(out.end(), bytes.Data(), bytes.Data() + bytes.Size());
}

std::string ResourceFileName(unsigned type, unsigned id) {
    switch (type) {
    case kCursor:
        return Format("Cursor%.5u.cur", id);
    case kIcon:
        return Format("Icon%.5u.ico", id);
    default:
        return Format("%u%.5u", type, id);
    }
}

// The bytes a group, icon or cursor resource needs, as its own header tells: a group's header
// and entries, an image's header, colour table and pixels, a cursor's hot spot in front of it.
// More than `data` holds when the resource is cut short (a group too short for its header needs
// at least the header). Nothing for other types, and for images too short or too strange to
// tell.
std::optional<std::uint64_t> SizeOfOwnBytes(unsigned type, ByteView data) {
    switch (type) {
    case kCursorGroup:
    case kIconGroup:
        if (!data.Has(0, kIconDirSize))
            return kIconDirSize;
        return GroupDirectory::SizeFor(IconDirHeader::Read(data).count);
    case kIcon:
        return IconImageSize(data);
    case kCursor: {
        if (!data.Has(0, kHotSpotSize))
            return std::nullopt;
        std::optional<std::uint64_t> image = IconImageSize(IconResource::Read(data, true).image);
        return image ? std::optional<std::uint64_t>(kHotSpotSize + *image) : std::nullopt;
    }
    default:
        return std::nullopt;
    }
}

std::string Indent(int units) {
    return std::string(std::size_t(units) * 3, ' ');
}

std::string ResourceEntryText(unsigned id, const std::string& fileName) {
    return Indent(3) + Format("<ENTRY ID='%u' Directory='1'>\n", id) + Indent(4) +
           "<DIRECTORY ID='0' Named_Entries='0' ID_Entries='1'>\n" + Indent(5) +
           "<ENTRY ID='0' Directory='0'>\n" + Indent(6) +
           Format("<FILE Name='%s' Size='1' />\n", fileName.c_str()) + Indent(5) + "</ENTRY>\n" +
           Indent(4) + "</DIRECTORY>\n" + Indent(3) + "</ENTRY>\n";
}

} // namespace

NeDumper::NeDumper(Prompter& prompter) : prompter_(prompter) {}

// ---- reading the library ------------------------------------------------------------------

HRESULT NeDumper::Open(const std::string& sourcePath) {
    sourcePath_ = sourcePath;
    resources_.clear();
    types_.clear();
    file_ = ByteView();
    HRESULT hr = mapping_.Open(sourcePath);
    if (FAILED(hr)) {
        ReportError(kModule, __LINE__, hr, "Failed to open file %s\n", sourcePath.c_str());
        return hr;
    }
    file_ = ByteView(mapping_.Bytes());
    std::uint64_t header = NeHeaderOffset(file_);
    if (!HasNeSignature(file_, header)) {
        ReportError(kModule, __LINE__, E_FAIL, "%s has no NE header at offset 0x%llx\n",
                    sourcePath.c_str(), static_cast<unsigned long long>(header));
        hr = E_FAIL;
    } else {
        hr = ReadResourceTable(header + file_.U16(header + kResourceTableField));
    }
    if (FAILED(hr)) {
        mapping_.Close();
        file_ = ByteView();
        return hr;
    }
    MeasureResources();
    return S_OK;
}

HRESULT NeDumper::RequireOpen() const {
    if (mapping_.IsOpen())
        return S_OK;
    ReportError(kModule, __LINE__, E_POINTER, "No icon library is open\n");
    return E_POINTER;
}

HRESULT NeDumper::ReadResourceTable(std::uint64_t at) {
    if (!file_.Has(at, 2)) {
        ReportError(kModule, __LINE__, E_FAIL,
                    "The resource table of %s at offset 0x%llx lies outside the file\n",
                    sourcePath_.c_str(), static_cast<unsigned long long>(at));
        return E_FAIL;
    }
    unsigned shift = file_.U16(at);
    if (shift > kMaxReadShift) {
        ReportError(kModule, __LINE__, E_FAIL, "The alignment shift %u of %s is out of range\n",
                    shift, sourcePath_.c_str());
        return E_FAIL;
    }
    for (at += 2; file_.Has(at, 2) && file_.U16(at) != 0; at += kTypeInfoSize) {
        NeType type{std::uint16_t(file_.U16(at) & kIdMask), resources_.size(), 0};
        unsigned count = file_.U16(at + 2);
        for (unsigned i = 0; i < count; ++i) {
            std::uint64_t name = at + kTypeInfoSize + i * kNameInfoSize;
            if (!file_.Has(name, kNameInfoSize))
                break;
            resources_.push_back({type.type, std::uint16_t(file_.U16(name + 6) & kIdMask),
                                  std::uint64_t(file_.U16(name)) << shift, 0,
                                  std::uint64_t(file_.U16(name + 2)) << shift});
            ++type.count;
        }
        types_.push_back(type);
        at += count * kNameInfoSize;
    }
    if (!file_.Has(at, 2))
        ReportError(kModule, __LINE__, E_FAIL,
                    "The resource table of %s runs past the end of the file; the records that "
                    "are complete are used\n",
                    sourcePath_.c_str());
    return S_OK;
}

// Groups, icons and cursors end where their own bytes say: a group after its entries, an image
// after its AND mask or IEND chunk. What lies between that and the next resource is alignment
// padding, which must not become part of the resource (a group entry states its image's exact
// size), and the last resource may end the file. Such a resource never runs past the nearest
// later start, the end of the file or the table's length; the length counts whole units, so it
// bounds the resource from above but cannot say where inside its last unit it ends.
//
// Every other resource, and an image whose size cannot be worked out, runs to the start of the
// next one in table order. When that one does not start after it, the nearest start after it
// counts instead, and the last resource of the file ends two bytes before the end of the file.
// Starts that lie past the end of the file bound nothing.
void NeDumper::MeasureResources() {
    std::vector<std::uint64_t> starts;
    starts.reserve(resources_.size());
    for (const NeResource& r : resources_)
        if (r.start < file_.Size())
            starts.push_back(r.start);
    std::sort(starts.begin(), starts.end());
    std::uint64_t fileEnd = file_.Size() >= 2 ? file_.Size() - 2 : 0;
    for (std::size_t i = 0; i < resources_.size(); ++i) {
        NeResource& r = resources_[i];
        auto later = std::upper_bound(starts.begin(), starts.end(), r.start);
        std::uint64_t next = i + 1 < resources_.size() ? resources_[i + 1].start : 0;
        if (next > r.start && next < file_.Size())
            r.end = next;
        else
            r.end = later != starts.end() ? *later : fileEnd;

        std::uint64_t limit = later != starts.end() ? *later : file_.Size();
        if (r.tableLength != 0)
            limit = std::min(limit, r.start + r.tableLength);
        if (limit <= r.start)
            continue;
        std::optional<std::uint64_t> size =
            SizeOfOwnBytes(r.type, file_.Sub(r.start, limit - r.start));
        if (size)
            r.end = r.start + std::min(*size, limit - r.start);
    }
}

const NeDumper::NeResource* NeDumper::Find(unsigned type, unsigned id) const {
    for (const NeResource& r : resources_)
        if (r.type == (type & kIdMask) && r.id == (id & kIdMask))
            return &r;
    return nullptr;
}

bool NeDumper::IsInside(const NeResource& resource) const {
    return resource.start < resource.end && resource.end <= file_.Size();
}

bool NeDumper::CheckInside(const NeResource& resource) const {
    if (IsInside(resource))
        return true;
    ReportError(kModule, __LINE__, E_FAIL,
                "Resource %u of type %u (offset 0x%llx, end 0x%llx) lies outside the file %s; "
                "it is skipped\n",
                unsigned(resource.id), unsigned(resource.type),
                static_cast<unsigned long long>(resource.start),
                static_cast<unsigned long long>(resource.end), sourcePath_.c_str());
    return false;
}

ByteView NeDumper::BytesOf(const NeResource& resource) const {
    return IsInside(resource) ? file_.Sub(resource.start, resource.end - resource.start)
                              : ByteView();
}

// ---- resource files -----------------------------------------------------------------------

// The resource split into hot spot and image; a DIB with bit-field compression is reported
// through the prompter first, as the PE dumper reports bit-field bitmaps.
IconResource NeDumper::ImageOf(const NeResource& resource, bool cursor) {
    IconResource parts = IconResource::Read(BytesOf(resource), cursor);
    if (!IsPngStream(parts.image) && DibHeader::Read(parts.image).compression == kDibBitFields)
        prompter_.Ask("biCompression", "Bad", MB_OK);
    return parts;
}

std::vector<std::uint8_t> NeDumper::BuildImageFile(const NeResource& resource, bool cursor) {
    IconResource parts = ImageOf(resource, cursor);
    return SingleImageFile(parts.image, cursor, parts.hotSpot);
}

// One member of a group file: its directory entry, made like a one-image file's entry (for
// icons with the planes and bit count of the group entry), and its image. A cursor group entry
// counts the member's hot-spot bytes, which the image does not carry. The image never takes
// more than the member resource holds. False when the member is missing or outside the file.
bool NeDumper::BuildGroupMember(const GroupEntry& groupEntry, const NeResource& group, bool cursor,
                                IconDirImage& member) {
    const NeResource* resource = Find(cursor ? kCursor : kIcon, groupEntry.id);
    if (!resource) {
        ReportError(kModule, __LINE__, E_FAIL, "Member %u of group %u is missing; it is left out\n",
                    unsigned(groupEntry.id), unsigned(group.id));
        return false;
    }
    if (!CheckInside(*resource))
        return false;
    IconResource parts = ImageOf(*resource, cursor);
    std::uint32_t wanted = groupEntry.bytes;
    if (cursor)
        wanted = wanted > kHotSpotSize ? wanted - kHotSpotSize : 0;
    member.entry = SingleImageEntry(parts.image, cursor, parts.hotSpot);
    if (!cursor) {
        member.entry.planes = groupEntry.planes;
        member.entry.bitCount = groupEntry.bitCount;
    }
    member.image = parts.image.Sub(0, std::min<std::uint64_t>(wanted, parts.image.Size()));
    return true;
}

// An .ico or .cur file from a group: the group's header with the count of members found, their
// directory entries, then the images in order.
HRESULT NeDumper::BuildGroupFile(const NeResource& group, bool cursor,
                                 std::vector<std::uint8_t>& out) {
    GroupDirectory directory = GroupDirectory::Read(BytesOf(group), cursor);
    IconFile file{directory.header, {}};
    std::uint64_t total = kIconDirSize;
    for (const GroupEntry& entry : directory.entries) {
        IconDirImage member;
        if (!BuildGroupMember(entry, group, cursor, member))
            continue;
        total += kIconDirEntrySize + member.image.Size();
        if (total > kMaxGroupFileSize) {
            ReportError(kModule, __LINE__, E_FAIL,
                        "Group %u would make a file of more than %llu bytes\n", unsigned(group.id),
                        static_cast<unsigned long long>(kMaxGroupFileSize));
            return E_FAIL;
        }
        file.images.push_back(member);
    }
    out = file.Write();
    return S_OK;
}

HRESULT NeDumper::BuildResourceFile(const NeResource& resource, bool raw,
                                    std::vector<std::uint8_t>& out) {
    switch (resource.type) {
    case kCursor:
    case kIcon:
        out = BuildImageFile(resource, resource.type == kCursor);
        return S_OK;
    case kCursorGroup:
    case kIconGroup:
        if (!raw)
            return BuildGroupFile(resource, resource.type == kCursorGroup, out);
        [[fallthrough]]; // raw: the group resource as found
    default:
        out.clear();
        AppendBytes(out, BytesOf(resource));
        return S_OK;
    }
}

HRESULT NeDumper::WriteResource(const NeResource& resource, const std::string& path, bool raw) {
    std::vector<std::uint8_t> bytes;
    HRESULT hr = BuildResourceFile(resource, raw, bytes);
    if (FAILED(hr))
        return hr;
    hr = ReplaceFileContents(path, bytes.data(), bytes.size());
    if (FAILED(hr))
        ReportError(kModule, __LINE__, hr, "Failed to Create File %s", path.c_str());
    return hr;
}

// ---- dump and extraction ------------------------------------------------------------------

HRESULT NeDumper::Dump(const std::string& manifestPath) {
    HRESULT hr = RequireOpen();
    if (FAILED(hr))
        return hr;
    PathParts parts = SplitPath(manifestPath);
    std::string text;
    hr = DumpResources(parts.drive + parts.dir, text);
    if (FAILED(hr))
        return hr;
    return SaveSortedManifest(text, manifestPath);
}

// Writes the resource files into `folder` and the manifest text as the dump first lays it out:
// one type entry per type record, each resource an ID entry with one language-neutral entry
// that names its file. Lines end in LF; the indent unit is three spaces.
HRESULT NeDumper::DumpResources(const std::string& folder, std::string& text) {
    std::string types;
    unsigned typeCount = 0;
    for (const NeType& type : types_) {
        std::string entries;
        unsigned written = 0;
        for (std::size_t i = type.first; i < type.first + type.count; ++i) {
            const NeResource& r = resources_[i];
            if (!CheckInside(r))
                continue;
            std::string name = ResourceFileName(r.type, r.id);
            HRESULT hr = WriteResource(r, folder + name, true);
            if (FAILED(hr))
                return hr;
            entries += ResourceEntryText(r.id, name);
            ++written;
        }
        if (written == 0)
            continue;
        ++typeCount;
        types += Indent(1) + Format("<ENTRY ID='%u' Directory='1'>\n", unsigned(type.type)) +
                 Indent(2) +
                 Format("<DIRECTORY TYPE='%u' Named_Entries='0' ID_Entries='%u'>\n",
                        unsigned(type.type), written) +
                 entries + Indent(2) + "</DIRECTORY>\n" + Indent(1) + "</ENTRY>\n";
    }
    text = "<?xml version='1.0' encoding='ISO-8859-1'?>\n" +
           Format("<DIRECTORY TYPE='0' Named_Entries='0' ID_Entries='%u'>\n", typeCount) + types +
           "</DIRECTORY>\n";
    return S_OK;
}

// Parses the text, sorts the type entries by their ID (entries with equal IDs keep their
// order) and saves the document; the save goes through a temporary file, so no half-written
// manifest is ever left behind.
HRESULT NeDumper::SaveSortedManifest(const std::string& text, const std::string& manifestPath) {
    XmlDocument doc;
    HRESULT hr = doc.LoadBuffer(reinterpret_cast<const std::uint8_t*>(text.data()), text.size());
    XmlNode* root = SUCCEEDED(hr) ? doc.Find("\\DIRECTORY") : nullptr;
    if (root) {
        std::vector<std::pair<std::int32_t, XmlNode*>> entries;
        for (XmlNode* node = root->firstChild; node; node = node->next)
            entries.emplace_back(xml::AttributeInt(node, "ID").value_or(0), node);
        std::stable_sort(entries.begin(), entries.end(),
                         [](const auto& a, const auto& b) { return a.first < b.first; });
        XmlNode* previous = nullptr;
        for (auto& [id, node] : entries) {
            node->prev = previous;
            node->next = nullptr;
            (previous ? previous->next : root->firstChild) = node;
            previous = node;
        }
        hr = doc.Save(manifestPath);
    }
    if (FAILED(hr) || !root) {
        hr = FAILED(hr) ? hr : E_FAIL;
        ReportError(kModule, __LINE__, hr, "Failed writing to file %s\n", manifestPath.c_str());
    }
    return hr;
}

HRESULT NeDumper::ExtractOne(unsigned type, unsigned id, const std::string& outputPath, bool raw) {
    std::vector<std::uint8_t> bytes;
    HRESULT hr = ResourceBytes(type, id, raw, bytes);
    if (FAILED(hr))
        return hr;
    hr = ReplaceFileContents(outputPath, bytes.data(), bytes.size());
    if (FAILED(hr))
        ReportError(kModule, __LINE__, hr, "Failed to Create File %s", outputPath.c_str());
    return hr;
}

HRESULT NeDumper::ResourceBytes(unsigned type, unsigned id, bool raw,
                                std::vector<std::uint8_t>& out) {
    HRESULT hr = RequireOpen();
    if (FAILED(hr))
        return hr;
    const NeResource* resource = Find(type, id);
    if (!resource) {
        ReportError(kModule, __LINE__, E_FAIL, "%s holds no resource of type %u with ID %u\n",
                    sourcePath_.c_str(), type, id);
        return E_FAIL;
    }
    if (!CheckInside(*resource))
        return E_FAIL;
    return BuildResourceFile(*resource, raw, out);
}

std::vector<unsigned> NeDumper::ResourceIds(unsigned type) const {
    std::vector<unsigned> ids;
    for (const NeResource& r : resources_)
        if (r.type == (type & kIdMask))
            ids.push_back(r.id);
    return ids;
}

HRESULT NeDumper::ExtractType(unsigned type, const std::string& destinationPattern) {
    HRESULT hr = RequireOpen();
    if (FAILED(hr))
        return hr;
    PathParts parts = SplitPath(destinationPattern);
    bool found = false;
    HRESULT firstFailure = S_OK;
    for (const NeResource& r : resources_) {
        if (r.type != (type & kIdMask))
            continue;
        found = true;
        std::string path = Format("%s%s%s%.5x%s", parts.drive.c_str(), parts.dir.c_str(),
                                  parts.fname.c_str(), unsigned(r.id), parts.ext.c_str());
        hr = CheckInside(r) ? WriteResource(r, path, false) : E_FAIL;
        if (FAILED(hr) && SUCCEEDED(firstFailure))
            firstFailure = hr;
    }
    return found ? firstFailure : S_FALSE;
}

} // namespace vellum
