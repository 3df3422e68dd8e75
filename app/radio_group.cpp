#include "app/radio_group.h"

#include <QButtonGroup>
#include <QHBoxLayout>
#include <QRadioButton>

RadioGroup::RadioGroup(const QString &caption, const QStringList &items, QWidget *parent)
    : QGroupBox(caption, parent)
{
    auto *layout = new QHBoxLayout(this);
    layout->setContentsMargins(6, 2, 2, 2);
    layout->setSpacing(2);
    for (const QString &item : items) {
        auto *button = new QRadioButton(item, this);
        // Exclusive by hand, so that "no item chosen" can be shown.
        button->setAutoExclusive(false);
        layout->addWidget(button);
        m_buttons << button;
        connect(button, &QRadioButton::clicked, this,
                [this, button] { setItemIndex(int(m_buttons.indexOf(button))); });
    }
}

void RadioGroup::setItemIndex(int index)
{
    if (index >= m_buttons.size())
        index = int(m_buttons.size()) - 1;
    if (index < 0)
        index = -1;
    for (int i = 0; i < m_buttons.size(); ++i)
        m_buttons.at(i)->setChecked(i == index);
    if (index == m_index)
        return;
    m_index = index;
    emit clicked();
}
