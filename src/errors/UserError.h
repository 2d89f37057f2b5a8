#pragma once
#include <QString>
#include <stdexcept>

// An error a user can act on: a file that cannot be read or written, a
// damaged table, a template without its bookmark, a printer that is not
// there. The text is for the user, in the program's words; it names the
// file or field and says what went wrong. Each layer throws its own kind,
// and every handler shows them all alike.
class UserError : public std::runtime_error
{
public:
    explicit UserError(const QString &message);
    ~UserError() override;
    QString message() const { return m_message; }

private:
    QString m_message;
};
