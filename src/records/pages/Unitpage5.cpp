#include "Unitpage5.h"

namespace CooperatingUnits {

QList<int> orderAfterMove(int count, int from, int to)
{
    QList<int> order;
    for (int i = 0; i < count; ++i) {
        if (i != from)
            order << i;
    }
    if (from < 0 || from >= count)
        return order;
    order.insert(qBound(0, to - 1, int(order.size())), from);
    return order;
}

} // namespace CooperatingUnits

TFpage5::TFpage5(QWidget *parent)
    : QDialog(parent)
{
    setObjectName(QStringLiteral("Fpage5"));
    resize(800, 600);
}
