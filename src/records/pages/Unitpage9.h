#pragma once
#include "records/forms/SectionPage.h"

class ByteLimitedEdit;
class ClearableDate;
class GbkMemo;
class QTabWidget;

// Section page 9 "鉴定证书内容": the certificate number, the evaluation
// date and the four long texts of the appraisal certificate. Nothing on it
// is required, so it is left without a check.
class TFpage9 : public SectionPage
{
    Q_OBJECT
public:
    explicit TFpage9(QWidget *parent = nullptr);

    static QString badDateMessage(const QString &stored);

    ByteLimitedEdit *Edt_301 = nullptr;
    ClearableDate *date302 = nullptr;  // DTP_302, CheckBox_302, EDT_302
    QTabWidget *memoTabs = nullptr;
    GbkMemo *Mo_13_2 = nullptr;
    GbkMemo *Mo_13_3 = nullptr;
    GbkMemo *Mo_133 = nullptr;
    GbkMemo *Mo_303 = nullptr;

private:
    QWidget *buildFields();
    QTabWidget *buildMemos();
};
