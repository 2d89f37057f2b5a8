#include "UserError.h"

UserError::UserError(const QString &message)
    : std::runtime_error(message.toStdString()), m_message(message)
{
}

UserError::~UserError() = default;
