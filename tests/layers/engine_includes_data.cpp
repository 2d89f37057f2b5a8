// Must not build: the engine reaching up to the data module.
#include "records/data/UnitDM.h"
