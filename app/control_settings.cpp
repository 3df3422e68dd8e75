#include "app/control_settings.h"

#include "app/colour_panel.h"
#include "app/radio_group.h"
#include "app/spin_edit.h"
#include "project/settings_table.h"

#include <QAbstractButton>
#include <QCheckBox>
#include <QComboBox>
#include <QLineEdit>
#include <QToolButton>
#include <cmath>

namespace {

template <typename Control> std::optional<SettingBinding> bindText(Control *control)
{
    return SettingBinding{SettingKind::Text, [control] { return QVariant(control->text()); },
                          [control](const QVariant &value) {
                              if (control->text() != value.toString())
                                  control->setText(value.toString());
                          }};
}

std::optional<SettingBinding> bindFlag(QAbstractButton *button)
{
    return SettingBinding{SettingKind::Flag, [button] { return QVariant(button->isChecked()); },
                          [button](const QVariant &value) {
                              button->setChecked(value.toBool());
                          }};
}

std::optional<SettingBinding> bindValue(QSpinBox *spin)
{
    if (qobject_cast<SpinEdit *>(spin)) {
        // A spin edit holds whole numbers; a stored fraction enters as its
        // integer part, as the page would use it.
        return SettingBinding{
            SettingKind::Float, [spin] { return QVariant(double(spin->value())); },
            [spin](const QVariant &value) {
                const double clamped =
                    std::clamp(value.toDouble(), double(spin->minimum()), double(spin->maximum()));
                spin->setValue(int(std::trunc(clamped)));
            }};
    }
    return SettingBinding{SettingKind::Integer, [spin] { return QVariant(spin->value()); },
                          [spin](const QVariant &value) {
                              spin->setValue(value.toInt());
                          }};
}

} // namespace

SettingResolver controlSettingResolver(QWidget *owner)
{
    return [owner](const QString &entry) -> std::optional<SettingBinding> {
        // Only the settings of the table are bound, each as the table says
        // it is written.
        if (!findSettingSpec(entry))
            return std::nullopt;
        const qsizetype dot = entry.indexOf(u'.');
        auto *control = owner->findChild<QWidget *>(entry.left(dot));
        if (!control)
            return std::nullopt;
        const QString property = entry.mid(dot + 1);

        if (property == u"Text") {
            if (auto *edit = qobject_cast<QLineEdit *>(control))
                return bindText(edit);
            if (auto *list = qobject_cast<QComboBox *>(control); list && list->isEditable()) {
                return SettingBinding{SettingKind::Text,
                                      [list] { return QVariant(list->currentText()); },
                                      [list](const QVariant &value) {
                                          if (list->currentText() != value.toString())
                                              list->setEditText(value.toString());
                                      }};
            }
        } else if (property == u"Checked") {
            if (auto *check = qobject_cast<QCheckBox *>(control))
                return bindFlag(check);
        } else if (property == u"Down") {
            if (auto *toggle = qobject_cast<QToolButton *>(control);
                toggle && toggle->isCheckable())
                return bindFlag(toggle);
        } else if (property == u"Value") {
            if (auto *spin = qobject_cast<QSpinBox *>(control))
                return bindValue(spin);
        } else if (property == u"Color") {
            if (auto *panel = qobject_cast<ColourPanel *>(control)) {
                return SettingBinding{SettingKind::Integer,
                                      [panel] { return QVariant(panel->color()); },
                                      [panel](const QVariant &value) {
                                          panel->setColor(value.toInt());
                                      }};
            }
        } else if (property == u"ItemIndex") {
            if (auto *group = qobject_cast<RadioGroup *>(control)) {
                return SettingBinding{SettingKind::Integer,
                                      [group] { return QVariant(group->itemIndex()); },
                                      [group](const QVariant &value) {
                                          group->setItemIndex(value.toInt());
                                      }};
            }
        }
        return std::nullopt;
    };
}
