// Outside editors in window tests: what the panes' Edit buttons would start, recorded instead of
// started.
#pragma once

#include "platform/ExternalEditors.h"

#include <optional>
#include <string>
#include <vector>

namespace vellum::test {

// Records what the Edit button asks for instead of starting programs.
class ScriptedFallbacks final : public EditorFallbacks {
public:
    HRESULT ShellEdit(const std::string& file) override {
        shellEdits.push_back(file);
        return shellResult;
    }
    HRESULT Launch(const std::string& commandLine, const std::string& folder) override {
        launches.push_back(commandLine + " in [" + folder + "]");
        return S_OK;
    }
    std::optional<std::string> Notepad() override { return std::nullopt; }

    std::vector<std::string> shellEdits;
    std::vector<std::string> launches;
    HRESULT shellResult = S_OK;
};

} // namespace vellum::test
