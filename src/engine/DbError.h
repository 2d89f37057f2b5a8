#pragma once
#include "errors/UserError.h"

// Every failing engine operation throws this. The text is for the user: it
// names the file or field and says what went wrong, in Chinese.
class DbError : public UserError
{
public:
    using UserError::UserError;
};

// A table or memo file whose bytes are not what the format demands: it must
// not be written until it is repaired.
class DbDamageError : public DbError
{
public:
    using DbError::DbError;
};
