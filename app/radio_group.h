#pragma once

#include <QGroupBox>
#include <QList>

class QRadioButton;

// A captioned group of radio buttons chosen by index; -1 means none is chosen.
// An index above the last item chooses the last one.
class RadioGroup : public QGroupBox
{
    Q_OBJECT
public:
    RadioGroup(const QString &caption, const QStringList &items, QWidget *parent = nullptr);

    int itemIndex() const { return m_index; }
    void setItemIndex(int index);
    QRadioButton *button(int index) const { return m_buttons.at(index); }

signals:
    // Raised when the chosen item changes, by the user or by the program.
    void clicked();

private:
    QList<QRadioButton *> m_buttons;
    // Kept apart from the buttons: a click checks its button before the group
    // hears of it, so the buttons alone cannot tell what was chosen before.
    int m_index = -1;
};
