// Must not build: a section page reaching up to the main window.
#include "app/Unit1.h"
