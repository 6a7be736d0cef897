// The native WindowsSystem: the Win32 registry and shell of the machine the program runs on.
// Built on Windows only; elsewhere the Wine-prefix backend stands in.
#ifdef _WIN32

#include "platform/WindowsSystem.h"

#include <shlobj.h>
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
        Key k;
        LSTATUS status = RegCreateKeyExA(RootHandle(root), std::string(key).c_str(), 0, nullptr, 0,
                                         KEY_WRITE, nullptr, &k.handle, nullptr);
        if (status != ERROR_SUCCESS)
            return FromStatus(status);
        std::string text(value);
        // The stored length counts the terminating zero.
        status =
            RegSetValueExA(k.handle, std::string(valueName).c_str(), 0, REG_SZ,
                           reinterpret_cast<const BYTE*>(text.c_str()), DWORD(text.size() + 1));
        return FromStatus(status);
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

    HRESULT WriteProfileString(std::string_view path, std::string_view section,
                               std::string_view key, std::string_view value) override {
        if (WritePrivateProfileStringA(std::string(section).c_str(), std::string(key).c_str(),
                                       std::string(value).c_str(), std::string(path).c_str()))
            return S_OK;
        return HRESULT_FROM_WIN32(GetLastError());
    }

    // Shell links are not implemented yet on Windows.
    HRESULT ReadShortcut(std::string_view, ShortcutInfo*) override { return E_NOTIMPL; }
    HRESULT SetShortcutIcon(std::string_view, std::string_view, int) override { return E_NOTIMPL; }

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

} // namespace vellum

#endif // _WIN32
