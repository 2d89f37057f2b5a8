#pragma once
#include "records/forms/ChildList.h"

// The patents of the current achievement (zlqk.dbf, filtered to the record
// by page 2 before the list opens), edited in the dialog TFinto6. Leaving
// the list gives page 2 the new counts.
class TFpage6 : public ChildListWindow
{
    Q_OBJECT
public:
    explicit TFpage6(QWidget *parent = nullptr);

    static QString listTitle();  // "专利情况", in the dialog's caption

    QPushButton *helpButton = nullptr;  // 帮助 (Button3)

    void wire(AppContext &context) override;

    // Leaving the list gives page 2 the counts, status and types of the
    // patents and evaluates the lock again.
    void whenLeft() override;

protected:
    void showEvent(QShowEvent *event) override;
};
