#include "app/spin_edit.h"

#include <QLineEdit>
#include <QRegularExpression>

namespace {

bool isNumberText(const QString &text)
{
    static const QRegularExpression number(QStringLiteral("^[+-]?\\d+$"));
    return number.match(text).hasMatch();
}

} // namespace

SpinEdit::SpinEdit(QWidget *parent) : QSpinBox(parent)
{
    // Typing changes the field first and the value after it, both inside the
    // field's textChanged; stepping and setValue() change the field with its
    // signals blocked and report through the spin box's textChanged alone. A
    // slot connected before the spin box takes the field brackets the typing,
    // so that each change is reported once.
    auto *field = new QLineEdit(this);
    connect(field, &QLineEdit::textChanged, this, [this] { m_typing = true; });
    setLineEdit(field);
    connect(field, &QLineEdit::textChanged, this, [this] {
        m_typing = false;
        emit valueTextChanged();
    });
    connect(this, &QSpinBox::textChanged, this, [this] {
        if (!m_typing)
            emit valueTextChanged();
    });
}

QValidator::State SpinEdit::validate(QString &input, int &) const
{
    static const QRegularExpression typing(QStringLiteral("^[+-]?\\d*$"));
    if (!typing.match(input).hasMatch())
        return QValidator::Invalid;
    if (!isNumberText(input))
        return QValidator::Intermediate;
    const qint64 value = input.toLongLong();
    return value >= minimum() && value <= maximum() ? QValidator::Acceptable
                                                    : QValidator::Intermediate;
}

void SpinEdit::fixup(QString &input) const
{
    if (!isNumberText(input)) {
        input = QString::number(minimum());
        return;
    }
    input = QString::number(qBound(qint64(minimum()), input.toLongLong(), qint64(maximum())));
}

void SpinEdit::focusOutEvent(QFocusEvent *event)
{
    QString text = lineEdit()->text();
    fixup(text);
    const int fixed = text.toInt();
    if (lineEdit()->text() != text) {
        lineEdit()->setText(text);
        setValue(fixed);
    }
    QSpinBox::focusOutEvent(event);
}
