// XmlDocument: the small XML engine behind every manifest, project file and string table.
//
// Loading maps the file and builds a tree of element records whose names and values point into
// the mapped bytes; nothing is copied. Elements are found with backslash- or slash-separated
// paths, attributes are read as strings or integers, and a few operations build trees that the
// writer prints with three-space indentation and CR LF line ends. The readers in namespace xml
// take a node and return values; the older readers of XmlDocument go through a cursor that each
// query moves, and remain for the code that builds trees with it. Names are compared without regard
// to ASCII case. Records and strings come from pooled blocks and live until Reset, Load or
// destruction.
#pragma once

#include "MappedFile.h"
#include "Result.h"
#include "XmlPool.h"

#include <cstddef>
#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace vellum {

// One attribute. The value is kept as it stands in the file (or escaped, when the program set
// it); `valueHasAmp` tells whether it holds '&' and so needs entity decoding when read.
struct XmlAttribute {
    XmlAttribute* next = nullptr;
    const char* name = nullptr;
    std::size_t nameLength = 0;
    const char* value = nullptr;
    std::size_t valueLength = 0;
    bool valueHasAmp = false;

    std::string_view Name() const { return {name, nameLength}; }
    std::string_view RawValue() const { return {value, valueLength}; }
};

// One element. Top-level elements have depth 0 and no parent; the document's head sentinel
// precedes the first of them. An element has at most one text.
struct XmlNode {
    XmlNode* next = nullptr;
    XmlNode* prev = nullptr;
    XmlNode* firstChild = nullptr;
    XmlNode* parent = nullptr;
    const char* name = nullptr;
    std::size_t nameLength = 0;
    const char* text = nullptr;
    std::size_t textLength = 0;
    bool textHasAmp = false;
    std::int32_t depth = 0;
    XmlAttribute* firstAttribute = nullptr;

    std::string_view Name() const { return {name, nameLength}; }
    std::string_view RawText() const { return {text, textLength}; }
    // The first attribute of that name, ignoring case; nullptr when there is none.
    XmlAttribute* FindAttribute(std::string_view attributeName) const;
};

// Readers that take a node and return values; they keep no state between calls and never move a
// document's cursor. A null node finds nothing. Names are compared without regard to ASCII case.
namespace xml {

// The `index`-th child of `parent` named `name`, or nullptr.
XmlNode* Child(const XmlNode* parent, std::string_view name, int index = 0);
// Every child of `parent`, in document order; empty for a null parent.
std::vector<XmlNode*> Children(const XmlNode* parent);
// The element at a backslash- or slash-separated path of names below `from`: the first name is
// looked for among its children, each further name among the children of the previous match.
// `index` picks a later match, restarting the path after the child that matched the first name,
// as XmlDocument::Query does.
XmlNode* Find(const XmlNode* from, std::string_view path, int index = 0);
// The attribute's value with its entities decoded; nullopt when the node or attribute is missing.
std::optional<std::string> AttributeText(const XmlNode* node, std::string_view name);
// The attribute as a signed decimal integer: "-42" is -42, "12ab" is 12, "" and "0x10" are 0.
std::optional<std::int32_t> AttributeInt(const XmlNode* node, std::string_view name);

} // namespace xml

// Receives the writer's output in pieces; a failure code stops the writer.
using XmlSink = std::function<HRESULT(const char* data, std::size_t size)>;

class XmlDocument {
public:
    XmlDocument();
    ~XmlDocument();
    XmlDocument(const XmlDocument&) = delete;
    XmlDocument& operator=(const XmlDocument&) = delete;

    // Maps and parses a file. On failure the document is empty and the code says why: a Win32
    // error for the file, E_FAIL for malformed XML, E_OUTOFMEMORY.
    HRESULT Load(const std::string& path);
    // Parses bytes the caller keeps alive for as long as the tree is used.
    HRESULT LoadBuffer(const std::uint8_t* data, std::size_t size);
    // Drops the tree, every pooled record and string, and the mapping.
    void Reset();
    // The path last loaded.
    const std::string& FileName() const { return fileName_; }

    // The element at `path`, or nullptr; the cursor moves to the result either way. A leading
    // separator starts at the top level; otherwise the search starts at the cursor and its
    // following siblings. `index` picks a later match: the search restarts after the element
    // that matched the first name.
    XmlNode* Query(std::string_view path, int index = 0);
    // The element at `path` from the top level, whether or not the path starts with a separator,
    // with Query's `index` rule; the cursor stays where it is.
    XmlNode* Find(std::string_view path, int index = 0) const;
    XmlNode* GetCursor() const { return cursor_; }
    // Moves the cursor (and the cursor depth) to `node`; returns the previous cursor.
    XmlNode* SetCursor(XmlNode* node);
    XmlNode* GetHead() { return &head_; }
    int GetDepth() const { return cursorDepth_; }
    void SetDepth(int depth) { cursorDepth_ = depth; }
    bool IsEmpty() const { return head_.next == nullptr && head_.firstChild == nullptr; }

    // Attribute readers. A non-null `path` is queried first (moving the cursor); a null one
    // reads the cursor. A missing element or attribute gives E_FAIL and leaves the output as it
    // was, so callers preset their defaults.
    //
    // The string is cut to size - 1 bytes, or size - 2 when entities were decoded, plus a NUL;
    // a null buffer or a size of 0 gives E_INVALIDARG.
    HRESULT GetAttrString(const char* path, std::string_view name, char* buffer, std::size_t size);
    // The whole decoded value, however long.
    HRESULT GetAttrText(const char* path, std::string_view name, std::string* out);
    // Signed decimal integers ("-42" is -42, "12ab" is 12, "" and "0x10" are 0).
    HRESULT GetAttrInt(const char* path, std::string_view name, std::int32_t* out);
    HRESULT GetAttrInt16(const char* path, std::string_view name, std::int16_t* out);
    // GetAttrInt for callers that hold a reference: written only on success.
    HRESULT ReadAttrInt(const char* path, std::string_view name, std::int32_t& out) {
        return GetAttrInt(path, name, &out);
    }

    // Query that creates what is missing: unmatched names are appended after the last sibling
    // examined, missing child lists get a first child, and an index beyond the existing siblings
    // adds siblings named like the first name. The cursor moves to the result.
    XmlNode* FindOrCreate(std::string_view path, int index = 0);
    // FindOrCreate below the cursor (at the top level when the cursor is the head).
    XmlNode* AddChild(std::string_view path, int index = 0);
    // Creates an element under `parent` (the top level when it is null or the head), just before
    // `before`, or after the last child when `before` is null, and moves the cursor to it.
    // nullptr when `before` is not a child of `parent`.
    XmlNode* InsertElement(XmlNode* parent, XmlNode* before, std::string_view name);
    // The same, just after `after` (as the first child when it is null), without walking the
    // sibling list: appending to a long list stays cheap. nullptr when `after` is not a child of
    // `parent`.
    XmlNode* InsertElementAfter(XmlNode* parent, XmlNode* after, std::string_view name);
    // Sets an attribute of the cursor element: the first of that name (ignoring case), else a new
    // one at the end. The value is escaped up to its first NUL, whatever its length.
    XmlAttribute* SetAttribute(std::string_view name, std::string_view value);
    // Overwrites the name and value of a given attribute record.
    XmlAttribute* SetAttribute(XmlAttribute* attribute, std::string_view name,
                               std::string_view value);
    // FindOrCreate(path, index), then SetAttribute(name, value). A null path sets the attribute
    // on the cursor element.
    HRESULT SetPathAttribute(const char* path, std::string_view name, std::string_view value,
                             int index = 0);
    // Stores the escaped text as an attribute's value.
    HRESULT SetValue(XmlAttribute* slot, std::string_view text);
    // Detaches an element from its sibling list. It keeps its subtree and its parent link; its
    // sibling links are cleared, so unlinking it again changes nothing.
    void Unlink(XmlNode* node);

    // Writes the declaration line and the tree: one element per line, three spaces of
    // indentation per level (no deeper than 100 levels), CR LF, "/>" for elements without
    // children or text. Save writes a temporary file beside the target and renames it over the
    // target, so a failure leaves an existing file as it was.
    HRESULT Save(const std::string& path) const;
    HRESULT SaveToString(std::string* out) const;
    HRESULT Write(const XmlSink& sink) const;

private:
    friend class XmlParser;
    friend XmlNode* xml::Find(const XmlNode* from, std::string_view path, int index);

    // Where a sibling search starts: the first element to examine, the element a new sibling is
    // appended after when none was examined, and the element that receives a new first child
    // when there is neither.
    struct SiblingScan {
        XmlNode* first;
        XmlNode* anchor;
        XmlNode* parent;
    };

    // Elements deeper than this are refused, so depth arithmetic never overflows.
    static constexpr std::int32_t kMaxDepth = 0x3FFFFFFF;

    XmlNode* Locate(std::string_view path, int index, bool create);
    // Follows `path` from a sibling list, adding `depth` one per level descended. With a null
    // `creator` it only looks; otherwise the creator's pools receive what is missing.
    static XmlNode* Resolve(XmlDocument* creator, std::string_view path, int index,
                            SiblingScan scan, int& depth);
    static XmlNode* FindSibling(XmlDocument* creator, const SiblingScan& scan,
                                std::string_view name);
    XmlNode* NewElement(const SiblingScan& scan, XmlNode* last, std::string_view name);
    // The element an attribute reader reads: `path` queried (moving the cursor), or the cursor.
    XmlNode* ReaderNode(const char* path);
    const char* CopyString(std::string_view text);
    HRESULT Parse(const std::uint8_t* data, std::size_t size);

    XmlNode head_;
    RecordPool<XmlNode> nodes_;
    RecordPool<XmlAttribute> attributes_;
    StringPool strings_;
    MappedFile mapping_;
    XmlNode* cursor_ = &head_;
    int cursorDepth_ = 0;
    std::string fileName_ = "C:\\TEST.XML";
};

} // namespace vellum
