#pragma once

#include "collection/thumbs_collection.h"

#include <QList>

class QWidget;

// Asks, before the project's files go, whether to delete them: the pictures
// and thumbnails written for the set, the page and the edited copies. True
// only for Yes.
bool askToClearProject(QWidget *parent, const QList<TThumbsCollection> &thumbs);
