#pragma once

#include <QByteArray>
#include <QHash>
#include <QStringList>

struct PictureArguments
{
    QStringList pictures;
    // Pictures whose names are not UTF-8, which cannot be opened by name,
    // as shownFileName() shows them.
    QStringList unopenable;
};

// The pictures named on the command line, as absolute paths in the order
// given; a folder gives its picture files in the order of the window's file
// list. A path that names nothing stays in the list, to be reported when it
// cannot be read. `undecoded` holds the arguments whose bytes did not decode,
// by their decoded text, with the bytes the system gave.
PictureArguments expandPictureArguments(const QStringList &arguments,
                                        const QHash<QString, QByteArray> &undecoded);

// The command-line arguments whose bytes are not UTF-8, by the text Qt
// decoded them to.
QHash<QString, QByteArray> undecodedArguments(int argc, char **argv);
