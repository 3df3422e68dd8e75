#pragma once

#include <QString>
#include <stdexcept>

// The one error type of the program: it carries the text the user sees.
// The window's guard shows it in a message box titled "Pictavel".
class PictavelError : public std::runtime_error
{
public:
    explicit PictavelError(const QString &message)
        : std::runtime_error(message.toStdString()), m_message(message)
    {
    }

    const QString &message() const { return m_message; }

private:
    QString m_message;
};
