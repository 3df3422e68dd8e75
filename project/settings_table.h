#pragma once

#include "project/setting_value.h"

#include <QString>
#include <QStringList>
#include <QStringView>
#include <QVariant>

#include <span>

// The kinds of control a setting lives in on the window; each decides how a
// value given to the setting is held.
enum class SettingControl {
    Text,     // edit or editable drop-down box
    Flag,     // check box or toggle button
    Colour,   // colour panel
    Choice,   // radio group: an item index, -1 for none
    Spinner,  // whole-number spinner: the value is clamped
    SpinEdit, // numeric edit stored as a floating number: clamped, then truncated
};

// One persisted gallery setting: its key (the control's name and property
// joined by a dot), its kind of control, its built-in default and its range.
struct SettingSpec
{
    const char *key;
    SettingControl control;
    int number = 0;        // the default of every kind but Text
    const char *text = ""; // the default of a Text setting
    int minimum = 0;
    int maximum = 0;
    // A setting added after the forty described ones: a profile without it
    // holds its default, and it is written only when it differs from it, so
    // that the files the forty make stay as they are.
    bool added = false;

    // How the settings file writes and reads it.
    SettingKind kind() const;
    QVariant defaultValue() const;
    // The value its control holds after being given `value`.
    QVariant held(const QVariant &value) const;
};

// The persisted settings, in the order a profile is written and read back:
// the forty described ones, then those added after them. The window's
// controls are built with these defaults and ranges, and the settings
// without a window hold the same.
std::span<const SettingSpec> gallerySettingSpecs();

// The setting of `key`, or null for a key the table does not hold.
const SettingSpec *findSettingSpec(QStringView key);
// The setting of a key the table holds.
const SettingSpec &settingSpec(QStringView key);

// Their keys in persisted order.
const QStringList &galleryProps();
