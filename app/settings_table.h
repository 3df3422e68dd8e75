#pragma once

#include "project/setting_value.h"

class QWidget;

// Resolves a settings entry ("spinMaxW.Value") against the controls of the
// owner window: the control is found by its objectName, the property by the
// table of control kinds. Setting a value changes the control only when the
// value differs, and then raises the control's own change signal.
SettingResolver controlSettingResolver(QWidget *owner);
