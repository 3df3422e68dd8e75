#pragma once

#include "html/page_generator.h"

#include <QList>
#include <QSize>
#include <QString>
#include <QStringList>

// The name of the thumbnail of twice the pixels written beside a thumbnail
// for screens of high density: "B_01.jpg" gives "B_01@2x.jpg".
QString thumbnail2xName(const QString &thumbName);
