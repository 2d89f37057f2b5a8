#pragma once
#include "records/forms/SectionPage.h"

class FirstUnitFields;
class QPushButton;

// Section page 4 "第一完成单位情况": name, codes, address and contact data of
// the unit that completed the achievement first. A record whose first unit
// is the registering unit shows that unit's own data.
class TFpage4 : public SectionPage
{
    Q_OBJECT
public:
    explicit TFpage4(QWidget *parent = nullptr);

    FirstUnitFields *fields = nullptr;
    // Built hidden, never shown.
    QPushButton *Button1 = nullptr;  // "按照本单位情况填入"
    QPushButton *Button2 = nullptr;  // "设置单位基本情况"

public slots:
    // Fills the page from the own-unit profile; false when there is none
    // (the user has been told).
    bool Button1Click();
    // Opens the own-unit profile.
    void Button2Click();

protected:
    bool loadForShowing() override;
    void afterLoad(const DataSet &row) override;

private:
    void showRegisteringUnit(const DataSet &unit);
    void fillFromProfile();
};
