#pragma once
#include <QString>

// Names the program shows and the lock it takes; kept in one place because
// the single-instance lock is named after the title.
namespace AppInfo {
QString productName();      // "Dravik": caption of warning boxes
QString applicationTitle(); // "Dravik－【LumetV5.0】": main window and lock
}
