#pragma once

#include <QStringList>

// The forty persisted gallery settings, in the order a profile is written and
// read back. Each is a control name and a property name joined by a dot.
const QStringList &galleryProps();
