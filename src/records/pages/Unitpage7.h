#pragma once
#include "records/forms/ChildList.h"

class QPushButton;

// Page 7: the evaluation committee of the current achievement (jdwyhmd.DBF),
// the chairman first, then the vice-chairmen, then the members. The section
// is not required; leaving the page marks it done.
class TFpage7 : public ChildListWindow
{
    Q_OBJECT
public:
    explicit TFpage7(QWidget *parent = nullptr);

    static QString listTitle();  // "评价委员会名单"

    QPushButton *helpButton = nullptr;  // 帮助 (Button3)

    void wire(AppContext &context) override;
    // Every member of the record gets the rank of the role.
    void afterStore(ChildList::Mode mode) override;
    void whenLeft() override;

public slots:
    void quitClick() override;

protected:
    // Its close box closes it without the done mark.
    void closedFromOutside() override { reject(); }
};
