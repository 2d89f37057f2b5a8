// Must be refused by the include check: a section page reaching the main
// window from its own folder, past every include root.
#include "../../app/Unit1.h"
