#include "decompiler/ManifestBuffer.h"

#include "common/ErrorTrail.h"
#include "common/FileIo.h"
#include "common/TrailModules.h"

#include <cstdio>

namespace vellum {

namespace {

constexpr const char* kModule = trail::kExeDumper;
// The manifest text is collected and appended to its file in blocks. The block size comes from a
// 128 KiB buffer that was flushed as soon as less than one longest formatted line (2,047 bytes
// and its terminator) was left free: 131,072 - 2,047 = 129,025. Only the write pattern depends on
// it, never the bytes of the manifest.
constexpr std::size_t kManifestFlushSize = 129025;

} // namespace

void ManifestBuffer::Append(std::string_view text) {
    if (!enabled_)
        return;
    pending_ += text;
    if (pending_.size() >= kManifestFlushSize)
        Flush();
}

HRESULT ManifestBuffer::Flush() {
    if (!enabled_ || pending_.empty())
        return S_OK;
    OutputFile out;
    HRESULT hr = flushed_ ? out.OpenAppend(path_) : out.Create(path_);
    if (SUCCEEDED(hr))
        hr = out.Write(pending_);
    HRESULT closed = out.Close();
    if (SUCCEEDED(hr))
        hr = closed;
    if (FAILED(hr)) {
        ReportError(kModule, __LINE__, hr, "Failed writing to file %s\n", path_.c_str());
        return hr;
    }
    flushed_ += pending_.size();
    pending_.clear();
    return S_OK;
}

HRESULT ManifestBuffer::Patch(std::uint64_t offset, char value) {
    if (offset >= Position())
        return E_FAIL;
    if (offset >= flushed_) {
        pending_[std::size_t(offset - flushed_)] = value;
        return S_OK;
    }
    std::FILE* file = std::fopen(path_.c_str(), "r+b");
    bool ok =
        file && std::fseek(file, long(offset), SEEK_SET) == 0 && std::fputc(value, file) != EOF;
    if (file && std::fclose(file) != 0)
        ok = false;
    if (!ok) {
        ReportError(kModule, __LINE__, E_FAIL, "Failed writing to file %s\n", path_.c_str());
        return E_FAIL;
    }
    return S_OK;
}

} // namespace vellum
