#include "app/settings_binding.h"

#include "app/colour_panel.h"
#include "app/control_settings.h"
#include "app/radio_group.h"
#include "app/spin_edit.h"
#include "project/gallery_settings.h"
#include "project/settings_table.h"

#include <QAbstractButton>
#include <QComboBox>
#include <QLineEdit>

#include <functional>

namespace {

// Connects the change of `control` to `changed`; false for a control of a
// kind the table does not use.
bool onChange(QWidget *control, const std::function<void()> &changed)
{
    if (auto *spin = qobject_cast<SpinEdit *>(control))
        QObject::connect(spin, &SpinEdit::valueTextChanged, spin, changed);
    else if (auto *number = qobject_cast<QSpinBox *>(control))
        QObject::connect(number, &QSpinBox::valueChanged, number, changed);
    else if (auto *edit = qobject_cast<QLineEdit *>(control))
        QObject::connect(edit, &QLineEdit::textChanged, edit, changed);
    else if (auto *list = qobject_cast<QComboBox *>(control)) {
        // Typing changes the text of an editable list before its current text.
        QObject::connect(list, &QComboBox::editTextChanged, list, changed);
        QObject::connect(list, &QComboBox::currentTextChanged, list, changed);
    } else if (auto *button = qobject_cast<QAbstractButton *>(control))
        QObject::connect(button, &QAbstractButton::toggled, button, changed);
    else if (auto *panel = qobject_cast<ColourPanel *>(control))
        QObject::connect(panel, &ColourPanel::colorChanged, panel, changed);
    else if (auto *group = qobject_cast<RadioGroup *>(control))
        QObject::connect(group, &RadioGroup::clicked, group, changed);
    else
        return false;
    return true;
}

} // namespace

void bindControlsToSettings(QWidget *window, GallerySettings &settings)
{
    const SettingResolver controls = controlSettingResolver(window);
    const SettingResolver model = settings.resolver();
    for (const QString &entry : galleryProps()) {
        const std::optional<SettingBinding> shown = controls(entry);
        const std::optional<SettingBinding> held = model(entry);
        auto *control = window->findChild<QWidget *>(entry.left(entry.indexOf(u'.')));
        if (!shown || !held || !control)
            continue;
        auto *spin = qobject_cast<SpinEdit *>(control);
        const auto changed = [shown, held, spin, entry, &settings] {
            held->set(shown->get());
            if (spin)
                settings.setSpinText(entry, spin->cleanText());
        };
        if (onChange(control, changed))
            changed();
    }
    auto *picturePrefix = window->findChild<QLineEdit *>(QStringLiteral("edtOrigPref"));
    auto *thumbnailPrefix = window->findChild<QLineEdit *>(QStringLiteral("edtThumbPref"));
    const auto prefixes = [picturePrefix, thumbnailPrefix, &settings] {
        settings.setPrefixes(picturePrefix->text(), thumbnailPrefix->text());
    };
    for (QLineEdit *prefix : {picturePrefix, thumbnailPrefix})
        QObject::connect(prefix, &QLineEdit::textChanged, prefix, prefixes);
    prefixes();
}
