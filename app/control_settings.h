#pragma once

#include "project/setting_value.h"

class QWidget;

// Resolves an entry of the settings table ("spinMaxW.Value") against the
// controls of the owner window: the control is found by its objectName, the
// property by the kind of control. Setting a value changes the control only when the
// value differs, and then raises the control's own change signal.
SettingResolver controlSettingResolver(QWidget *owner);
