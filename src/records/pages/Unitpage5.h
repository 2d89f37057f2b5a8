#pragma once
#include <QDialog>
#include <QList>

// The order of the cooperating units after one of them was given another
// number in the dialog.
namespace CooperatingUnits {

// The unit at `from` (0-based, in list order) given the number `to` takes
// the place that number names (the first for a number below 1, the last for
// one beyond the list); the others keep their order around it. Returns the
// units' present positions in their new order.
QList<int> orderAfterMove(int count, int from, int to);

} // namespace CooperatingUnits

class TFpage5 : public QDialog
{
    Q_OBJECT
public:
    explicit TFpage5(QWidget *parent = nullptr);
};
