// WindowsSystem: the registry and shell folders of the running Windows system (on Linux, a Wine
// prefix), as the icon snapshot and iconset applying see them.
//
// Every path this interface hands out or takes is a Windows path ("C:\windows\system32");
// ToHostPath turns one into a path the host file system can open.
#pragma once

#include "common/Result.h"

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

namespace vellum {

enum class RootKey { ClassesRoot, CurrentUser, LocalMachine, Users };

// What a shell shortcut (.lnk) says: the file it starts and the icon it shows.
struct ShortcutInfo {
    std::string targetPath;
    std::string iconLocation; // empty: the target's own icon
    int iconIndex = 0;
};

// Shell folder identifiers (CSIDL values) the catalogue uses.
namespace csidl {
constexpr int kDesktop = 0x0000;
constexpr int kPrograms = 0x0002;
constexpr int kPersonal = 0x0005;
constexpr int kFavorites = 0x0006;
constexpr int kStartup = 0x0007;
constexpr int kRecent = 0x0008;
constexpr int kSendTo = 0x0009;
constexpr int kStartMenu = 0x000B;
constexpr int kMyMusic = 0x000D;
constexpr int kMyVideo = 0x000E;
constexpr int kDesktopDirectory = 0x0010;
constexpr int kNetHood = 0x0013;
constexpr int kFonts = 0x0014;
constexpr int kTemplates = 0x0015;
constexpr int kCommonStartMenu = 0x0016;
constexpr int kCommonPrograms = 0x0017;
constexpr int kCommonStartup = 0x0018;
constexpr int kCommonDesktopDirectory = 0x0019;
constexpr int kAppData = 0x001A;
constexpr int kPrintHood = 0x001B;
constexpr int kLocalAppData = 0x001C;
constexpr int kCommonFavorites = 0x001F;
constexpr int kInternetCache = 0x0020;
constexpr int kCookies = 0x0021;
constexpr int kHistory = 0x0022;
constexpr int kCommonAppData = 0x0023;
constexpr int kWindows = 0x0024;
constexpr int kSystem = 0x0025;
constexpr int kProgramFiles = 0x0026;
constexpr int kMyPictures = 0x0027;
constexpr int kProfile = 0x0028;
constexpr int kProgramFilesCommon = 0x002B;
constexpr int kCommonTemplates = 0x002D;
constexpr int kCommonDocuments = 0x002E;
constexpr int kCommonAdminTools = 0x002F;
constexpr int kAdminTools = 0x0030;
constexpr int kCommonMusic = 0x0035;
constexpr int kCommonPictures = 0x0036;
constexpr int kCommonVideo = 0x0037;
} // namespace csidl

class WindowsSystem {
public:
    virtual ~WindowsSystem() = default;

    // String values (REG_SZ and REG_EXPAND_SZ, read as stored, not expanded). An empty value name
    // is the key's default value. Missing keys and values give
    // HRESULT_FROM_WIN32(ERROR_FILE_NOT_FOUND); a value of another type gives ERROR_INVALID_DATA.
    virtual HRESULT ReadString(RootKey root, std::string_view key, std::string_view valueName,
                               std::string* value) = 0;
    // Creates the key (and its parents) when missing and stores a REG_SZ value.
    virtual HRESULT WriteString(RootKey root, std::string_view key, std::string_view valueName,
                                std::string_view value) = 0;
    virtual HRESULT CreateKey(RootKey root, std::string_view key) = 0;
    // Deletes the key with its values and subkeys; a missing key is not an error.
    virtual HRESULT DeleteKey(RootKey root, std::string_view key) = 0;
    // The names of the key's direct subkeys, and of its values ("" for the default value).
    virtual HRESULT EnumerateSubkeys(RootKey root, std::string_view key,
                                     std::vector<std::string>* names) = 0;
    virtual HRESULT EnumerateValues(RootKey root, std::string_view key,
                                    std::vector<std::string>* names) = 0;
    // The type of a value (1 REG_SZ, 2 REG_EXPAND_SZ, 4 REG_DWORD, ...), so that a string can be
    // put back as the type it had. Fails like ReadString for missing keys and values.
    virtual HRESULT ReadValueType(RootKey, std::string_view, std::string_view, std::uint32_t*) {
        return E_NOTIMPL;
    }
    // Stores a string value of the given type (1 REG_SZ, 2 REG_EXPAND_SZ), creating the key when
    // missing, so that a value can be put back exactly as it was.
    virtual HRESULT WriteStringValue(RootKey, std::string_view, std::string_view, std::string_view,
                                     std::uint32_t) {
        return E_NOTIMPL;
    }
    // Deletes one value; a missing key or value is not an error.
    virtual HRESULT DeleteValue(RootKey, std::string_view, std::string_view) { return E_NOTIMPL; }

    // The folder of a CSIDL, without a trailing backslash; fails for unknown identifiers.
    virtual HRESULT ShellFolder(int csidl, std::string* folder) = 0;
    // "C:\windows" and "C:\windows\system32" (or wherever the system keeps them).
    virtual std::string WindowsFolder() = 0;
    virtual std::string SystemFolder() = 0;
    // %NAME% references replaced by their values; unknown ones stay as written.
    virtual std::string ExpandEnvironment(std::string_view text) = 0;

    // Windows path -> host path and back; empty when the path has no counterpart.
    virtual std::string ToHostPath(std::string_view windowsPath) = 0;
    virtual std::string ToWindowsPath(std::string_view hostPath) = 0;

    // Profile (INI) files such as Desktop.ini and shell command files (.SCF), by Windows path.
    // Reading gives `fallback` when the file, section or key is missing; writing creates the
    // file, section and key as needed, and keeps the attributes (read-only, hidden) of a file
    // that exists.
    virtual std::string ReadProfileString(std::string_view path, std::string_view section,
                                          std::string_view key, std::string_view fallback) = 0;
    virtual HRESULT WriteProfileString(std::string_view path, std::string_view section,
                                       std::string_view key, std::string_view value) = 0;
    // Creates a file that does not exist yet, with the hidden attribute, holding `contents`
    // (a new Desktop.ini is hidden so that the folder's listing leaves it out). Fails with
    // ERROR_FILE_EXISTS when the file is there.
    virtual HRESULT CreateHiddenFile(std::string_view, std::string_view) { return E_NOTIMPL; }
    // Copies a file to a host path with its attributes (read-only, hidden, system), so that a
    // backup copy can give them back.
    virtual HRESULT SaveFileCopy(std::string_view, const std::string&) { return E_NOTIMPL; }
    // Replaces a file's contents with a copy's, through a temporary file and a rename: a file
    // that exists keeps its attributes, a missing one is created with the copy's.
    virtual HRESULT RestoreFileCopy(const std::string&, std::string_view) { return E_NOTIMPL; }
    // Deletes a file, read-only or not; a missing file is not an error.
    virtual HRESULT RemoveFile(std::string_view) { return E_NOTIMPL; }

    // Shell shortcuts (.lnk), by Windows path. Setting the icon keeps everything else the
    // shortcut holds, its attributes included.
    virtual HRESULT ReadShortcut(std::string_view path, ShortcutInfo* info) = 0;
    virtual HRESULT SetShortcutIcon(std::string_view path, std::string_view iconLocation,
                                    int iconIndex) = 0;

    // Makes the shell redraw its icons after they were changed.
    virtual void RefreshDesktop() = 0;
};

// The system this program runs on: the Win32 registry and shell on Windows, elsewhere the Wine
// prefix named by $WINEPREFIX (default ~/.wine).
std::unique_ptr<WindowsSystem> OpenRunningSystem();
// Why the running system cannot be used, as a sentence for the user; empty when it can. On
// Linux: no Wine prefix (a folder with system.reg) at $WINEPREFIX or ~/.wine.
std::string RunningSystemProblem();
// Why the running system must not be changed now, as a sentence for the user; empty when it may.
// On Linux: a wineserver runs for the prefix, and would write its own copy of the registry back.
std::string RunningSystemBusyReason();

} // namespace vellum
