// Settings keys read and written through QSettings.
#include "application/Settings.h"

#include <QSettings>

namespace vellum::gui {

namespace {

QString KeyPath(SettingKey key) {
    return QString::fromLatin1(key.section) + '/' + QString::fromLatin1(key.value);
}

QString RecentKey(int index) {
    return QString::fromLatin1(kRecentSection) + "/File" + QString::number(index);
}

} // namespace

QString ReadSetting(SettingKey key, const QString& fallback) {
    QSettings settings("Quillon", "Vellum");
    return settings.value(KeyPath(key), fallback).toString();
}

void WriteSetting(SettingKey key, const QString& value) {
    QSettings settings("Quillon", "Vellum");
    settings.setValue(KeyPath(key), value);
}

int ReadIntSetting(SettingKey key, int fallback) {
    bool ok = false;
    int value = ReadSetting(key).toInt(&ok);
    return ok ? value : fallback;
}

bool ReadDebugMode() {
    return ReadSetting(kDebugModeKey, "1") != "0";
}

bool ReadInsertMode() {
    return ReadIntSetting(kInsertKey, 0) != 0;
}

QStringList ReadRecentFiles() {
    QSettings settings("Quillon", "Vellum");
    QStringList files;
    for (int i = 1; i <= kRecentFileCount; ++i) {
        QString file = settings.value(RecentKey(i)).toString();
        if (!file.isEmpty())
            files << file;
    }
    return files;
}

void AddRecentFile(const QString& path) {
    QStringList files = ReadRecentFiles();
    files.removeAll(path);
    files.prepend(path);
    QSettings settings("Quillon", "Vellum");
    for (int i = 1; i <= kRecentFileCount; ++i) {
        if (i <= files.size())
            settings.setValue(RecentKey(i), files[i - 1]);
        else
            settings.remove(RecentKey(i));
    }
}

} // namespace vellum::gui
