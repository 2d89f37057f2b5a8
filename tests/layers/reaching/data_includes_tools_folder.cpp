// Must be refused by the tool check: the data module naming the tools'
// folder itself.
#include "tools/mktables/Anything.h"
