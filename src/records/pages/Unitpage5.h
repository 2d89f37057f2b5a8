#pragma once
#include "records/forms/ChildList.h"

#include <QList>

// The order of the cooperating units after one of them was given another
// number in the dialog.
namespace CooperatingUnits {
using ChildList::orderAfterMove;
} // namespace CooperatingUnits

// Section page 5 "合作完成单位情况": the units that completed the current
// achievement together with the first one (cgwcdw.DBF), edited in the
// dialog TFinto5. The section is optional: leaving the list marks it done.
class TFpage5 : public ChildListWindow
{
    Q_OBJECT
public:
    explicit TFpage5(QWidget *parent = nullptr);

    static QString listTitle();  // "合作完成单位情况", in the dialog's caption

    QPushButton *helpButton = nullptr;  // "帮助" (Button3)

    void wire(AppContext &context) override;

    // A unit given the number of another one goes before it; the others
    // follow, so that the renumbering keeps the place asked for.
    void afterStore(ChildList::Mode mode) override;
    void whenLeft() override;
};
