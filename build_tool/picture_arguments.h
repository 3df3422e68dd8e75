#pragma once

#include <QStringList>

// The pictures named on the command line, as absolute paths in the order
// given; a folder gives its picture files in the order of the window's file
// list. A path that names nothing stays in the list, to be reported when it
// cannot be read.
QStringList expandPictureArguments(const QStringList &arguments);
