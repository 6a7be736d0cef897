#include "compiler/ResourceSection.h"

#include "common/ByteWriter.h"
#include "common/CodePage.h"
#include "common/FileIo.h"
#include "common/Path.h"
#include "common/ResourceDataFile.h"
#include "common/Strings.h"
#include "common/XmlDocument.h"
#include "compiler/StringTables.h"
#include "formats/IconDirectory.h"
#include "formats/ResourceDirectory.h"
#include "formats/ResourceFiles.h"
#include "imaging/BmpToPng.h"
#include "imaging/ImageCodecs.h"

#include <algorithm>

namespace vellum {

namespace {

constexpr std::uint32_t kStringTableType = 6;

std::string Attr(const XmlNode* node, const char* name) {
    return xml::AttributeText(node, name).value_or("");
}

std::int32_t IntAttr(const XmlNode* node, const char* name) {
    return xml::AttributeInt(node, name).value_or(0);
}

// Header bytes a resource file carries in front of the resource data: a bitmap's file header,
// or a one-image icon or cursor file's directory and entry.
std::uint64_t SkippedHeader(std::uint32_t type, const std::string& name) {
    bool iconFile =
        (type == 1 && EndsWithNoCase(name, "cur")) || (type == 3 && EndsWithNoCase(name, "ico"));
    if (iconFile)
        return kSingleImageOffset;
    return type == 2 ? BitmapFileHeader::kSize : 0;
}

// A cursor resource starts with its hot spot, which a cursor file keeps in its entry's planes and
// bit-count words.
std::vector<std::uint8_t> HotSpotOfCursorFile(ByteView file) {
    IconDirEntry entry = IconDirEntry::Read(file.From(kIconDirSize));
    std::vector<std::uint8_t> hotSpot;
    AppendU16(hotSpot, entry.planes);
    AppendU16(hotSpot, entry.bitCount);
    return hotSpot;
}

} // namespace

// One directory entry and what it leads to.
struct ResourceSectionBuilder::Node {
    bool named = false;
    std::u16string name;
    std::uint32_t id = 0;
    bool directory = false;
    std::uint32_t size = 0; // of the whole subtree

    // Directories.
    std::vector<Node> children;
    std::uint32_t namedCount = 0;
    std::uint32_t idCount = 0;
    std::uint32_t nameArea = 0; // bytes reserved for the children's names

    // Data entries: `head` (a cursor's hot spot) then `data`.
    std::vector<std::uint8_t> head;
    ByteView data;

    // The string-table subtree, built at its place in the section.
    bool stringTable = false;
    bool stringTableOwner = false;
    std::vector<std::uint8_t> strings;
};

ResourceSectionBuilder::ResourceSectionBuilder(std::string projectFolder, Prompter& prompter,
                                               std::FILE* trace)
    : folder_(WithTrailingSeparator(projectFolder)), prompter_(prompter), trace_(trace) {}

ResourceSectionBuilder::~ResourceSectionBuilder() = default;

std::vector<std::uint8_t> ResourceSectionBuilder::Build(const XmlDocument& manifest,
                                                        std::uint32_t sectionRva) {
    std::vector<std::uint8_t> out;
    BuildInto(manifest, sectionRva, out);
    return out;
}

void ResourceSectionBuilder::BuildInto(const XmlDocument& manifest, std::uint32_t sectionRva,
                                       std::vector<std::uint8_t>& out) {
    sectionRva_ = sectionRva;
    Node root = ReadRoot(manifest.Find("/Directory"));
    Layout(root, 0);
    base_ = out.size();
    out.reserve(out.size() + root.size);
    Emit(root, out);
}

bool ResourceSectionBuilder::HasResourceTypes(const XmlDocument& manifest) {
    XmlNode* root = manifest.Find("/Directory");
    std::size_t counted = std::size_t(std::max(0, IntAttr(root, "Named_Entries"))) +
                          std::size_t(std::max(0, IntAttr(root, "ID_Entries")));
    std::vector<XmlNode*> entries = xml::Children(root);
    for (std::size_t i = 0; i < std::min(counted, entries.size()); ++i)
        if (IntAttr(entries[i], "Ignore") != 1)
            return true;
    return false;
}

// ---- reading the manifest -------------------------------------------------------------------

ResourceSectionBuilder::Node ResourceSectionBuilder::ReadRoot(const XmlNode* root) {
    Node node;
    node.directory = true;
    std::int32_t type = IntAttr(root, "Type");
    std::uint32_t named = std::uint32_t(std::max(0, IntAttr(root, "Named_Entries")));
    std::uint32_t ids = std::uint32_t(std::max(0, IntAttr(root, "ID_Entries")));
    std::vector<XmlNode*> entries = xml::Children(root);
    named = std::min<std::uint32_t>(named, std::uint32_t(entries.size()));
    ids = std::min<std::uint32_t>(ids, std::uint32_t(entries.size()) - named);
    bool stringsBuilt = false;
    for (std::uint32_t i = 0; i < named + ids; ++i) {
        XmlNode* entry = entries[i];
        if (IntAttr(entry, "Ignore") == 1)
            continue;
        bool isNamed = !Attr(entry, "Name").empty();
        std::uint32_t id = std::uint32_t(IntAttr(entry, "ID"));
        Node child;
        if (!isNamed && id == kStringTableType) {
            // Type 6 comes from STRINGS.XML, once; a second type-6 entry contributes nothing.
            child.id = id;
            child.directory = IntAttr(entry, "Directory") != 0;
            child.stringTable = true;
            child.stringTableOwner = !stringsBuilt;
            stringsBuilt = true;
        } else {
            child = ReadEntry(entry, isNamed ? 0 : id);
        }
        (i < named ? node.namedCount : node.idCount)++;
        if (child.named)
            node.nameArea += 2 + 2 * std::uint32_t(child.name.size());
        node.children.push_back(std::move(child));
    }
    if (trace_)
        std::fprintf(trace_, "Type %d   Named %u  ID %u\n", type, node.namedCount, node.idCount);
    return node;
}

ResourceSectionBuilder::Node ResourceSectionBuilder::ReadEntry(const XmlNode* entry,
                                                               std::uint32_t type) {
    Node node;
    std::string name = Attr(entry, "Name");
    node.named = !name.empty();
    if (node.named) {
        if (IntAttr(entry, "StripExt"))
            name = SplitPath(name).fname;
        node.name = Utf8ToUtf16(name);
    }
    node.id = std::uint32_t(IntAttr(entry, "ID"));
    node.directory = IntAttr(entry, "Directory") != 0;
    if (node.directory)
        ReadDirectory(entry, type, node);
    else
        ReadData(entry, type, node);
    return node;
}

void ResourceSectionBuilder::ReadDirectory(const XmlNode* owner, std::uint32_t type, Node& node) {
    XmlNode* directory = owner->firstChild;
    if (!directory)
        return;
    std::uint32_t named = std::uint32_t(std::max(0, IntAttr(directory, "Named_Entries")));
    std::uint32_t ids = std::uint32_t(std::max(0, IntAttr(directory, "ID_Entries")));
    std::vector<XmlNode*> entries = xml::Children(directory);
    // Counts that promise more entries than the manifest holds are cut to what is there.
    named = std::min<std::uint32_t>(named, std::uint32_t(entries.size()));
    ids = std::min<std::uint32_t>(ids, std::uint32_t(entries.size()) - named);
    node.namedCount = named;
    node.idCount = ids;
    // Each named entry reserves 4 + 2 bytes per byte of its manifest name: two bytes more than its
    // string needs, and more still when the name is cut to its title.
    std::uint32_t reserved = 0;
    for (std::uint32_t i = 0; i < named + ids && reserved < named; ++i) {
        std::string name = Attr(entries[i], "Name");
        if (!name.empty()) {
            node.nameArea += 4 + 2 * std::uint32_t(name.size());
            ++reserved;
        }
    }
    std::uint32_t used = 0;
    for (std::uint32_t i = 0; i < named + ids; ++i) {
        node.children.push_back(ReadEntry(entries[i], type));
        if (node.children.back().named)
            used += 2 + 2 * std::uint32_t(node.children.back().name.size());
    }
    // Names on entries past the named ones were not reserved for; the area must still hold them.
    node.nameArea = std::max(node.nameArea, used);
}

void ResourceSectionBuilder::ReadData(const XmlNode* entry, std::uint32_t type, Node& node) {
    XmlNode* file = entry->firstChild;
    if (!file || IntAttr(file, "Size") == 0)
        return;
    std::string name = Attr(file, "Name");
    bool png = type == 2 && IntAttr(file, "Png") != 0;
    std::string path = ResourceDataFileName(name, png, IntAttr(file, "StripExt") != 0);
    ByteView bytes = png ? LoadPngAsBitmap(path) : LoadFile(path);
    if (type == 1 && EndsWithNoCase(name, "cur"))
        node.head = HotSpotOfCursorFile(bytes);
    node.data = bytes.From(SkippedHeader(type, name));
}

ByteView ResourceSectionBuilder::LoadFile(const std::string& name) {
    std::optional<std::string> path = ResolveInFolder(folder_, name);
    std::vector<std::uint8_t> bytes;
    if (!path || FAILED(ReadWholeFile(*path, bytes))) {
        ReportMissing(folder_ + name);
        return {};
    }
    files_.push_back(std::move(bytes));
    return ByteView(files_.back().data(), files_.back().size());
}

ByteView ResourceSectionBuilder::LoadPngAsBitmap(const std::string& pngName) {
    std::optional<std::string> path = ResolveInFolder(folder_, pngName);
    std::vector<std::uint8_t> png;
    std::optional<std::vector<std::uint8_t>> bitmap;
    if (path && SUCCEEDED(ReadWholeFile(*path, png)))
        bitmap = PngToBmpBytes(ByteView(png.data(), png.size()));
    if (!bitmap) {
        ReportMissing(folder_ + pngName);
        return {};
    }
    files_.push_back(std::move(*bitmap));
    return ByteView(files_.back().data(), files_.back().size());
}

void ResourceSectionBuilder::ReportMissing(const std::string& path) {
    missingFiles_ = true;
    prompter_.Ask(ToHostPath(path), "FAILED TO OPEN", MB_OK);
}

// ---- layout and bytes -----------------------------------------------------------------------

// Sets every subtree's size; string tables are built here because their bytes depend on their
// offset in the section.
std::uint32_t ResourceSectionBuilder::Layout(Node& node, std::uint32_t offset) {
    if (node.stringTable) {
        if (node.stringTableOwner)
            node.strings = BuildStringTables(folder_, offset, sectionRva_, prompter_);
        return node.size = std::uint32_t(node.strings.size());
    }
    if (!node.directory)
        return node.size =
                   kResourceDataEntrySize + std::uint32_t(node.head.size() + node.data.Size());
    std::uint32_t child = offset + kResourceDirectorySize +
                          kResourceDirectoryEntrySize * std::uint32_t(node.children.size()) +
                          node.nameArea;
    for (Node& c : node.children)
        child += Layout(c, child);
    return node.size = child - offset;
}

void ResourceSectionBuilder::Emit(const Node& node, std::vector<std::uint8_t>& out) const {
    if (node.stringTable) {
        out.insert(out.end(), node.strings.begin(), node.strings.end());
        return;
    }
    std::uint32_t offset = std::uint32_t(out.size() - base_);
    if (!node.directory) {
        AppendU32(out, sectionRva_ + offset + kResourceDataEntrySize);
        AppendU32(out, std::uint32_t(node.head.size() + node.data.Size()));
        AppendU32(out, 0);
        AppendU32(out, 0);
        out.insert(out.end(), node.head.begin(), node.head.end());
        out.insert(out.end(), node.data.Data(), node.data.Data() + node.data.Size());
        return;
    }
    AppendU32(out, 0);
    AppendU32(out, 0);
    AppendU32(out, 0);
    AppendU16(out, node.namedCount);
    AppendU16(out, node.idCount);
    std::uint32_t names = offset + kResourceDirectorySize +
                          kResourceDirectoryEntrySize * std::uint32_t(node.children.size());
    std::uint32_t child = names + node.nameArea;
    std::vector<std::uint8_t> nameArea;
    for (const Node& c : node.children) {
        AppendU32(out,
                  c.named ? kResourceHighBit | (names + std::uint32_t(nameArea.size())) : c.id);
        AppendU32(out, c.directory ? kResourceHighBit | child : child);
        if (c.named) {
            AppendU16(nameArea, std::uint32_t(c.name.size()));
            for (char16_t ch : c.name)
                AppendU16(nameArea, ch);
        }
        child += c.size;
    }
    nameArea.resize(node.nameArea, 0);
    out.insert(out.end(), nameArea.begin(), nameArea.end());
    for (const Node& c : node.children)
        Emit(c, out);
}

} // namespace vellum
