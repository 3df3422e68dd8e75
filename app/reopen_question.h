#pragma once

#include <QString>

class QWidget;

// Asks, when a project folder is chosen with an empty set, whether to open
// the set recorded for it. True only for Yes.
bool askToReopenSet(QWidget *parent, const QString &projectFolder, int pictureCount);
