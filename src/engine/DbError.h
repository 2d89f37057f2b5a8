#pragma once
#include "errors/UserError.h"

// Every failing engine operation throws this. The text is for the user: it
// names the file or field and says what went wrong, in Chinese.
class DbError : public UserError
{
public:
    using UserError::UserError;
};
