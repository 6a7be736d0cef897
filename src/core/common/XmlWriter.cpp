// The writer of XmlDocument: the declaration line, then every element on its own line, indented
// by three spaces per level, with CR LF line ends.
#include "Strings.h"
#include "XmlDocument.h"

#include <algorithm>
#include <array>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <memory>
#include <new>
#include <system_error>

namespace vellum {

namespace {

constexpr char kDeclaration[] = "<?xml version='1.0' encoding='ISO-8859-1'?>\r\n";
constexpr std::string_view kLineEnd = "\r\n";

// Indentation stops growing at this depth: three spaces per level would make the output of a
// hostile, deeply nested file grow with the square of its depth (terabytes for a million levels).
constexpr std::int32_t kMaxIndentLevels = 100;
constexpr auto kIndentSpaces = [] {
    std::array<char, 3 * kMaxIndentLevels> spaces{};
    spaces.fill(' ');
    return spaces;
}();

// Collects pieces and hands them to the sink in chunks. It is flushed whenever fewer than
// kFlushThreshold bytes are free; a piece that does not fit in the room left is passed on whole.
class OutputBuffer {
public:
    static constexpr std::size_t kSize = 32000;
    static constexpr std::size_t kFlushThreshold = 1000;

    explicit OutputBuffer(const XmlSink& sink)
        : sink_(sink), data_(new (std::nothrow) char[kSize]) {
        if (!data_)
            hr_ = E_OUTOFMEMORY;
    }

    void Put(std::string_view piece) {
        if (FAILED(hr_) || piece.empty())
            return;
        if (kSize - used_ < kFlushThreshold)
            Flush();
        if (piece.size() > kSize - used_) {
            Flush();
            if (SUCCEEDED(hr_))
                hr_ = sink_(piece.data(), piece.size());
            return;
        }
        std::memcpy(data_.get() + used_, piece.data(), piece.size());
        used_ += piece.size();
    }

    HRESULT Finish() {
        Flush();
        return hr_;
    }

private:
    void Flush() {
        if (used_ && SUCCEEDED(hr_))
            hr_ = sink_(data_.get(), used_);
        used_ = 0;
    }

    const XmlSink& sink_;
    std::unique_ptr<char[]> data_;
    std::size_t used_ = 0;
    HRESULT hr_ = S_OK;
};

void Indent(OutputBuffer& out, const XmlNode& node) {
    std::int32_t levels = node.depth < 0 ? 0 : std::min(node.depth, kMaxIndentLevels);
    out.Put({kIndentSpaces.data(), 3 * static_cast<std::size_t>(levels)});
}

void WriteAttribute(OutputBuffer& out, const XmlAttribute& attribute) {
    // Values set by the program never hold a quote, but a parsed value that was enclosed in
    // apostrophes may hold double quotes; it keeps its apostrophes so it reads back the same.
    std::string_view value = attribute.RawValue();
    std::string_view quote = value.find('"') == std::string_view::npos ? "\"" : "'";
    out.Put(" ");
    out.Put(attribute.Name());
    out.Put("=");
    out.Put(quote);
    out.Put(value);
    out.Put(quote);
}

void WriteStartTag(OutputBuffer& out, const XmlNode& node) {
    Indent(out, node);
    out.Put("<");
    out.Put(node.Name());
    for (const XmlAttribute* a = node.firstAttribute; a; a = a->next)
        WriteAttribute(out, *a);
}

void WriteCloseTag(OutputBuffer& out, const XmlNode& node) {
    out.Put("</");
    out.Put(node.Name());
    out.Put(">");
    out.Put(kLineEnd);
}

// The end of an element without children: "/>", or its text and the end tag.
void WriteLeafEnd(OutputBuffer& out, const XmlNode& node) {
    if (node.textLength == 0) {
        out.Put("/>");
        out.Put(kLineEnd);
        return;
    }
    out.Put(">");
    out.Put(node.RawText());
    WriteCloseTag(out, node);
}

// The end of an element with children, on a line of its own after them.
void WriteParentEnd(OutputBuffer& out, const XmlNode& node) {
    Indent(out, node);
    out.Put(node.RawText());
    WriteCloseTag(out, node);
}

// Depth first through `first`, its following siblings and their subtrees, without recursion so
// that nesting depth cannot exhaust the stack.
void WriteTree(OutputBuffer& out, const XmlNode* first) {
    const XmlNode* node = first;
    while (node) {
        WriteStartTag(out, *node);
        if (node->firstChild) {
            out.Put(">");
            out.Put(kLineEnd);
            node = node->firstChild;
            continue;
        }
        WriteLeafEnd(out, *node);
        while (node && !node->next) {
            node = node->parent;
            if (node)
                WriteParentEnd(out, *node);
        }
        if (node)
            node = node->next;
    }
}

HRESULT HResultFromErrorCode(const std::error_code& error) {
#ifdef _WIN32
    if (error.category() == std::system_category())
        return HRESULT_FROM_WIN32(static_cast<std::uint32_t>(error.value()));
#endif
    return HResultFromErrno(error.value());
}

// Creates a file that did not exist before, named after `target` in the same folder.
HRESULT CreateFileBeside(const std::string& target, std::string* path, std::FILE** file) {
    for (int attempt = 0; attempt < 100; ++attempt) {
        std::string candidate = Format("%s.%d.tmp", target.c_str(), attempt);
        errno = 0;
        *file = std::fopen(candidate.c_str(), "wbx");
        if (*file) {
            *path = std::move(candidate);
            return S_OK;
        }
        if (errno != EEXIST)
            return HResultFromLastErrno();
    }
    return HRESULT_FROM_WIN32(ERROR_FILE_EXISTS);
}

HRESULT WriteAndClose(const XmlDocument& document, std::FILE* file) {
    HRESULT hr = document.Write([file](const char* data, std::size_t size) -> HRESULT {
        errno = 0;
        return std::fwrite(data, 1, size, file) == size ? S_OK : HResultFromLastErrno();
    });
    errno = 0;
    if (std::fflush(file) != 0 && SUCCEEDED(hr))
        hr = HResultFromLastErrno();
    if (std::fclose(file) != 0 && SUCCEEDED(hr))
        hr = HResultFromLastErrno();
    return hr;
}

// Moves the finished file over the target, keeping the target's permissions.
HRESULT ReplaceFile(const std::string& from, const std::string& target) {
    namespace fs = std::filesystem;
    std::error_code error;
    fs::file_status status = fs::status(target, error);
    if (!error && fs::is_regular_file(status))
        fs::permissions(from, status.permissions(), error);
    error.clear();
    fs::rename(from, target, error);
    return error ? HResultFromErrorCode(error) : S_OK;
}

} // namespace

HRESULT XmlDocument::Write(const XmlSink& sink) const {
    if (!sink)
        return E_POINTER;
    OutputBuffer out(sink);
    out.Put(kDeclaration);
    WriteTree(out, head_.next);
    return out.Finish();
}

HRESULT XmlDocument::SaveToString(std::string* out) const {
    if (!out)
        return E_POINTER;
    out->clear();
    return Write([out](const char* data, std::size_t size) -> HRESULT {
        try {
            out->append(data, size);
        } catch (const std::exception&) {
            return E_OUTOFMEMORY;
        }
        return S_OK;
    });
}

HRESULT XmlDocument::Save(const std::string& path) const {
    std::string temporary;
    std::FILE* file = nullptr;
    HRESULT hr = CreateFileBeside(path, &temporary, &file);
    if (FAILED(hr))
        return hr;
    hr = WriteAndClose(*this, file);
    if (SUCCEEDED(hr))
        hr = ReplaceFile(temporary, path);
    if (FAILED(hr))
        std::remove(temporary.c_str());
    return hr;
}

} // namespace vellum
