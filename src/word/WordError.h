#pragma once
#include <QString>
#include <stdexcept>

// Every failing template or document operation throws this. The text is for
// the user: it names the file or bookmark and says what went wrong.
class WordError : public std::runtime_error
{
public:
    explicit WordError(const QString &message)
        : std::runtime_error(message.toStdString()), m_message(message) {}
    QString message() const { return m_message; }

private:
    QString m_message;
};
