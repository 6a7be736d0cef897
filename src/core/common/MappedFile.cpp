// Read-only file mappings on POSIX (mmap) and Win32 (MapViewOfFile).
#include "MappedFile.h"

#include <cerrno>
#include <new>

#ifdef _WIN32
#include <windows.h>
#else
#include <fcntl.h>
#include <sys/mman.h>
#include <sys/stat.h>
#include <unistd.h>
#endif

namespace vellum {

namespace {

#ifdef _WIN32
HRESULT MapInto(const std::string& path, MappedFileRecord& rec) {
    HANDLE file = CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                              FILE_ATTRIBUTE_NORMAL | FILE_FLAG_SEQUENTIAL_SCAN, nullptr);
    if (file == INVALID_HANDLE_VALUE)
        file =
            CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                        OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL | FILE_FLAG_SEQUENTIAL_SCAN, nullptr);
    if (file == INVALID_HANDLE_VALUE)
        return HRESULT_FROM_WIN32(GetLastError());
    LARGE_INTEGER size{};
    if (!GetFileSizeEx(file, &size)) {
        HRESULT hr = HRESULT_FROM_WIN32(GetLastError());
        CloseHandle(file);
        return hr;
    }
    rec.file = reinterpret_cast<std::intptr_t>(file);
    rec.size = static_cast<std::uint64_t>(size.QuadPart);
    if (rec.size == 0)
        return S_OK;
    HANDLE mapping = CreateFileMappingA(file, nullptr, PAGE_READONLY, 0, 0, nullptr);
    if (!mapping) {
        HRESULT hr = HRESULT_FROM_WIN32(GetLastError());
        CloseHandle(file);
        return hr;
    }
    const void* view = MapViewOfFile(mapping, FILE_MAP_READ, 0, 0, 0);
    if (!view) {
        HRESULT hr = HRESULT_FROM_WIN32(GetLastError());
        CloseHandle(mapping);
        CloseHandle(file);
        return hr;
    }
    rec.mapping = reinterpret_cast<std::intptr_t>(mapping);
    rec.view = static_cast<const std::uint8_t*>(view);
    return S_OK;
}

void Release(MappedFileRecord& rec) {
    if (rec.view)
        UnmapViewOfFile(rec.view);
    if (rec.mapping != -1)
        CloseHandle(reinterpret_cast<HANDLE>(rec.mapping));
    if (rec.file != -1)
        CloseHandle(reinterpret_cast<HANDLE>(rec.file));
}
#else
HRESULT MapInto(const std::string& path, MappedFileRecord& rec) {
    int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0)
        return HResultFromLastErrno();
    struct stat st {};
    if (::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode)) {
        HRESULT hr =
            S_ISDIR(st.st_mode) ? HRESULT_FROM_WIN32(ERROR_ACCESS_DENIED) : HResultFromLastErrno();
        ::close(fd);
        return hr;
    }
    rec.file = fd;
    rec.size = static_cast<std::uint64_t>(st.st_size);
    if (rec.size == 0) {
        ::close(fd);
        rec.file = -1;
        return S_OK;
    }
    void* view = ::mmap(nullptr, static_cast<std::size_t>(rec.size), PROT_READ, MAP_PRIVATE, fd, 0);
    if (view == MAP_FAILED) {
        HRESULT hr = HResultFromLastErrno();
        ::close(fd);
        return hr;
    }
    ::madvise(view, static_cast<std::size_t>(rec.size), MADV_SEQUENTIAL);
    rec.view = static_cast<const std::uint8_t*>(view);
    // The mapping outlives the descriptor; closing it now lets a caller hold thousands of
    // mappings without running into the descriptor limit.
    ::close(fd);
    rec.file = -1;
    return S_OK;
}

void Release(MappedFileRecord& rec) {
    if (rec.view)
        ::munmap(const_cast<std::uint8_t*>(rec.view), static_cast<std::size_t>(rec.size));
    if (rec.file != -1)
        ::close(static_cast<int>(rec.file));
}
#endif

} // namespace

HRESULT MapFileReadOnly(const std::string& path, MappedFileRecord** out) {
    if (!out)
        return E_POINTER;
    *out = nullptr;
    auto* rec = new (std::nothrow) MappedFileRecord;
    if (!rec)
        return E_OUTOFMEMORY;
    HRESULT hr = MapInto(path, *rec);
    if (FAILED(hr)) {
        delete rec;
        return hr;
    }
    rec->view2 = rec->view;
    rec->size2 = rec->size;
    *out = rec;
    return S_OK;
}

HRESULT UnmapFile(MappedFileRecord* record) {
    if (!record)
        return E_POINTER;
    Release(*record);
    delete record;
    return S_OK;
}

MappedFile& MappedFile::operator=(MappedFile&& other) noexcept {
    if (this != &other) {
        Close();
        record_ = other.record_;
        other.record_ = nullptr;
    }
    return *this;
}

HRESULT MappedFile::Open(const std::string& path) {
    Close();
    return MapFileReadOnly(path, &record_);
}

void MappedFile::Close() {
    if (record_) {
        UnmapFile(record_);
        record_ = nullptr;
    }
}

} // namespace vellum
