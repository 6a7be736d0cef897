// Reading and writing VS_VERSIONINFO blocks node by node.
#include "formats/VersionInfo.h"

#include "common/ByteWriter.h"
#include "formats/TemplateFields.h"

#include <utility>

namespace vellum {

namespace {

constexpr std::uint64_t kNodeHeaderSize = 6;
constexpr std::uint64_t kNodeLength = 0;
constexpr std::uint64_t kNodeValueLength = 2;
constexpr std::uint64_t kNodeType = 4;
constexpr std::u16string_view kRootKey = u"VS_VERSION_INFO";
constexpr std::u16string_view kStringFileInfo = u"StringFileInfo";
constexpr std::u16string_view kVarFileInfo = u"VarFileInfo";

std::vector<std::uint8_t> BytesOf(ByteView bytes, std::uint64_t from, std::uint64_t to) {
    ByteView part = bytes.Sub(from, to - from);
    return std::vector<std::uint8_t>(part.Data(), part.Data() + part.Size());
}

struct NodeRead {
    VersionNode node;
    std::uint64_t end = 0; // where wLength ends it
};

std::optional<NodeRead> ReadNode(ByteView block, std::uint64_t offset, std::uint64_t limit,
                                 int depth);

// The value, the children and the trailing bytes of a node whose key ends at `keyEnd`.
bool ReadNodeBody(ByteView block, std::uint64_t keyEnd, std::uint64_t nodeEnd, int depth,
                  VersionNode& node) {
    std::uint64_t valueStart = AlignTo4(keyEnd);
    std::uint64_t room = nodeEnd > valueStart ? nodeEnd - valueStart : 0;
    std::uint64_t valueBytes =
        node.type == kVersionValueText ? std::uint64_t(node.valueLength) * 2 : node.valueLength;
    if (valueBytes > room) {
        // Text values counted in bytes instead of characters look twice as long as they are;
        // the node's own length says where such a value ends. A binary value has no such excuse.
        if (node.type != kVersionValueText)
            return false;
        valueBytes = room;
    }
    std::uint64_t contentEnd = keyEnd;
    if (valueBytes) {
        node.value = BytesOf(block, valueStart, valueStart + valueBytes);
        contentEnd = valueStart + valueBytes;
    }
    // Fewer bytes than a node header behind the last child are padding, not another child.
    for (std::uint64_t child = AlignTo4(contentEnd); child + kNodeHeaderSize <= nodeEnd;
         child = AlignTo4(contentEnd)) {
        std::optional<NodeRead> read = ReadNode(block, child, nodeEnd, depth + 1);
        if (!read)
            return false;
        node.children.push_back(std::move(read->node));
        contentEnd = read->end;
    }
    node.trailing = BytesOf(block, contentEnd, nodeEnd);
    return true;
}

std::optional<NodeRead> ReadNode(ByteView block, std::uint64_t offset, std::uint64_t limit,
                                 int depth) {
    if (depth > kMaxVersionDepth || offset + kNodeHeaderSize > limit)
        return std::nullopt;
    std::uint16_t length = block.U16(offset + kNodeLength);
    if (length < kNodeHeaderSize || offset + length > limit)
        return std::nullopt;
    std::uint64_t nodeEnd = offset + length;
    VersionNode node;
    node.valueLength = block.U16(offset + kNodeValueLength);
    node.type = block.U16(offset + kNodeType);
    if (node.type != kVersionValueText && node.type != kVersionValueBinary)
        return std::nullopt;
    // The reader sees the bytes up to the node's end only, with offsets still counted from the
    // start of the block.
    TemplateReader key(block.Sub(0, nodeEnd), offset + kNodeHeaderSize);
    node.key = key.Utf16z();
    if (!key.Ok() || !ReadNodeBody(block, key.Offset(), nodeEnd, depth, node))
        return std::nullopt;
    return NodeRead{std::move(node), nodeEnd};
}

bool WriteNode(const VersionNode& node, TemplateWriter& out) {
    std::size_t start = out.Size();
    out.U16(0); // wLength, patched below
    out.U16(node.valueLength);
    out.U16(node.type);
    out.Utf16z(node.key);
    if (!node.value.empty() || !node.children.empty())
        out.AlignTo4();
    out.Bytes(node.value);
    for (const VersionNode& child : node.children) {
        out.AlignTo4();
        if (!WriteNode(child, out))
            return false;
    }
    out.Bytes(node.trailing);
    std::size_t length = out.Size() - start;
    if (length > 0xFFFF)
        return false;
    out.Patch16(start, std::uint16_t(length));
    return true;
}

std::vector<const VersionNode*> GrandChildren(const VersionNode& root, std::u16string_view key) {
    std::vector<const VersionNode*> found;
    for (const VersionNode& child : root.children)
        if (child.key == key)
            for (const VersionNode& grandChild : child.children)
                found.push_back(&grandChild);
    return found;
}

} // namespace

std::u16string VersionNode::Text() const {
    std::u16string text;
    for (std::size_t i = 0; i + 1 < value.size(); i += 2) {
        char16_t unit = char16_t(value[i] | value[i + 1] << 8);
        if (unit == 0)
            break;
        text.push_back(unit);
    }
    return text;
}

void VersionNode::SetText(std::u16string_view text) {
    type = kVersionValueText;
    value.clear();
    valueLength = 0;
    if (text.empty())
        return;
    for (char16_t unit : text)
        AppendU16(value, unit);
    AppendU16(value, 0);
    valueLength = std::uint16_t(text.size() + 1);
}

void VersionNode::SetBinary(std::vector<std::uint8_t> bytes) {
    type = kVersionValueBinary;
    valueLength = std::uint16_t(bytes.size());
    value = std::move(bytes);
}

const VersionNode* VersionNode::Child(std::u16string_view childKey) const {
    for (const VersionNode& child : children)
        if (child.key == childKey)
            return &child;
    return nullptr;
}

VersionNode* VersionNode::Child(std::u16string_view childKey) {
    return const_cast<VersionNode*>(std::as_const(*this).Child(childKey));
}

std::optional<VersionInfo> VersionInfo::Parse(ByteView block) {
    std::optional<NodeRead> root = ReadNode(block, 0, block.Size(), 0);
    if (!root || root->node.key != kRootKey)
        return std::nullopt;
    VersionInfo info;
    info.root = std::move(root->node);
    info.after = BytesOf(block, root->end, block.Size());
    return info;
}

std::optional<std::vector<std::uint8_t>> VersionInfo::Serialize() const {
    TemplateWriter out;
    if (!WriteNode(root, out))
        return std::nullopt;
    out.Bytes(after);
    return out.Take();
}

std::optional<FixedFileInfo> VersionInfo::Fixed() const {
    if (root.value.size() < kFixedFileInfoSize)
        return std::nullopt;
    ByteView v(root.value.data(), root.value.size());
    FixedFileInfo f;
    std::uint32_t* fields[] = {&f.signature,
                               &f.structVersion,
                               &f.fileVersionMs,
                               &f.fileVersionLs,
                               &f.productVersionMs,
                               &f.productVersionLs,
                               &f.flagsMask,
                               &f.flags,
                               &f.os,
                               &f.type,
                               &f.subtype,
                               &f.dateMs,
                               &f.dateLs};
    for (std::size_t i = 0; i < std::size(fields); ++i)
        *fields[i] = v.U32(i * 4);
    return f;
}

void VersionInfo::SetFixed(const FixedFileInfo& f) {
    std::vector<std::uint8_t> bytes;
    for (std::uint32_t field :
         {f.signature, f.structVersion, f.fileVersionMs, f.fileVersionLs, f.productVersionMs,
          f.productVersionLs, f.flagsMask, f.flags, f.os, f.type, f.subtype, f.dateMs, f.dateLs})
        AppendU32(bytes, field);
    std::uint16_t type = root.type;
    root.SetBinary(std::move(bytes));
    root.type = type; // the root keeps the wType it had
}

std::vector<const VersionNode*> VersionInfo::StringTables() const {
    return GrandChildren(root, kStringFileInfo);
}

std::vector<const VersionNode*> VersionInfo::Vars() const {
    return GrandChildren(root, kVarFileInfo);
}

std::vector<Translation> TranslationsOf(const VersionNode& var) {
    std::vector<Translation> pairs;
    ByteView v(var.value.data(), var.value.size());
    for (std::uint64_t at = 0; v.Has(at, 4); at += 4)
        pairs.push_back({v.U16(at), v.U16(at + 2)});
    return pairs;
}

std::vector<std::uint8_t> TranslationBytes(const std::vector<Translation>& pairs) {
    std::vector<std::uint8_t> bytes;
    for (Translation pair : pairs) {
        AppendU16(bytes, pair.language);
        AppendU16(bytes, pair.codePage);
    }
    return bytes;
}

std::u16string StringTableKey(Translation translation) {
    static constexpr char16_t kHex[] = u"0123456789ABCDEF";
    std::uint32_t both = std::uint32_t(translation.language) << 16 | translation.codePage;
    std::u16string key;
    for (int shift = 28; shift >= 0; shift -= 4)
        key.push_back(kHex[(both >> shift) & 0xF]);
    return key;
}

} // namespace vellum
