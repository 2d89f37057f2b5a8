#pragma once
#include <QString>
#include <stdexcept>

// Every failing engine operation throws this. The text is for the user: it
// names the file or field and says what went wrong, in Chinese.
class DbError : public std::runtime_error
{
public:
    explicit DbError(const QString &message)
        : std::runtime_error(message.toStdString()), m_message(message) {}
    QString message() const { return m_message; }

private:
    QString m_message;
};
