#pragma once
#include "records/pages/PersonList.h"

// The second list window of the completing persons, opened from the
// second-level units window: the persons of the main window's current
// record, numbered in table order when it opens and closes.
class TFpage12 : public PersonListWindow
{
    Q_OBJECT
public:
    explicit TFpage12(QWidget *parent = nullptr);

    void wire(AppContext &context) override;

protected:
    void showEvent(QShowEvent *event) override;
    void done(int result) override;

private:
    void showRowsOfCurrentRecord();
    void numberInTableOrder();
    void answerStudyAbroad();
};
