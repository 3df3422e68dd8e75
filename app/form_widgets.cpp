#include "app/form_widgets.h"

#include "project/settings_table.h"

#include "app/spin_edit.h"

#include <QIcon>
#include <QLabel>
#include <QLineEdit>
#include <QToolButton>

QToolButton *makeFlatButton(QWidget *parent, const QString &name, const QString &hint,
                            const QString &icon)
{
    auto *button = new QToolButton(parent);
    button->setObjectName(name);
    button->setToolTip(hint);
    button->setAutoRaise(true);
    button->setFocusPolicy(Qt::NoFocus);
    if (!icon.isEmpty()) {
        button->setIcon(QIcon(QStringLiteral(":/icons/%1.png").arg(icon)));
        button->setIconSize(QSize(16, 16));
    }
    return button;
}

QToolButton *makeToggleButton(QWidget *parent, const QString &name, const QString &hint,
                              const QString &icon)
{
    QToolButton *button = makeFlatButton(parent, name, hint, icon);
    button->setCheckable(true);
    return button;
}

namespace {

void setUpSpin(QSpinBox *spin, const QString &name, const QString &hint)
{
    const SettingSpec &spec = settingSpec(name + QStringLiteral(".Value"));
    spin->setObjectName(name);
    spin->setToolTip(hint);
    spin->setRange(spec.minimum, spec.maximum);
    spin->setValue(spec.number);
}

} // namespace

QSpinBox *makeSpinner(QWidget *parent, const QString &name, const QString &hint, int step)
{
    auto *spinner = new QSpinBox(parent);
    setUpSpin(spinner, name, hint);
    spinner->setSingleStep(step);
    return spinner;
}

SpinEdit *makeSpinEdit(QWidget *parent, const QString &name, const QString &hint)
{
    auto *spin = new SpinEdit(parent);
    setUpSpin(spin, name, hint);
    return spin;
}

QString settingDefaultText(const QString &key)
{
    return settingSpec(key).defaultValue().toString();
}

QLineEdit *makeLineEdit(QWidget *parent, const QString &name, const QString &hint,
                        const QString &text, const QRect &place)
{
    auto *edit = new QLineEdit(text, parent);
    edit->setObjectName(name);
    edit->setToolTip(hint);
    edit->setGeometry(place);
    return edit;
}

QLabel *makeStatusPane(QWidget *parent, const QString &name, int width, bool centred)
{
    auto *pane = new QLabel(parent);
    pane->setObjectName(name);
    pane->setFrameStyle(QFrame::Panel | QFrame::Sunken);
    pane->setFixedWidth(width);
    if (centred)
        pane->setAlignment(Qt::AlignCenter);
    return pane;
}

QLabel *makeLabel(QWidget *parent, const QString &text, const QString &name)
{
    auto *label = new QLabel(text, parent);
    if (!name.isEmpty())
        label->setObjectName(name);
    return label;
}

QLabel *makePicture(QWidget *parent, const QString &icon)
{
    auto *picture = new QLabel(parent);
    picture->setPixmap(QIcon(QStringLiteral(":/icons/%1.png").arg(icon)).pixmap(16, 16));
    picture->setAlignment(Qt::AlignCenter);
    return picture;
}
