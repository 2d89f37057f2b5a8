// Must not build: the engine climbing out of its root's folder to the data
// module; the root's folder holds the engine's headers and nothing above.
#include "engine/../records/data/UnitDM.h"
