// How the window starts outside editors when none is configured: the desktop's program for the
// file through QDesktopServices; programs and the plain text editor as without a window.
#pragma once

#include "platform/ExternalEditors.h"

namespace vellum::gui {

class QtEditorFallbacks final : public EditorFallbacks {
public:
    HRESULT ShellEdit(const std::string& file) override;
    HRESULT Launch(const std::string& commandLine, const std::string& folder) override;
    std::optional<std::string> Notepad() override;

private:
    SystemEditorFallbacks system_;
};

} // namespace vellum::gui
