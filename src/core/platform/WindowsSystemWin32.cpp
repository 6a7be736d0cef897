// The native WindowsSystem: the Win32 registry and shell of the machine the program runs on.
// Built on Windows only; elsewhere the Wine-prefix backend stands in.
#ifdef _WIN32

#include "platform/WindowsSystem.h"

#include <cwchar>
#include <objbase.h>
#include <shlobj.h>
#include <shobjidl.h>
#include <windows.h>

namespace vellum {

namespace {

HKEY RootHandle(RootKey root) {
    switch (root) {
    case RootKey::ClassesRoot:
        return HKEY_CLASSES_ROOT;
    case RootKey::CurrentUser:
        return HKEY_CURRENT_USER;
    case RootKey::LocalMachine:
        return HKEY_LOCAL_MACHINE;
    case RootKey::Users:
        return HKEY_USERS;
    }
    return HKEY_CLASSES_ROOT;
}

HRESULT FromStatus(LSTATUS status) {
    return HRESULT_FROM_WIN32(DWORD(status));
}

// Closes a key handle on every path.
struct Key {
    HKEY handle = nullptr;
    ~Key() {
        if (handle)
            RegCloseKey(handle);
    }
};

// Moves `temp` over `target` and gives the result `attributes` (when valid); a failed move
// removes `temp` and leaves `target` as it was.
HRESULT MoveOverKeepingAttributes(const std::string& temp, const std::string& target,
                                  DWORD attributes) {
    SetFileAttributesA(target.c_str(), FILE_ATTRIBUTE_NORMAL);
    HRESULT hr = S_OK;
    if (!MoveFileExA(temp.c_str(), target.c_str(), MOVEFILE_REPLACE_EXISTING)) {
        hr = HRESULT_FROM_WIN32(GetLastError());
        DeleteFileA(temp.c_str());
    }
    if (attributes != INVALID_FILE_ATTRIBUTES)
        SetFileAttributesA(target.c_str(), attributes);
    return hr;
}

std::wstring Wide(std::string_view text) {
    std::string input(text);
    int size = MultiByteToWideChar(CP_ACP, 0, input.c_str(), -1, nullptr, 0);
    std::wstring out(size > 0 ? std::size_t(size) : 1, L'\0');
    if (size > 0)
        MultiByteToWideChar(CP_ACP, 0, input.c_str(), -1, out.data(), size);
    out.resize(wcslen(out.c_str()));
    return out;
}

// COM for the calling thread during one call; uninitialised only when this call started it.
struct ComScope {
    HRESULT hr = CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
    ~ComScope() {
        if (SUCCEEDED(hr))
            CoUninitialize();
    }
};

// The shell's shortcut object and its file interface, released on every path.
struct ShellLink {
    IShellLinkA* link = nullptr;
    IPersistFile* file = nullptr;
    ~ShellLink() {
        if (file)
            file->Release();
        if (link)
            link->Release();
    }
    HRESULT Load(std::string_view path, DWORD mode) {
        HRESULT hr = CoCreateInstance(CLSID_ShellLink, nullptr, CLSCTX_INPROC_SERVER,
                                      IID_IShellLinkA, reinterpret_cast<void**>(&link));
        if (SUCCEEDED(hr))
            hr = link->QueryInterface(IID_IPersistFile, reinterpret_cast<void**>(&file));
        if (SUCCEEDED(hr))
            hr = file->Load(Wide(path).c_str(), mode);
        return hr;
    }
};

class Win32System : public WindowsSystem {
public:
    HRESULT ReadString(RootKey root, std::string_view key, std::string_view valueName,
                       std::string* value) override {
        Key k;
        LSTATUS status =
            RegOpenKeyExA(RootHandle(root), std::string(key).c_str(), 0, KEY_READ, &k.handle);
        if (status != ERROR_SUCCESS)
            return FromStatus(status);
        std::string name(valueName);
        DWORD type = 0, size = 0;
        status = RegQueryValueExA(k.handle, name.c_str(), nullptr, &type, nullptr, &size);
        if (status != ERROR_SUCCESS)
            return FromStatus(status);
        if (type != REG_SZ && type != REG_EXPAND_SZ)
            return HRESULT_FROM_WIN32(ERROR_INVALID_DATA);
        std::string data(size + 1, '\0');
        status = RegQueryValueExA(k.handle, name.c_str(), nullptr, &type,
                                  reinterpret_cast<BYTE*>(data.data()), &size);
        if (status != ERROR_SUCCESS)
            return FromStatus(status);
        data.resize(strnlen(data.c_str(), size));
        *value = std::move(data);
        return S_OK;
    }

    HRESULT WriteString(RootKey root, std::string_view key, std::string_view valueName,
                        std::string_view value) override {
        return WriteStringValue(root, key, valueName, value, REG_SZ);
    }

    HRESULT WriteStringValue(RootKey root, std::string_view key, std::string_view valueName,
                             std::string_view value, std::uint32_t type) override {
        if (type != REG_SZ && type != REG_EXPAND_SZ)
            return E_INVALIDARG;
        Key k;
        LSTATUS status = RegCreateKeyExA(RootHandle(root), std::string(key).c_str(), 0, nullptr, 0,
                                         KEY_WRITE, nullptr, &k.handle, nullptr);
        if (status != ERROR_SUCCESS)
            return FromStatus(status);
        std::string text(value);
        // The stored length counts the terminating zero.
        status =
            RegSetValueExA(k.handle, std::string(valueName).c_str(), 0, DWORD(type),
                           reinterpret_cast<const BYTE*>(text.c_str()), DWORD(text.size() + 1));
        return FromStatus(status);
    }

    HRESULT DeleteValue(RootKey root, std::string_view key, std::string_view valueName) override {
        Key k;
        LSTATUS status =
            RegOpenKeyExA(RootHandle(root), std::string(key).c_str(), 0, KEY_SET_VALUE, &k.handle);
        if (status == ERROR_SUCCESS)
            status = RegDeleteValueA(k.handle, std::string(valueName).c_str());
        return status == ERROR_FILE_NOT_FOUND ? S_OK : FromStatus(status);
    }

    HRESULT CreateKey(RootKey root, std::string_view key) override {
        Key k;
        return FromStatus(RegCreateKeyExA(RootHandle(root), std::string(key).c_str(), 0, nullptr, 0,
                                          KEY_WRITE, nullptr, &k.handle, nullptr));
    }

    HRESULT DeleteKey(RootKey root, std::string_view key) override {
        LSTATUS status = RegDeleteTreeA(RootHandle(root), std::string(key).c_str());
        return status == ERROR_FILE_NOT_FOUND ? S_OK : FromStatus(status);
    }

    HRESULT EnumerateSubkeys(RootKey root, std::string_view key,
                             std::vector<std::string>* names) override {
        return Enumerate(root, key, names, true);
    }

    HRESULT EnumerateValues(RootKey root, std::string_view key,
                            std::vector<std::string>* names) override {
        return Enumerate(root, key, names, false);
    }

    HRESULT ReadValueType(RootKey root, std::string_view key, std::string_view valueName,
                          std::uint32_t* type) override {
        Key k;
        LSTATUS status =
            RegOpenKeyExA(RootHandle(root), std::string(key).c_str(), 0, KEY_READ, &k.handle);
        DWORD found = 0;
        if (status == ERROR_SUCCESS)
            status = RegQueryValueExA(k.handle, std::string(valueName).c_str(), nullptr, &found,
                                      nullptr, nullptr);
        if (status != ERROR_SUCCESS)
            return FromStatus(status);
        *type = found;
        return S_OK;
    }

    HRESULT ShellFolder(int csidl, std::string* folder) override {
        char path[MAX_PATH] = {};
        HRESULT hr = SHGetFolderPathA(nullptr, csidl, nullptr, SHGFP_TYPE_CURRENT, path);
        if (SUCCEEDED(hr))
            *folder = path;
        return hr;
    }

    std::string WindowsFolder() override {
        char path[MAX_PATH] = {};
        UINT length = GetWindowsDirectoryA(path, MAX_PATH);
        return std::string(path, length < MAX_PATH ? length : 0);
    }

    std::string SystemFolder() override {
        char path[MAX_PATH] = {};
        UINT length = GetSystemDirectoryA(path, MAX_PATH);
        return std::string(path, length < MAX_PATH ? length : 0);
    }

    std::string ExpandEnvironment(std::string_view text) override {
        std::string input(text);
        DWORD size = ExpandEnvironmentStringsA(input.c_str(), nullptr, 0);
        if (size == 0)
            return input;
        std::string out(size, '\0');
        ExpandEnvironmentStringsA(input.c_str(), out.data(), size);
        out.resize(strnlen(out.c_str(), size));
        return out;
    }

    std::string ToHostPath(std::string_view windowsPath) override {
        return std::string(windowsPath);
    }
    std::string ToWindowsPath(std::string_view hostPath) override { return std::string(hostPath); }

    std::string ReadProfileString(std::string_view path, std::string_view section,
                                  std::string_view key, std::string_view fallback) override {
        char value[4096];
        DWORD length = GetPrivateProfileStringA(
            std::string(section).c_str(), std::string(key).c_str(), std::string(fallback).c_str(),
            value, sizeof value, std::string(path).c_str());
        return std::string(value, length);
    }

    // A read-only or hidden file refuses the write; its attributes are set to normal for it and
    // put back afterwards.
    HRESULT WriteProfileString(std::string_view path, std::string_view section,
                               std::string_view key, std::string_view value) override {
        std::string file(path);
        DWORD attributes = GetFileAttributesA(file.c_str());
        if (attributes != INVALID_FILE_ATTRIBUTES)
            SetFileAttributesA(file.c_str(), FILE_ATTRIBUTE_NORMAL);
        HRESULT hr = S_OK;
        if (!WritePrivateProfileStringA(std::string(section).c_str(), std::string(key).c_str(),
                                        std::string(value).c_str(), file.c_str()))
            hr = HRESULT_FROM_WIN32(GetLastError());
        if (attributes != INVALID_FILE_ATTRIBUTES)
            SetFileAttributesA(file.c_str(), attributes);
        return hr;
    }

    HRESULT CreateHiddenFile(std::string_view path, std::string_view contents) override {
        HANDLE file = CreateFileA(std::string(path).c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW,
                                  FILE_ATTRIBUTE_HIDDEN, nullptr);
        if (file == INVALID_HANDLE_VALUE)
            return HRESULT_FROM_WIN32(GetLastError());
        DWORD written = 0;
        BOOL ok = WriteFile(file, contents.data(), DWORD(contents.size()), &written, nullptr);
        CloseHandle(file);
        if (ok && written == contents.size())
            return S_OK;
        DeleteFileA(std::string(path).c_str());
        return HRESULT_FROM_WIN32(ERROR_WRITE_FAULT);
    }

    // CopyFile carries the attributes along.
    HRESULT SaveFileCopy(std::string_view path, const std::string& hostCopy) override {
        if (!CopyFileA(std::string(path).c_str(), hostCopy.c_str(), FALSE))
            return HRESULT_FROM_WIN32(GetLastError());
        return S_OK;
    }

    // Copied beside the file and moved over it; the old file's attributes (or, for a missing
    // file, the copy's) are put on the new one.
    HRESULT RestoreFileCopy(const std::string& hostCopy, std::string_view path) override {
        std::string target(path);
        std::string temp = target + ".vellum.tmp";
        DWORD attributes = GetFileAttributesA(target.c_str());
        if (attributes == INVALID_FILE_ATTRIBUTES)
            attributes = GetFileAttributesA(hostCopy.c_str());
        if (!CopyFileA(hostCopy.c_str(), temp.c_str(), FALSE))
            return HRESULT_FROM_WIN32(GetLastError());
        SetFileAttributesA(temp.c_str(), FILE_ATTRIBUTE_NORMAL);
        return MoveOverKeepingAttributes(temp, target, attributes);
    }

    HRESULT RemoveFile(std::string_view path) override {
        std::string target(path);
        SetFileAttributesA(target.c_str(), FILE_ATTRIBUTE_NORMAL);
        if (DeleteFileA(target.c_str()))
            return S_OK;
        DWORD error = GetLastError();
        return error == ERROR_FILE_NOT_FOUND ? S_OK : HRESULT_FROM_WIN32(error);
    }

    // The shell's own shortcut object reads the link; a failure to load is the caller's to
    // report.
    HRESULT ReadShortcut(std::string_view path, ShortcutInfo* info) override {
        ComScope com;
        ShellLink link;
        HRESULT hr = link.Load(path, STGM_READ);
        if (FAILED(hr))
            return hr;
        char text[MAX_PATH] = {};
        if (link.link->GetPath(text, MAX_PATH, nullptr, SLGP_RAWPATH) != S_OK)
            text[0] = '\0';
        info->targetPath = text;
        char icon[MAX_PATH] = {};
        int index = 0;
        if (FAILED(link.link->GetIconLocation(icon, MAX_PATH, &index)))
            icon[0] = '\0';
        info->iconLocation = icon;
        info->iconIndex = index;
        return S_OK;
    }

    // Saved to a temporary file beside the link and moved over it, so that a failed save
    // leaves the old link; the link's attributes are put back afterwards.
    HRESULT SetShortcutIcon(std::string_view path, std::string_view iconLocation,
                            int iconIndex) override {
        ComScope com;
        ShellLink link;
        std::string target(path);
        HRESULT hr = link.Load(path, STGM_READ);
        if (SUCCEEDED(hr))
            hr = link.link->SetIconLocation(std::string(iconLocation).c_str(), iconIndex);
        std::string temp = target + ".vellum.tmp";
        if (SUCCEEDED(hr))
            hr = link.file->Save(Wide(temp).c_str(), FALSE);
        if (FAILED(hr)) {
            DeleteFileA(temp.c_str());
            return hr;
        }
        return MoveOverKeepingAttributes(temp, target, GetFileAttributesA(target.c_str()));
    }

    void RefreshDesktop() override {
        SHChangeNotify(SHCNE_ASSOCCHANGED, SHCNF_IDLIST, nullptr, nullptr);
    }

private:
    HRESULT Enumerate(RootKey root, std::string_view key, std::vector<std::string>* names,
                      bool subkeys) {
        names->clear();
        Key k;
        LSTATUS status =
            RegOpenKeyExA(RootHandle(root), std::string(key).c_str(), 0, KEY_READ, &k.handle);
        if (status != ERROR_SUCCESS)
            return FromStatus(status);
        for (DWORD index = 0;; ++index) {
            char name[16384];
            DWORD length = sizeof name;
            status = subkeys ? RegEnumKeyExA(k.handle, index, name, &length, nullptr, nullptr,
                                             nullptr, nullptr)
                             : RegEnumValueA(k.handle, index, name, &length, nullptr, nullptr,
                                             nullptr, nullptr);
            if (status == ERROR_NO_MORE_ITEMS)
                return S_OK;
            if (status != ERROR_SUCCESS)
                return FromStatus(status);
            names->emplace_back(name, length);
        }
    }
};

} // namespace

std::unique_ptr<WindowsSystem> OpenRunningSystem() {
    return std::make_unique<Win32System>();
}

std::string RunningSystemProblem() {
    return {};
}

std::string RunningSystemBusyReason() {
    return {};
}

} // namespace vellum

#endif // _WIN32
