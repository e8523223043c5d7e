#pragma once

#include <QStringList>
#include <memory>

class QSettings;

namespace tagwright {

class Form1;

/// The window's own settings file: an INI file, tagwright/tagwright.ini in the user's config
/// folder ($XDG_CONFIG_HOME on Linux, %APPDATA% on Windows). tagwright-cli --settings reads the
/// same file.
std::unique_ptr<QSettings> OpenWindowSettings();

/// Puts the saved settings and the window's place into the window. Returns the values that
/// could not be used (their start values stay), or a line saying the file could not be read;
/// empty when everything loaded.
QStringList RestoreWindow(Form1& window, QSettings& store);

/// Saves the window's settings and place. A file that could not be read when the window
/// started is first kept beside itself as "<name>.bad", so a hand-edited file is never lost.
void SaveWindow(const Form1& window, QSettings& store);

}  // namespace tagwright
