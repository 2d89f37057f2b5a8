#pragma once
#include "records/forms/ChildList.h"

class ByteLimitedEdit;
class QComboBox;
class QLabel;
class QLineEdit;

// A leader's birth is stored as "yyyy.MM": the year, a point and the month
// in two digits.
namespace LeaderBirth {
// The first four characters of the trimmed year, a whole number 1900..2050.
bool yearIsValid(const QString &yearText);
// The trimmed month, a whole number 1..12.
bool monthIsValid(const QString &monthText);
// A one-digit month with its leading "0"; anything else trimmed.
QString paddedMonth(const QString &monthText);
QString birthText(const QString &yearText, const QString &monthText);
} // namespace LeaderBirth

// The add/modify dialog of one discipline leader.
class TFinto11 : public ChildListDialog
{
    Q_OBJECT
public:
    explicit TFinto11(QWidget *parent = nullptr);

    ByteLimitedEdit *edtry_180 = nullptr;  // name
    QComboBox *cbry_181 = nullptr;         // sex
    QLineEdit *Edt_both_1 = nullptr;       // birth year
    QLineEdit *edt_both_2 = nullptr;       // birth month
    ByteLimitedEdit *edtry_186 = nullptr;  // note
    QComboBox *cbry_124_1 = nullptr;       // research field
    // Built hidden and never filled.
    QComboBox *cbry_183 = nullptr;  // technical title
    QComboBox *cbry_184 = nullptr;  // education

public slots:
    void Edt_both_1Exit();
    void edt_both_2Exit();

protected:
    void loadControls(ChildList::Mode mode) override;
    void beforePost(DataSet &row) override;

private:
    void buildControls();
    void declareBindings();
    static Binding storedCodeOf(const QString &field, QComboBox *combo);
    Binding birthBinding();
    QString sexText() const;
    QString researchText() const;
    void warnUnless(bool valid, const QString &message);

    bool m_checkingExit = false;
};
