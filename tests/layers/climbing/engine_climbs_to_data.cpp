// Must be refused by the include check: the engine climbing out of its
// root's folder to the data module.
#include "engine/../records/data/UnitDM.h"
