#pragma once
#include "records/forms/PageBindings.h"

#include <QList>
#include <QString>

class DropDownCombo;
class QGroupBox;
class QLineEdit;
class QWidget;

// A list of up to ten classification codes of the unit table (research and
// advantage fields, disciplines), edited as ten edits on a panel, each with
// an arrow that opens the classification chooser for its edit; an entry may
// also be typed or deleted. The unit page and the second-level units show
// them alike.
struct UnitCodeList
{
    QGroupBox *panel = nullptr;
    QString field;      // item_124_2 ...
    QString prefix;     // "edt_124_2_" ...
    QString tableFile;  // "gxjs.dbf" or "xkfl.dbf"
    QList<QLineEdit *> edits;
    QList<DropDownCombo *> arrows;

    // The panel with its edits (prefix + 1..10) and arrows ("cb" in place
    // of the prefix's "edt").
    static UnitCodeList build(QWidget *parent, const QString &title, const QString &field,
                              const QString &prefix, const QString &tableFile);
    // Each edit shows "code  name" of its classification (the bare code
    // when the table lacks it); stored as codes each followed by a blank
    // and ";" (UnitProfile::codeListEntry). A list whose edits show what
    // was loaded keeps its stored text; a bare code shown as stored is kept
    // until the user changes its edit. Compared by what it would store.
    Binding binding() const;
};
