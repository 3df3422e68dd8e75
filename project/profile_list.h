#pragma once

#include <QString>
#include <QStringList>

class GallerySettings;
class SettingsStore;

// The profile the settings file starts with, and that an empty list falls
// back to.
QString defaultProfileName();

// The names of the list of profiles in the settings file, in order: the
// default profile alone when the file holds no list or an empty one.
QStringList readProfileNames(const SettingsStore &store);
void writeProfileNames(SettingsStore &store, const QStringList &names);

// Loads a profile of a settings file into `settings` as the window loads it
// when the profile is selected: every stored entry in order, each with its
// control's rules. An empty name is the first profile of the file's list.
// Raises PictavelError when the file is missing or unreadable or the list
// does not hold the name.
void loadGalleryProfile(const QString &iniPath, const QString &profile, GallerySettings &settings);
