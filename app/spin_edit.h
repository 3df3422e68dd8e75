#pragma once

#include <QSpinBox>

// A numeric field that lets any whole number be typed (the text is what the
// page reads while typing); leaving the field brings the number into range and
// writes it back, a text that is no number counting as the minimum.
class SpinEdit : public QSpinBox
{
    Q_OBJECT
public:
    explicit SpinEdit(QWidget *parent = nullptr);

signals:
    // The text on show changed, whatever changed it: typing, stepping, the
    // program. Raised once per change.
    void valueTextChanged();

protected:
    QValidator::State validate(QString &input, int &pos) const override;
    void fixup(QString &input) const override;
    void focusOutEvent(QFocusEvent *event) override;

private:
    bool m_typing = false;
};
