#include "records/widgets/AppInfo.h"

namespace AppInfo {
QString productName() { return QStringLiteral("Dravik"); }
QString applicationTitle() { return QStringLiteral("Dravik－【LumetV5.0】"); }
}
