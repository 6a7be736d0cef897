#include "platform/SettingsStore.h"

namespace vellum {

HRESULT MemorySettingsStore::Budget::Spend() {
    if (callsLeft < 0)
        return S_OK;
    if (callsLeft == 0)
        return failure;
    --callsLeft;
    return S_OK;
}

HRESULT MemorySettingsStore::ReadString(const std::string& section, const std::string& name,
                                        std::optional<std::string>* value) {
    value->reset();
    HRESULT hr = reads_.Spend();
    if (FAILED(hr))
        return hr;
    if (const Section* values = Find(section)) {
        auto found = values->find(name);
        if (found != values->end())
            *value = found->second;
    }
    return S_OK;
}

HRESULT MemorySettingsStore::WriteString(const std::string& section, const std::string& name,
                                         const std::string& value) {
    HRESULT hr = writes_.Spend();
    if (SUCCEEDED(hr))
        sections_[section][name] = value;
    return hr;
}

HRESULT MemorySettingsStore::RemoveSection(const std::string& section) {
    HRESULT hr = writes_.Spend();
    if (SUCCEEDED(hr))
        sections_.erase(section);
    return hr;
}

const MemorySettingsStore::Section* MemorySettingsStore::Find(const std::string& section) const {
    auto found = sections_.find(section);
    return found == sections_.end() ? nullptr : &found->second;
}

} // namespace vellum
