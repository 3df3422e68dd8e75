#pragma once

#include <QString>
#include <QStringList>

#include <optional>

// What the command line asks for.
struct BuildOptions
{
    QString iniPath;
    // Whether --ini named the file; the default file may be missing.
    bool iniGiven = false;
    // Empty: the first profile of the file's list.
    QString profile;
    int jobs = 1;
    bool quiet = false;
    // The check box settings turned on over the profile's ("chb….Checked").
    QStringList turnedOn;
    // Ignore the record of the last build: write every file.
    bool full = false;
    QString projectFolder;
    QStringList pictures;
};

// Reads the arguments (the program's name first). Raises PictavelError with a
// one-line text for arguments that make no sense; nothing when the help was
// asked for and has been printed.
std::optional<BuildOptions> parseBuildOptions(const QStringList &arguments);
