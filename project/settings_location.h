#pragma once

#include <QString>

// The full path of propstor.ini for a program started from exeFolder: beside
// the program while that folder can be written, otherwise in the user's
// configuration folder (QStandardPaths::AppConfigLocation, ~/.config/Pictavel),
// which is created when it is missing. The file keeps the same content and
// format in either place. Raises PictavelError when the configuration folder
// is needed and cannot be created.
QString settingsFilePath(const QString &exeFolder);
