#pragma once

#include <QString>

class GallerySettings;

// Loads a profile of a settings file into `settings` as the window loads it
// when the profile is selected: every stored entry in order, each with its
// control's rules. An empty name is the first profile of the file's list.
// Raises PictavelError when the file is missing or unreadable or the list
// does not hold the name.
void loadGalleryProfile(const QString &iniPath, const QString &profile, GallerySettings &settings);
