#pragma once
#include "records/forms/ChildList.h"

// The discipline leaders of the registering unit (unitexpert.dbf, filtered
// on the unit's code by the unit page), edited in the dialog TFinto11.
class TFpage11 : public ChildListWindow
{
    Q_OBJECT
public:
    explicit TFpage11(QWidget *parent = nullptr);

    static QString listTitle();  // "学科带头人名单", in the dialog's caption

    // The rows are the data module's leaders table, the dialog TFinto11.
    void wire(AppContext &context) override;
};
