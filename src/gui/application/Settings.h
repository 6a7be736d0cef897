// The window program's settings: typed keys (section and value name) over QSettings("Quillon",
// "Vellum"), which is the registry on Windows and an INI file elsewhere.
#pragma once

#include <QString>
#include <QStringList>

namespace vellum::gui {

struct SettingKey {
    const char* section;
    const char* value;
};

inline constexpr SettingKey kDebugModeKey{"Default", "DebugMode"};
inline constexpr SettingKey kMainRectKey{"Layout", "MainRect"};
inline constexpr SettingKey kMaxKey{"Layout", "Max"};
inline constexpr SettingKey kSplitterKey{"Layout", "SplitterX"};
inline constexpr SettingKey kInsertKey{"Flag", "Insert"};
// The image view fits images into its free area (1, the default) or shows them at true size (0).
inline constexpr SettingKey kScaleToFitKey{"ImageWnd", "ScaleToFit"};

inline constexpr const char* kRecentSection = "Recent File List";
inline constexpr int kRecentFileCount = 16;

QString ReadSetting(SettingKey key, const QString& fallback = {});
void WriteSetting(SettingKey key, const QString& value);
int ReadIntSetting(SettingKey key, int fallback);

// "DebugMode": exactly "0" turns it off; any other text, or none, turns it on.
bool ReadDebugMode();
// The hex view's insert mode ("Insert" under "Flag"; 0, overwrite, by default).
bool ReadInsertMode();

// The recent-file list, "File1" (newest) to "File16".
QStringList ReadRecentFiles();
// Puts `path` first, dropping an older copy of it and anything past the sixteenth entry.
void AddRecentFile(const QString& path);

} // namespace vellum::gui
