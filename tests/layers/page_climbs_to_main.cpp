// Must not build: a section page climbing out of its root's folders to the
// main window.
#include "records/pages/../../app/Unit1.h"
