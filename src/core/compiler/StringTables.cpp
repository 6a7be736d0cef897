// Normalises STRINGS.XML before a compilation and builds the type-6 subtree of the resource
// section from it.
#include "compiler/StringTables.h"

#include "common/CodePage.h"
#include "common/ErrorTrail.h"
#include "common/FileIo.h"
#include "common/MappedFile.h"
#include "common/Path.h"
#include "common/Strings.h"
#include "common/TrailModules.h"
#include "common/XmlDocument.h"

#include <algorithm>
#include <array>
#include <cstring>
#include <optional>
#include <span>

namespace vellum {

namespace {

constexpr const char* kModule = trail::kCompiler;
constexpr char kFileName[] = "STRINGS.XML";
constexpr char kConversionWarning[] =
    "Warning:\r\nConverting from old Strings.xml format.\r\nData may be lost.\r\n";
constexpr char kDuplicateMessage[] =
    "This resources contains duplicate strings resource IDs.  Some strings will be lost.";

// Resource directory records (all little-endian):
//   directory header, 16 bytes: Characteristics u32, TimeDateStamp u32, MajorVersion u16,
//     MinorVersion u16, NumberOfNamedEntries u16, NumberOfIdEntries u16
//   directory entry, 8 bytes: Name u32 (an ID here), OffsetToData u32 (section-relative; the
//     high bit marks a subdirectory)
//   data entry, 16 bytes: OffsetToData u32 (an RVA), Size u32, CodePage u32, Reserved u32
constexpr std::uint64_t kDirectoryHeaderSize = 16;
constexpr std::uint64_t kDirectoryEntrySize = 8;
constexpr std::uint64_t kDataEntrySize = 16;
constexpr std::uint32_t kSubdirectoryFlag = 0x80000000;
// Section-relative offsets must stay below the subdirectory flag.
constexpr std::uint64_t kMaxSectionOffset = 0x7FFFFFFF;

constexpr std::size_t kStringsPerBlock = 16;
constexpr std::uint32_t kMaxStringId = 0xFFFF;
// A string's length is a u16 in front of its code units.
constexpr std::size_t kMaxStringUnits = 0xFFFF;
// The language of a table without LANG: -1, which as a 16-bit language ID is 0xFFFF.
constexpr std::int32_t kMissingLanguage = -1;

bool IsNamed(const XmlNode* node, std::string_view name) {
    return EqualsNoCase(node->Name(), name);
}

std::int32_t IntAttribute(const XmlNode* node, std::string_view name, std::int32_t fallback) {
    return xml::AttributeInt(node, name).value_or(fallback);
}

// Adds `delta` to the depth of `top` and of every element below it; the writer indents by depth.
void ShiftDepth(XmlNode* top, std::int32_t delta) {
    if (delta == 0)
        return;
    top->depth += delta;
    XmlNode* node = top->firstChild;
    while (node) {
        node->depth += delta;
        if (node->firstChild) {
            node = node->firstChild;
            continue;
        }
        while (node != top && !node->next)
            node = node->parent;
        node = node == top ? nullptr : node->next;
    }
}

// Makes `children` the complete child list of `parent`, in that order. Elements taken from
// another level carry their subtrees along.
void SetChildren(XmlNode* parent, const std::vector<XmlNode*>& children) {
    XmlNode* previous = nullptr;
    for (XmlNode* child : children) {
        ShiftDepth(child, parent->depth + 1 - child->depth);
        child->parent = parent;
        child->prev = previous;
        if (previous)
            previous->next = child;
        else
            parent->firstChild = child;
        previous = child;
    }
    if (previous)
        previous->next = nullptr;
    else
        parent->firstChild = nullptr;
}

// Sorts the children called `name` by an integer attribute, stably, within the places such
// children held; other children stay where they are.
void SortChildren(XmlNode* parent, std::string_view name, std::string_view keyName,
                  std::int32_t missingKey) {
    std::vector<XmlNode*> children = xml::Children(parent);
    std::vector<std::pair<std::int32_t, XmlNode*>> sorted;
    for (XmlNode* child : children)
        if (IsNamed(child, name))
            sorted.emplace_back(IntAttribute(child, keyName, missingKey), child);
    std::stable_sort(sorted.begin(), sorted.end(),
                     [](const auto& a, const auto& b) { return a.first < b.first; });
    auto next = sorted.begin();
    for (XmlNode*& child : children)
        if (IsNamed(child, name))
            child = (next++)->second;
    SetChildren(parent, children);
}

// In an ID-ordered table, an entry whose ID does not exceed the one before it takes that ID + 1,
// which may push the entries after it up in turn: 5, 5, 6 becomes 5, 6, 7.
HRESULT SeparateEqualIds(XmlDocument& document, XmlNode* table) {
    std::optional<std::int64_t> previous;
    for (XmlNode* entry = table->firstChild; entry; entry = entry->next) {
        if (!IsNamed(entry, "E"))
            continue;
        std::int64_t id = IntAttribute(entry, "ID", 0);
        if (previous && id <= *previous) {
            id = *previous + 1;
            document.SetCursor(entry);
            if (!document.SetAttribute("ID", std::to_string(id)))
                return E_OUTOFMEMORY;
        }
        previous = id;
    }
    return S_OK;
}

// Old files kept their entries directly under ROOT; they become a table for language 1033,
// placed first.
HRESULT ConvertOldFormat(XmlDocument& document, XmlNode* root) {
    std::vector<XmlNode*> entries;
    std::vector<XmlNode*> others;
    for (XmlNode* child : xml::Children(root))
        (IsNamed(child, "E") ? entries : others).push_back(child);
    XmlNode* table = document.InsertElement(root, root->firstChild, "TABLE");
    if (!table || !document.SetAttribute("LANG", "1033"))
        return E_OUTOFMEMORY;
    others.insert(others.begin(), table);
    SetChildren(root, others);
    SetChildren(table, entries);
    return S_OK;
}

HRESULT NormalizeDocument(XmlDocument& document, XmlNode* root, Prompter& prompter) {
    if (!xml::Child(root, "Table")) {
        prompter.Ask(kConversionWarning, "WARNING", MB_OK | MB_ICONEXCLAMATION);
        HRESULT hr = ConvertOldFormat(document, root);
        if (FAILED(hr))
            return hr;
    }
    SortChildren(root, "TABLE", "LANG", kMissingLanguage);
    for (XmlNode* table = root->firstChild; table; table = table->next) {
        if (!IsNamed(table, "TABLE"))
            continue;
        SortChildren(table, "E", "ID", 0);
        HRESULT hr = SeparateEqualIds(document, table);
        if (FAILED(hr))
            return hr;
    }
    return S_OK;
}

// Replaces the file through a temporary file, unless it already holds exactly `text`: a file
// that needed no change keeps its time stamp, so nothing watching it reloads.
HRESULT RewriteIfChanged(const std::string& path, const std::string& text) {
    {
        MappedFile current;
        if (SUCCEEDED(current.Open(path)) && current.Size() == text.size() &&
            (text.empty() || std::memcmp(current.Data(), text.data(), text.size()) == 0))
            return S_OK;
    }
    return ReplaceFileContents(path, text.data(), text.size());
}

// ---- Building ----

struct StringEntry {
    std::uint16_t id;
    XmlNode* node;
};

// The strings of one language, gathered from every table of that language, in ID order.
struct LanguageStrings {
    std::uint16_t language;
    std::vector<StringEntry> entries;
};

struct LanguageBlock {
    std::uint16_t language;
    std::vector<std::uint8_t> data;
};

// One type-6 resource: a block number and the block's data in each language that has it.
struct StringBlock {
    std::uint16_t number;
    std::vector<LanguageBlock> languages;
};

std::uint16_t BlockOf(std::uint16_t id) {
    return std::uint16_t((id >> 4) + 1);
}

void PutU16(std::vector<std::uint8_t>& out, std::uint16_t value) {
    out.push_back(std::uint8_t(value));
    out.push_back(std::uint8_t(value >> 8));
}

void PutU32(std::vector<std::uint8_t>& out, std::uint32_t value) {
    PutU16(out, std::uint16_t(value));
    PutU16(out, std::uint16_t(value >> 16));
}

void PutDirectoryHeader(std::vector<std::uint8_t>& out, std::uint16_t idEntries) {
    out.insert(out.end(), 14, 0);
    PutU16(out, idEntries);
}

std::vector<std::uint8_t> EmptyDirectory() {
    std::vector<std::uint8_t> out;
    PutDirectoryHeader(out, 0);
    return out;
}

bool IsAscii(std::string_view text) {
    return std::all_of(text.begin(), text.end(),
                       [](char c) { return static_cast<unsigned char>(c) < 0x80; });
}

// The S text of an entry, decoded from the code page its language's table is written in. Every
// code page used maps the ASCII bytes to themselves, which spares most strings a conversion.
std::u16string ReadString(const XmlNode* entry, unsigned codePage) {
    std::string text = xml::AttributeText(entry, "S").value_or("");
    std::u16string units =
        IsAscii(text) ? std::u16string(text.begin(), text.end()) : CodePageToUtf16(text, codePage);
    if (units.size() > kMaxStringUnits) {
        std::size_t cut = kMaxStringUnits;
        if (units[cut - 1] >= 0xD800 && units[cut - 1] <= 0xDBFF)
            --cut; // keep surrogate pairs whole
        units.resize(cut);
    }
    return units;
}

// The entries of one table with an ID a string block can hold; others are left out.
void CollectEntries(XmlNode* table, std::vector<StringEntry>& out) {
    for (XmlNode* entry = table->firstChild; entry; entry = entry->next) {
        if (!IsNamed(entry, "E"))
            continue;
        std::int32_t id = IntAttribute(entry, "ID", 0);
        if (id >= 0 && std::uint32_t(id) <= kMaxStringId)
            out.push_back({std::uint16_t(id), entry});
    }
}

// Every language with at least one string, in the order their first tables appear. Language IDs
// are 16-bit, so LANG is taken modulo 65536 (a missing LANG, -1, becomes 0xFFFF); tables that
// end up with the same language are merged, so a block never lists a language twice.
std::vector<LanguageStrings> CollectLanguages(const XmlDocument& document) {
    std::vector<LanguageStrings> languages;
    std::vector<std::int32_t> indexOf(0x10000, -1);
    XmlNode* root = document.Find("/Root");
    for (XmlNode* table = root ? root->firstChild : nullptr; table; table = table->next) {
        if (!IsNamed(table, "TABLE"))
            continue;
        auto language = std::uint16_t(IntAttribute(table, "LANG", kMissingLanguage));
        if (indexOf[language] < 0) {
            indexOf[language] = std::int32_t(languages.size());
            languages.push_back({language, {}});
        }
        CollectEntries(table, languages[std::size_t(indexOf[language])].entries);
    }
    std::erase_if(languages, [](const LanguageStrings& l) { return l.entries.empty(); });
    for (LanguageStrings& language : languages)
        std::stable_sort(language.entries.begin(), language.entries.end(),
                         [](const StringEntry& a, const StringEntry& b) { return a.id < b.id; });
    return languages;
}

// The data of one block in one language: 16 strings, each a u16 length and its code units.
// `run` holds the language's entries in this block, in ID order; of equal IDs the first wins.
std::vector<std::uint8_t> AssembleBlock(std::span<const StringEntry> run, unsigned codePage,
                                        bool& duplicates) {
    std::array<std::u16string, kStringsPerBlock> strings;
    std::array<bool, kStringsPerBlock> present{};
    for (const StringEntry& entry : run) {
        std::size_t slot = entry.id % kStringsPerBlock;
        if (present[slot]) {
            duplicates = true;
            continue;
        }
        present[slot] = true;
        strings[slot] = ReadString(entry.node, codePage);
    }
    std::vector<std::uint8_t> data;
    for (const std::u16string& text : strings) {
        PutU16(data, std::uint16_t(text.size()));
        for (char16_t unit : text)
            PutU16(data, unit);
    }
    return data;
}

// Splits each language's entries into blocks and orders the blocks by number; within a block
// the languages keep the order of their tables.
std::vector<StringBlock> CollectBlocks(const XmlDocument& document, bool& duplicates) {
    std::vector<std::vector<LanguageBlock>> byNumber(BlockOf(kMaxStringId) + 1);
    for (const LanguageStrings& language : CollectLanguages(document)) {
        unsigned codePage = CodePageOfLanguage(language.language);
        std::span<const StringEntry> entries(language.entries);
        while (!entries.empty()) {
            std::uint16_t number = BlockOf(entries.front().id);
            auto end = std::find_if(entries.begin(), entries.end(),
                                    [&](const StringEntry& e) { return BlockOf(e.id) != number; });
            std::size_t count = std::size_t(end - entries.begin());
            byNumber[number].push_back(
                {language.language, AssembleBlock(entries.first(count), codePage, duplicates)});
            entries = entries.subspan(count);
        }
    }
    std::vector<StringBlock> blocks;
    for (std::size_t number = 0; number < byNumber.size(); ++number)
        if (!byNumber[number].empty())
            blocks.push_back({std::uint16_t(number), std::move(byNumber[number])});
    return blocks;
}

std::uint64_t LanguageDirectorySize(const StringBlock& block) {
    return kDirectoryHeaderSize + (kDirectoryEntrySize + kDataEntrySize) * block.languages.size();
}

// Where each block's language directory starts, section-relative, followed by the offset of the
// first byte of block data (just after the last language directory).
std::vector<std::uint64_t> LanguageDirectoryOffsets(const std::vector<StringBlock>& blocks,
                                                    std::uint32_t subtreeOffset) {
    std::vector<std::uint64_t> offsets;
    std::uint64_t offset =
        std::uint64_t(subtreeOffset) + kDirectoryHeaderSize + kDirectoryEntrySize * blocks.size();
    for (const StringBlock& block : blocks) {
        offsets.push_back(offset);
        offset += LanguageDirectorySize(block);
    }
    offsets.push_back(offset);
    return offsets;
}

// The language directory of one block: header, one entry per language pointing at its data
// entry, then the data entries with the RVAs of the block data starting at `dataOffset`.
void PutLanguageDirectory(std::vector<std::uint8_t>& out, const StringBlock& block,
                          std::uint64_t offset, std::uint64_t& dataOffset,
                          std::uint32_t sectionRva) {
    PutDirectoryHeader(out, std::uint16_t(block.languages.size()));
    std::uint64_t dataEntry =
        offset + kDirectoryHeaderSize + kDirectoryEntrySize * block.languages.size();
    for (const LanguageBlock& language : block.languages) {
        PutU32(out, language.language);
        PutU32(out, std::uint32_t(dataEntry));
        dataEntry += kDataEntrySize;
    }
    for (const LanguageBlock& language : block.languages) {
        PutU32(out, std::uint32_t(sectionRva + dataOffset));
        PutU32(out, std::uint32_t(language.data.size()));
        PutU32(out, 0);
        PutU32(out, 0);
        dataOffset += language.data.size();
    }
}

// The block directory, the language directories and then all block data, packed.
std::vector<std::uint8_t> LayOut(const std::vector<StringBlock>& blocks,
                                 std::uint32_t subtreeOffset, std::uint32_t sectionRva) {
    std::vector<std::uint64_t> directories = LanguageDirectoryOffsets(blocks, subtreeOffset);
    std::uint64_t end = directories.back();
    for (const StringBlock& block : blocks)
        for (const LanguageBlock& language : block.languages)
            end += language.data.size();
    // More than 2 GB of strings cannot be addressed inside a section: leave them out.
    if (end > kMaxSectionOffset || sectionRva + end > 0xFFFFFFFF)
        return EmptyDirectory();

    std::vector<std::uint8_t> out;
    out.reserve(std::size_t(end - subtreeOffset));
    PutDirectoryHeader(out, std::uint16_t(blocks.size()));
    for (std::size_t i = 0; i < blocks.size(); ++i) {
        PutU32(out, blocks[i].number);
        PutU32(out, kSubdirectoryFlag | std::uint32_t(directories[i]));
    }
    std::uint64_t dataOffset = directories.back();
    for (std::size_t i = 0; i < blocks.size(); ++i)
        PutLanguageDirectory(out, blocks[i], directories[i], dataOffset, sectionRva);
    for (const StringBlock& block : blocks)
        for (const LanguageBlock& language : block.languages)
            out.insert(out.end(), language.data.begin(), language.data.end());
    return out;
}

} // namespace

HRESULT NormalizeStrings(const std::string& projectFolder, Prompter& prompter) {
    std::optional<std::string> path = ResolveInFolder(projectFolder, kFileName);
    XmlDocument document;
    // A missing or unreadable file is the builder's to report as an empty string table; it is
    // not rewritten, so nothing in it is lost.
    if (!path || FAILED(document.Load(*path)))
        return S_OK;
    XmlNode* root = document.Query("/Root");
    if (!root)
        return S_OK;
    std::string text;
    HRESULT hr = NormalizeDocument(document, root, prompter);
    if (SUCCEEDED(hr))
        hr = document.SaveToString(&text);
    // The document maps the file; release it before the file is replaced.
    document.Reset();
    if (SUCCEEDED(hr))
        hr = RewriteIfChanged(*path, text);
    if (FAILED(hr))
        ReportError(kModule, __LINE__, hr, "Failed to rewrite %s\n", path->c_str());
    return hr;
}

std::vector<std::uint8_t> BuildStringTables(const std::string& projectFolder,
                                            std::uint32_t subtreeOffset, std::uint32_t sectionRva,
                                            Prompter& prompter) {
    std::optional<std::string> path = ResolveInFolder(projectFolder, kFileName);
    XmlDocument document;
    if (!path || FAILED(document.Load(*path)))
        return EmptyDirectory();
    bool duplicates = false;
    std::vector<StringBlock> blocks = CollectBlocks(document, duplicates);
    if (duplicates)
        prompter.Ask(kDuplicateMessage, "Vellum", MB_OK | MB_ICONINFORMATION);
    return LayOut(blocks, subtreeOffset, sectionRva);
}

} // namespace vellum
