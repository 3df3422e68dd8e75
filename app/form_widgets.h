#pragma once

#include <QString>

class QLabel;
class QLineEdit;
class QRect;
class QSpinBox;
class SpinEdit;
class QToolButton;
class QWidget;

// Small factories for the window's recurring kinds of control, so that every
// control is made the same way: objectName, hint, picture.
QToolButton *makeFlatButton(QWidget *parent, const QString &name, const QString &hint,
                            const QString &icon = QString());
QToolButton *makeToggleButton(QWidget *parent, const QString &name, const QString &hint,
                              const QString &icon);
// A spinner or spin edit of a persisted setting ("NAME.Value"), with the
// range and default the settings table gives it.
QSpinBox *makeSpinner(QWidget *parent, const QString &name, const QString &hint, int step);
SpinEdit *makeSpinEdit(QWidget *parent, const QString &name, const QString &hint);
// The built-in default of a persisted text setting ("edtTitle.Text").
QString settingDefaultText(const QString &key);
QLineEdit *makeLineEdit(QWidget *parent, const QString &name, const QString &hint,
                        const QString &text, const QRect &place);
QLabel *makeStatusPane(QWidget *parent, const QString &name, int width, bool centred);
QLabel *makeLabel(QWidget *parent, const QString &text, const QString &name = QString());
// A 16-pixel button picture shown as a label.
QLabel *makePicture(QWidget *parent, const QString &icon);
