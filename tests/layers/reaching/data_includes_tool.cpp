// Must be refused by the tool check: the data module reaching a header of
// the template builder.
#include "DotxWriter.h"
