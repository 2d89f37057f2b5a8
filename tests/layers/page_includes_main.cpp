// Must not build: a section page reaching up to the main window.
#include "records/main/Unit1.h"
