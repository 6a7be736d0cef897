// XmlDocument: loading, path queries, attribute readers and tree building.
#include "XmlDocument.h"

#include "Strings.h"
#include "XmlText.h"

#include <algorithm>
#include <cstring>
#include <utility>

namespace vellum {

namespace {

bool IsSeparator(char c) {
    return c == '\\' || c == '/';
}

// The next name of a path at or after `pos`, skipping separators; empty when none is left.
std::string_view NextName(std::string_view path, std::size_t& pos) {
    while (pos < path.size() && IsSeparator(path[pos]))
        ++pos;
    std::size_t start = pos;
    while (pos < path.size() && !IsSeparator(path[pos]))
        ++pos;
    return path.substr(start, pos - start);
}

bool NameMatches(const XmlNode& node, std::string_view name) {
    return node.nameLength == name.size() && EqualsNoCase(node.Name(), name);
}

} // namespace

XmlAttribute* XmlNode::FindAttribute(std::string_view attributeName) const {
    for (XmlAttribute* a = firstAttribute; a; a = a->next)
        if (a->nameLength == attributeName.size() && EqualsNoCase(a->Name(), attributeName))
            return a;
    return nullptr;
}

namespace xml {

XmlNode* Child(const XmlNode* parent, std::string_view name, int index) {
    for (XmlNode* child = parent ? parent->firstChild : nullptr; child; child = child->next)
        if (NameMatches(*child, name) && index-- <= 0)
            return child;
    return nullptr;
}

std::vector<XmlNode*> Children(const XmlNode* parent) {
    std::vector<XmlNode*> children;
    for (XmlNode* child = parent ? parent->firstChild : nullptr; child; child = child->next)
        children.push_back(child);
    return children;
}

XmlNode* Find(const XmlNode* from, std::string_view path, int index) {
    if (!from)
        return nullptr;
    int depth = 0;
    return XmlDocument::Resolve(nullptr, path, index, {from->firstChild, nullptr, nullptr}, depth);
}

std::optional<std::string> AttributeText(const XmlNode* node, std::string_view name) {
    const XmlAttribute* attribute = node ? node->FindAttribute(name) : nullptr;
    if (!attribute)
        return std::nullopt;
    if (attribute->valueHasAmp)
        return DecodeEntities(attribute->RawValue());
    return std::string(attribute->RawValue());
}

std::optional<std::int32_t> AttributeInt(const XmlNode* node, std::string_view name) {
    const XmlAttribute* attribute = node ? node->FindAttribute(name) : nullptr;
    if (!attribute)
        return std::nullopt;
    return ParseDecimal(attribute->RawValue());
}

} // namespace xml

XmlDocument::XmlDocument() = default;
XmlDocument::~XmlDocument() = default;

void XmlDocument::Reset() {
    nodes_.Clear();
    attributes_.Clear();
    strings_.Clear();
    mapping_.Close();
    head_ = XmlNode{};
    cursor_ = &head_;
    cursorDepth_ = 0;
}

HRESULT XmlDocument::Load(const std::string& path) {
    Reset();
    HRESULT hr = mapping_.Open(path);
    if (FAILED(hr))
        return hr;
    fileName_ = path;
    hr = Parse(mapping_.Data(), mapping_.Size());
    if (FAILED(hr))
        Reset();
    return hr;
}

HRESULT XmlDocument::LoadBuffer(const std::uint8_t* data, std::size_t size) {
    Reset();
    if (!data && size)
        return E_POINTER;
    HRESULT hr = Parse(data, size);
    if (FAILED(hr))
        Reset();
    return hr;
}

XmlNode* XmlDocument::SetCursor(XmlNode* node) {
    XmlNode* previous = cursor_;
    cursor_ = node;
    if (node)
        cursorDepth_ = node->depth;
    return previous;
}

XmlNode* XmlDocument::Query(std::string_view path, int index) {
    return Locate(path, index, false);
}

XmlNode* XmlDocument::FindOrCreate(std::string_view path, int index) {
    return Locate(path, index, true);
}

XmlNode* XmlDocument::Find(std::string_view path, int index) const {
    int depth = 0;
    return Resolve(nullptr, path, index, {head_.next, nullptr, nullptr}, depth);
}

XmlNode* XmlDocument::Locate(std::string_view path, int index, bool create) {
    XmlDocument* creator = create ? this : nullptr;
    XmlNode* found = nullptr;
    if (!path.empty() && IsSeparator(path[0])) {
        cursorDepth_ = 0;
        found = Resolve(creator, path, index, {head_.next, &head_, nullptr}, cursorDepth_);
    } else if (cursor_) {
        found = Resolve(creator, path, index, {cursor_, nullptr, nullptr}, cursorDepth_);
    }
    cursor_ = found;
    return found;
}

XmlNode* XmlDocument::AddChild(std::string_view path, int index) {
    if (!cursor_)
        return nullptr;
    SiblingScan scan{head_.next, &head_, nullptr};
    if (cursor_ == &head_) {
        cursorDepth_ = 0;
    } else {
        scan = {cursor_->firstChild, nullptr, cursor_};
        ++cursorDepth_;
    }
    cursor_ = Resolve(this, path, index, scan, cursorDepth_);
    return cursor_;
}

XmlNode* XmlDocument::Resolve(XmlDocument* creator, std::string_view path, int index,
                              SiblingScan scan, int& depth) {
    std::size_t afterFirst = 0;
    const std::string_view firstName = NextName(path, afterFirst);
    if (firstName.empty())
        return nullptr;
    const int startDepth = depth;
    for (;;) {
        XmlNode* firstMatch = FindSibling(creator, scan, firstName);
        XmlNode* match = firstMatch;
        std::size_t pos = afterFirst;
        for (auto name = NextName(path, pos); match && !name.empty(); name = NextName(path, pos)) {
            ++depth;
            match = FindSibling(creator, {match->firstChild, nullptr, match}, name);
        }
        if (!match || index <= 0)
            return match;
        // A later occurrence: start the whole path again after the element that matched the
        // first name.
        --index;
        depth = startDepth;
        scan = {firstMatch->next, firstMatch, nullptr};
    }
}

XmlNode* XmlDocument::FindSibling(XmlDocument* creator, const SiblingScan& scan,
                                  std::string_view name) {
    XmlNode* last = scan.anchor;
    for (XmlNode* node = scan.first; node; node = node->next) {
        if (NameMatches(*node, name))
            return node;
        last = node;
    }
    return creator ? creator->NewElement(scan, last, name) : nullptr;
}

XmlNode* XmlDocument::NewElement(const SiblingScan& scan, XmlNode* last, std::string_view name) {
    XmlNode* parent = last ? last->parent : scan.parent;
    if (!last && (!parent || parent->depth >= kMaxDepth))
        return nullptr;
    XmlNode* node = nodes_.New();
    const char* copy = CopyString(name);
    if (!node || !copy)
        return nullptr;
    node->name = copy;
    node->nameLength = name.size();
    node->parent = parent;
    if (last) {
        node->depth = last->depth;
        node->prev = last;
        node->next = last->next;
        if (last->next)
            last->next->prev = node;
        last->next = node;
    } else {
        node->depth = parent->depth + 1;
        node->next = parent->firstChild;
        if (node->next)
            node->next->prev = node;
        parent->firstChild = node;
    }
    return node;
}

XmlNode* XmlDocument::InsertElement(XmlNode* parent, XmlNode* before, std::string_view name) {
    if (parent == &head_)
        parent = nullptr;
    XmlNode* last = parent ? parent->firstChild : &head_;
    if (before) {
        bool linked =
            before->prev ? before->prev->next == before : parent && parent->firstChild == before;
        if (before == &head_ || before->parent != parent || !linked)
            return nullptr;
        last = before->prev;
    } else {
        while (last && last->next)
            last = last->next;
    }
    XmlNode* node = NewElement({nullptr, nullptr, parent}, last, name);
    SetCursor(node);
    return node;
}

XmlNode* XmlDocument::InsertElementAfter(XmlNode* parent, XmlNode* after, std::string_view name) {
    if (parent == &head_)
        parent = nullptr;
    if (after && (after == &head_ || after->parent != parent))
        return nullptr;
    XmlNode* node =
        NewElement({nullptr, nullptr, parent}, after ? after : (parent ? nullptr : &head_), name);
    SetCursor(node);
    return node;
}

void XmlDocument::Unlink(XmlNode* node) {
    if (!node || node == &head_)
        return;
    if (node->prev)
        node->prev->next = node->next;
    else if (node->parent && node->parent->firstChild == node)
        node->parent->firstChild = node->next;
    if (node->next)
        node->next->prev = node->prev;
    node->prev = nullptr;
    node->next = nullptr;
}

XmlNode* XmlDocument::ReaderNode(const char* path) {
    return path ? Query(path) : cursor_;
}

HRESULT XmlDocument::GetAttrString(const char* path, std::string_view name, char* buffer,
                                   std::size_t size) {
    if (!buffer || size == 0)
        return E_INVALIDARG;
    const XmlNode* node = ReaderNode(path);
    const XmlAttribute* attribute = node ? node->FindAttribute(name) : nullptr;
    if (!attribute)
        return E_FAIL;
    std::size_t length = 0;
    if (attribute->valueHasAmp) {
        length = xml::DecodeEntities(attribute->RawValue(), buffer, size >= 2 ? size - 2 : 0);
    } else {
        length = std::min(attribute->valueLength, size - 1);
        std::memcpy(buffer, attribute->value, length);
    }
    buffer[length] = '\0';
    return S_OK;
}

HRESULT XmlDocument::GetAttrText(const char* path, std::string_view name, std::string* out) {
    if (!out)
        return E_POINTER;
    std::optional<std::string> text = xml::AttributeText(ReaderNode(path), name);
    if (!text)
        return E_FAIL;
    *out = std::move(*text);
    return S_OK;
}

HRESULT XmlDocument::GetAttrInt(const char* path, std::string_view name, std::int32_t* out) {
    if (!out)
        return E_POINTER;
    std::optional<std::int32_t> value = xml::AttributeInt(ReaderNode(path), name);
    if (!value)
        return E_FAIL;
    *out = *value;
    return S_OK;
}

HRESULT XmlDocument::GetAttrInt16(const char* path, std::string_view name, std::int16_t* out) {
    std::int32_t value = 0;
    if (!out)
        return E_POINTER;
    HRESULT hr = GetAttrInt(path, name, &value);
    if (SUCCEEDED(hr))
        *out = static_cast<std::int16_t>(value);
    return hr;
}

const char* XmlDocument::CopyString(std::string_view text) {
    char* copy = strings_.Allocate(text.size());
    if (copy && !text.empty())
        std::memcpy(copy, text.data(), text.size());
    return copy;
}

HRESULT XmlDocument::SetValue(XmlAttribute* slot, std::string_view text) {
    if (!slot)
        return E_POINTER;
    std::size_t length = xml::EscapedLength(text);
    char* escaped = strings_.Allocate(length);
    if (!escaped)
        return E_OUTOFMEMORY;
    slot->valueHasAmp = xml::EscapeInto(text, escaped);
    slot->value = escaped;
    slot->valueLength = length;
    return S_OK;
}

XmlAttribute* XmlDocument::SetAttribute(std::string_view name, std::string_view value) {
    if (!cursor_)
        return nullptr;
    if (XmlAttribute* existing = cursor_->FindAttribute(name))
        return SUCCEEDED(SetValue(existing, value)) ? existing : nullptr;
    XmlAttribute* attribute = SetAttribute(attributes_.New(), name, value);
    if (!attribute)
        return nullptr;
    XmlAttribute** link = &cursor_->firstAttribute;
    while (*link)
        link = &(*link)->next;
    *link = attribute;
    return attribute;
}

XmlAttribute* XmlDocument::SetAttribute(XmlAttribute* attribute, std::string_view name,
                                        std::string_view value) {
    if (!attribute)
        return nullptr;
    const char* copy = CopyString(name);
    if (!copy || FAILED(SetValue(attribute, value)))
        return nullptr;
    attribute->name = copy;
    attribute->nameLength = name.size();
    return attribute;
}

HRESULT XmlDocument::SetPathAttribute(const char* path, std::string_view name,
                                      std::string_view value, int index) {
    XmlNode* node = path ? FindOrCreate(path, index) : cursor_;
    if (!node)
        return E_FAIL;
    return SetAttribute(name, value) ? S_OK : E_OUTOFMEMORY;
}

} // namespace vellum
