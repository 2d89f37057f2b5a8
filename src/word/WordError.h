#pragma once
#include "errors/UserError.h"

// Every failing template or document operation throws this. The text is for
// the user: it names the file or bookmark and says what went wrong.
class WordError : public UserError
{
public:
    using UserError::UserError;
};
