// Settings sections and values kept through QSettings.
#include "application/QSettingsStore.h"

#include <QSettings>

namespace vellum::gui {

namespace {

QString KeyPath(const std::string& section, const std::string& name) {
    return QString::fromStdString(section) + '/' + QString::fromStdString(name);
}

// QSettings reports only whether the file could be read or written, not which value failed.
HRESULT StatusResult(const QSettings& settings) {
    switch (settings.status()) {
    case QSettings::NoError:
        return S_OK;
    case QSettings::AccessError:
        return HRESULT_FROM_WIN32(5); // ERROR_ACCESS_DENIED
    case QSettings::FormatError:
        return E_FAIL;
    }
    return E_FAIL;
}

} // namespace

HRESULT QSettingsStore::ReadString(const std::string& section, const std::string& name,
                                   std::optional<std::string>* value) {
    value->reset();
    QSettings settings("Quillon", "Vellum");
    HRESULT hr = StatusResult(settings);
    if (FAILED(hr))
        return hr;
    QVariant stored = settings.value(KeyPath(section, name));
    if (stored.isValid())
        *value = stored.toString().toStdString();
    return S_OK;
}

HRESULT QSettingsStore::WriteString(const std::string& section, const std::string& name,
                                    const std::string& value) {
    QSettings settings("Quillon", "Vellum");
    settings.setValue(KeyPath(section, name), QString::fromStdString(value));
    settings.sync();
    return StatusResult(settings);
}

HRESULT QSettingsStore::RemoveSection(const std::string& section) {
    QSettings settings("Quillon", "Vellum");
    settings.remove(QString::fromStdString(section));
    settings.sync();
    return StatusResult(settings);
}

} // namespace vellum::gui
