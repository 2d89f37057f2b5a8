#pragma once
#include "records/forms/PageBindings.h"

#include <QList>
#include <QWidget>

class ByteLimitedEdit;
class QCheckBox;
class QComboBox;

// The fifteen values that describe a first completing unit: page 4 edits
// them in the record, the own-unit profile in its own table. One set of
// controls, laid out row by row, with the bindings of both.
class FirstUnitFields : public QWidget
{
    Q_OBJECT
public:
    struct Options
    {
        QString ownershipName;     // "CB_41_3" on page 4, "cb_41_3" in the profile
        QString convertedCaption;  // the converted-institute box's caption
        // Page 4 stores ownership and the converted mark only for an
        // enterprise (attribute "3"); the profile stores what they show.
        bool enterpriseRule = true;
    };
    FirstUnitFields(const Options &options, QWidget *parent);

    ByteLimitedEdit *Edt_9 = nullptr;     // unit name
    ByteLimitedEdit *Edt_420 = nullptr;   // legal-person code
    QComboBox *cb_62 = nullptr;           // unit attribute
    QComboBox *ownership = nullptr;       // enterprise ownership
    QCheckBox *cb_163 = nullptr;          // converted research institute
    QComboBox *cb_64 = nullptr;           // province
    QComboBox *cb_63 = nullptr;           // affiliation
    ByteLimitedEdit *Edt_37 = nullptr;    // postal address
    ByteLimitedEdit *Edt_38 = nullptr;    // postal code
    ByteLimitedEdit *Edt_60 = nullptr;    // web address
    ByteLimitedEdit *Edt_39 = nullptr;    // telephone
    ByteLimitedEdit *Edt_40 = nullptr;    // fax
    ByteLimitedEdit *Edt_41 = nullptr;    // contact person
    ByteLimitedEdit *Edt_41_2 = nullptr;  // contact telephone
    ByteLimitedEdit *Edt_61 = nullptr;    // e-mail

    // The required values in the order they are checked, then the others.
    QList<Binding> bindings() const;
    // Ownership and the converted mark are open for the stored attribute
    // code "3" only.
    void openForAttribute(const QString &attributeCode);

public slots:
    // An attribute chosen: the ownership list is filled again, and both
    // controls follow whether the attribute names an enterprise.
    void cb_62Change();

private:
    void buildControls();
    Binding converted() const;
    Binding ownershipBinding() const;

    Options m_options;
};
