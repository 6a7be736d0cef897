// The three lists of outside programs that edit images, text and binary files, kept in the
// settings, and starting one of them (or the desktop's own choice) on a file.
#pragma once

#include "common/Result.h"
#include "platform/SettingsStore.h"

#include <array>
#include <chrono>
#include <optional>
#include <string>
#include <vector>

namespace vellum {

struct EditorEntry {
    std::string name;          // shown in lists and menus
    std::string command;       // the program's path
    std::string arguments;     // put after the file on the command line, as typed
    std::string initialFolder; // the program's working folder; empty: Vellum's own

    bool operator==(const EditorEntry&) const = default;
};

enum class EditorKind { Image, Text, Hex };

// The settings section a list is kept in: "ImageEditors", "TextEditors", "HexEditors".
const char* EditorSection(EditorKind kind);

// Each list is in the user's order; its first entry is the default editor.
//
// Settings layout: entry i (from 1) of a list is the four values CmdName<i>, CmdCommand<i>,
// CmdArgs<i> and CmdInitialDir<i> of its section, and the list ends at the first missing or empty
// CmdName<i>.
class EditorLists {
public:
    std::vector<EditorEntry>& List(EditorKind kind) { return lists_[Index(kind)]; }
    const std::vector<EditorEntry>& List(EditorKind kind) const { return lists_[Index(kind)]; }

    // Replaces the three lists with the stored ones. A read error stops loading (lists read
    // before it stay, the rest are empty), is added to the error trail and returned.
    HRESULT Load(SettingsStore& store);
    // Rewrites each list's section from scratch; an empty list removes its section. A write error
    // stops saving, is added to the error trail and returned.
    HRESULT Save(SettingsStore& store) const;

private:
    static std::size_t Index(EditorKind kind) { return static_cast<std::size_t>(kind); }

    std::array<std::vector<EditorEntry>, 3> lists_;
};

// What RunEditor falls back on when a list is empty, and how it starts programs. The window
// implements it with QDesktopServices; tests script it. None of these report their failures:
// RunEditor decides what the user is told.
class EditorFallbacks {
public:
    virtual ~EditorFallbacks() = default;
    // The desktop's own program for editing the file.
    virtual HRESULT ShellEdit(const std::string& file) = 0;
    // Starts a command line detached, in `folder` (Vellum's working folder when empty).
    virtual HRESULT Launch(const std::string& commandLine, const std::string& folder) = 0;
    // The plain text editor to try when the desktop has none for a text file.
    virtual std::optional<std::string> Notepad() = 0;
};

// The fallbacks without a window: xdg-open, posix_spawn, $VISUAL or $EDITOR (the shell's "edit"
// verb, CreateProcess and notepad on Windows).
class SystemEditorFallbacks final : public EditorFallbacks {
public:
    // xdg-open fails fast when it finds no program for a file; a run still going after
    // `openerVerdictTime` has handed the file over (with some desktops it runs as long as the
    // editor does).
    explicit SystemEditorFallbacks(
        std::chrono::milliseconds openerVerdictTime = std::chrono::milliseconds(1000))
        : openerVerdictTime_(openerVerdictTime) {}

    HRESULT ShellEdit(const std::string& file) override;
    HRESULT Launch(const std::string& commandLine, const std::string& folder) override;
    std::optional<std::string> Notepad() override;

private:
    [[maybe_unused]] std::chrono::milliseconds openerVerdictTime_; // xdg-open only
};

// Paint cannot open cursors: true when `editor` (the program's path) is MSPAINT, whatever its
// folder, extension and case, and `file` ends in ".cur".
bool PaintCannotEditCursor(const std::string& editor, const std::string& file);

// Starts `entry` on `file`, or the first editor of the kind's list when `entry` is null. With
// neither, the desktop edits the file; a text file then goes to Notepad(). A failure is added to
// the error trail and returned.
HRESULT RunEditor(EditorKind kind, const std::string& file, const EditorEntry* entry,
                  const EditorLists& lists, EditorFallbacks& fallbacks);

} // namespace vellum
