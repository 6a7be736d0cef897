#include "platform/ExternalEditors.h"

#include "common/ErrorTrail.h"
#include "common/Path.h"
#include "common/Strings.h"
#include "common/TrailModules.h"
#include "platform/ProcessLauncher.h"

#include <cstdlib>
#include <string_view>

#ifdef _WIN32
#include <shellapi.h>
#include <windows.h>
#else
#include <unistd.h>
#endif

namespace vellum {
namespace {

constexpr const char* kModule = trail::kVellum;

constexpr EditorKind kKinds[] = {EditorKind::Image, EditorKind::Text, EditorKind::Hex};

// The four numbered values an entry is stored as, in the order they are read and written.
struct StoredField {
    const char* stem;
    std::string EditorEntry::*member;
};
constexpr StoredField kFields[] = {
    {"CmdName", &EditorEntry::name},
    {"CmdCommand", &EditorEntry::command},
    {"CmdArgs", &EditorEntry::arguments},
    {"CmdInitialDir", &EditorEntry::initialFolder},
};

// Reads entries 1, 2, ... until a missing or empty name.
HRESULT ReadList(SettingsStore& store, const char* section, std::vector<EditorEntry>* list) {
    for (int i = 1;; ++i) {
        EditorEntry entry;
        for (const StoredField& field : kFields) {
            std::string name = Format("%s%d", field.stem, i);
            std::optional<std::string> value;
            HRESULT hr = store.ReadString(section, name, &value);
            if (FAILED(hr)) {
                ReportError(kModule, __LINE__, hr, "Cannot read %s of the settings section %s\n",
                            name.c_str(), section);
                return hr;
            }
            if (field.member == &EditorEntry::name && value.value_or("").empty())
                return S_OK;
            entry.*field.member = value.value_or("");
        }
        list->push_back(std::move(entry));
    }
}

// Clears the section and writes the entries again, so no value of a removed entry is left.
HRESULT WriteList(SettingsStore& store, const char* section, const std::vector<EditorEntry>& list) {
    HRESULT hr = store.RemoveSection(section);
    if (FAILED(hr)) {
        ReportError(kModule, __LINE__, hr, "Cannot clear the settings section %s\n", section);
        return hr;
    }
    for (std::size_t i = 0; i < list.size(); ++i) {
        for (const StoredField& field : kFields) {
            std::string name = Format("%s%zu", field.stem, i + 1);
            hr = store.WriteString(section, name, list[i].*field.member);
            if (FAILED(hr)) {
                ReportError(kModule, __LINE__, hr, "Cannot write %s of the settings section %s\n",
                            name.c_str(), section);
                return hr;
            }
        }
    }
    return S_OK;
}

HRESULT RunEntry(const EditorEntry& entry, const std::string& file, EditorFallbacks& fallbacks) {
    std::string commandLine = EditorCommandLine(entry.command, file, entry.arguments);
    HRESULT hr = fallbacks.Launch(commandLine, entry.initialFolder);
    if (FAILED(hr))
        ReportError(kModule, __LINE__, hr, "Cannot start the editor '%s': %s\n", entry.name.c_str(),
                    commandLine.c_str());
    return hr;
}

HRESULT EditImage(const std::string& file, EditorFallbacks& fallbacks) {
    HRESULT hr = fallbacks.ShellEdit(file);
    if (FAILED(hr))
        ReportError(kModule, __LINE__, hr, "No program could edit the '%s' file.\n", file.c_str());
    return hr;
}

HRESULT EditText(const std::string& file, EditorFallbacks& fallbacks) {
    HRESULT hr = fallbacks.ShellEdit(file);
    if (SUCCEEDED(hr))
        return hr;
    if (std::optional<std::string> notepad = fallbacks.Notepad()) {
        hr = fallbacks.Launch(EditorCommandLine(*notepad, file, ""), "");
        if (SUCCEEDED(hr))
            return hr;
    }
    ReportError(kModule, __LINE__, hr,
                "An error occurred while trying to edit the '%s' file.\r\n\r\nEither set up a "
                "Text editor in Tools->Options, or associate a program with the extension for "
                "this file.",
                file.c_str());
    return hr;
}

HRESULT EditHex(const std::string& file, EditorFallbacks& fallbacks) {
    HRESULT hr = fallbacks.ShellEdit(file);
    if (FAILED(hr))
        ReportError(kModule, __LINE__, hr,
                    "There is no default editor for files of this type.\r\n\r\nEither set up a "
                    "Hex editor in Tools->Options, or associate a program with the extension for "
                    "this file.");
    return hr;
}

} // namespace

const char* EditorSection(EditorKind kind) {
    switch (kind) {
    case EditorKind::Image:
        return "ImageEditors";
    case EditorKind::Text:
        return "TextEditors";
    case EditorKind::Hex:
        return "HexEditors";
    }
    return "";
}

HRESULT EditorLists::Load(SettingsStore& store) {
    for (std::vector<EditorEntry>& list : lists_)
        list.clear();
    for (EditorKind kind : kKinds) {
        std::vector<EditorEntry> list;
        HRESULT hr = ReadList(store, EditorSection(kind), &list);
        if (FAILED(hr))
            return hr;
        List(kind) = std::move(list);
    }
    return S_OK;
}

HRESULT EditorLists::Save(SettingsStore& store) const {
    for (EditorKind kind : kKinds) {
        HRESULT hr = List(kind).empty() ? store.RemoveSection(EditorSection(kind))
                                        : WriteList(store, EditorSection(kind), List(kind));
        if (FAILED(hr)) {
            ReportError(kModule, __LINE__, hr, "Cannot save the %s list\n", EditorSection(kind));
            return hr;
        }
    }
    return S_OK;
}

HRESULT RunEditor(EditorKind kind, const std::string& file, const EditorEntry* entry,
                  const EditorLists& lists, EditorFallbacks& fallbacks) {
    const std::vector<EditorEntry>& list = lists.List(kind);
    if (entry == nullptr && !list.empty())
        entry = &list.front();
    if (entry != nullptr)
        return RunEntry(*entry, file, fallbacks);
    switch (kind) {
    case EditorKind::Image:
        return EditImage(file, fallbacks);
    case EditorKind::Text:
        return EditText(file, fallbacks);
    case EditorKind::Hex:
        return EditHex(file, fallbacks);
    }
    return E_INVALIDARG;
}

HRESULT SystemEditorFallbacks::Launch(const std::string& commandLine, const std::string& folder) {
    return StartDetached(commandLine, folder);
}

#ifdef _WIN32

HRESULT SystemEditorFallbacks::ShellEdit(const std::string& file) {
    // ShellExecute's result is an error code when it is 32 or less; 0 means out of memory.
    auto code = reinterpret_cast<INT_PTR>(
        ShellExecuteA(nullptr, "edit", file.c_str(), nullptr, nullptr, SW_SHOWNORMAL));
    if (code > 32)
        return S_OK;
    return code == 0 ? E_OUTOFMEMORY : HRESULT_FROM_WIN32(static_cast<DWORD>(code));
}

std::optional<std::string> SystemEditorFallbacks::Notepad() {
    return std::string("notepad");
}

#else

namespace {

constexpr std::uint32_t kErrorNoAssociation = 1155; // ERROR_NO_ASSOCIATION

} // namespace

HRESULT SystemEditorFallbacks::ShellEdit(const std::string& file) {
    std::future<int> status;
    HRESULT hr = SpawnDetached({"xdg-open", file}, "", &status);
    if (FAILED(hr) || status.wait_for(openerVerdictTime_) != std::future_status::ready)
        return hr;
    int code = status.get();
    if (code == 0 || code == kExitStatusUnknown)
        return S_OK;
    // xdg-open's exit codes: 1 bad arguments, 2 no such file, 3 a tool it needs is missing,
    // 4 the program it chose failed.
    return HRESULT_FROM_WIN32(code == 2 ? ERROR_FILE_NOT_FOUND : kErrorNoAssociation);
}

// The command line quotes the editor as one program name. A value that is the path of a program
// is taken whole (it may hold blanks); otherwise its first word is the program and the options
// after it ("emacs -nw", "code --wait") are left out. The editor is started directly: a terminal
// emulator's way of taking a command differs from one to the next.
std::optional<std::string> SystemEditorFallbacks::Notepad() {
    for (const char* variable : {"VISUAL", "EDITOR"}) {
        const char* value = std::getenv(variable);
        std::string_view text = value == nullptr ? "" : value;
        std::size_t begin = text.find_first_not_of(" \t");
        if (begin == std::string_view::npos)
            continue;
        std::string whole(text.substr(begin, text.find_last_not_of(" \t") + 1 - begin));
        if (whole.find('/') != std::string::npos && access(whole.c_str(), X_OK) == 0)
            return whole;
        return whole.substr(0, whole.find_first_of(" \t"));
    }
    return std::nullopt;
}

#endif

bool PaintCannotEditCursor(const std::string& editor, const std::string& file) {
    return EqualsNoCase(SplitPath(editor).fname, "MSPAINT") &&
           EqualsNoCase(SplitPath(file).ext, ".cur");
}

} // namespace vellum
