// The settings store of the window program: each section is a QSettings group of
// QSettings("Quillon", "Vellum").
#pragma once

#include "platform/SettingsStore.h"

namespace vellum::gui {

class QSettingsStore final : public SettingsStore {
public:
    HRESULT ReadString(const std::string& section, const std::string& name,
                       std::optional<std::string>* value) override;
    HRESULT WriteString(const std::string& section, const std::string& name,
                        const std::string& value) override;
    HRESULT RemoveSection(const std::string& section) override;
};

} // namespace vellum::gui
