#include "ui/settings_store.h"

#include <QFile>
#include <QSettings>

#include "naming/settings_file.h"
#include "ui/form1.h"
#include "ui/qt_text.h"

namespace tagwright {

namespace {

const QString kGeometryKey = QStringLiteral("Window/geometry");

}  // namespace

std::unique_ptr<QSettings> OpenWindowSettings() {
    return std::make_unique<QSettings>(QSettings::IniFormat, QSettings::UserScope,
                                       QStringLiteral("tagwright"), QStringLiteral("tagwright"));
}

QStringList RestoreWindow(Form1& window, QSettings& store) {
    QStringList problems;
    if (store.status() != QSettings::NoError) {
        problems << QStringLiteral("%1: 読み取れませんでした").arg(store.fileName());
        return problems;
    }
    SettingValues values;
    for (const QString& key : store.allKeys()) {
        const QVariant value = store.value(key);
        // Only texts are saved; anything else (a list, a typed variant) was edited by hand.
        values[FromQt(key)] = value.typeId() == QMetaType::QString ? FromQt(value.toString())
                                                                   : std::string(kNotAText);
    }
    const LoadedSettings loaded = SettingsFromValues(values);
    window.LoadSettings(loaded.settings);
    for (const std::string& refused : loaded.refused)
        problems << ToQt(refused);
    const QByteArray geometry = store.value(kGeometryKey).toByteArray();
    if (!geometry.isEmpty())
        window.restoreGeometry(geometry);
    return problems;
}

void SaveWindow(const Form1& window, QSettings& store) {
    if (store.status() == QSettings::FormatError) {
        const QString path = store.fileName();
        QFile::remove(path + QStringLiteral(".bad"));
        QFile::rename(path, path + QStringLiteral(".bad"));
        QSettings fresh(path, QSettings::IniFormat);
        SaveWindow(window, fresh);
        return;
    }
    for (const auto& [key, value] : SettingsToValues(window.BuildSettings()))
        store.setValue(ToQt(key), ToQt(value));
    store.setValue(kGeometryKey, window.saveGeometry());
    store.sync();
}

}  // namespace tagwright
