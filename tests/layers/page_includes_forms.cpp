// Builds: a section page uses the floors below it.
#include "records/data/UnitDM.h"
#include "records/forms/AppContext.h"
#include "records/widgets/Messages.h"
