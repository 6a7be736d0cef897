// The program's settings: named text values grouped in sections. The window keeps them in
// QSettings (the registry key Software\Quillon\Vellum on Windows, an INI file elsewhere); the
// engine sees only this interface, and tests use the in-memory store.
#pragma once

#include "common/Result.h"

#include <map>
#include <optional>
#include <string>

namespace vellum {

class SettingsStore {
public:
    virtual ~SettingsStore() = default;

    // A value that is not there is S_OK with *value left empty; only a failure to read fails.
    virtual HRESULT ReadString(const std::string& section, const std::string& name,
                               std::optional<std::string>* value) = 0;
    virtual HRESULT WriteString(const std::string& section, const std::string& name,
                                const std::string& value) = 0;
    // Removes the section with all its values; a section that is not there is no failure.
    virtual HRESULT RemoveSection(const std::string& section) = 0;
};

// Settings held in a map, with failures to order: after a set number of calls succeed, every
// further read (or write) fails with a chosen code.
class MemorySettingsStore final : public SettingsStore {
public:
    using Section = std::map<std::string, std::string>;

    HRESULT ReadString(const std::string& section, const std::string& name,
                       std::optional<std::string>* value) override;
    HRESULT WriteString(const std::string& section, const std::string& name,
                        const std::string& value) override;
    HRESULT RemoveSection(const std::string& section) override;

    // Reads succeed `calls` more times, then fail with `hr`.
    void FailReadsAfter(int calls, HRESULT hr = E_FAIL) { reads_ = {calls, hr}; }
    // The same for writes; removing a section counts as a write.
    void FailWritesAfter(int calls, HRESULT hr = E_FAIL) { writes_ = {calls, hr}; }

    // The section's values, or null when it is not there.
    const Section* Find(const std::string& section) const;

private:
    struct Budget {
        int callsLeft = -1; // negative: never fail
        HRESULT failure = E_FAIL;
        HRESULT Spend();
    };

    std::map<std::string, Section> sections_;
    Budget reads_;
    Budget writes_;
};

} // namespace vellum
