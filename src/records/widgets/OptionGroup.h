#pragma once
#include <QList>
#include <QString>
#include <QStringList>

class QAbstractButton;
class QWidget;

// An option group is the set of check boxes and radio buttons whose parent
// is one panel; each box carries its code in the last characters of its
// object name.

// The check boxes and radio buttons that are direct children of the panel,
// in creation order (the order in which their codes are collected).
QList<QAbstractButton *> OptionBoxesOf(QWidget *panel);

// The last n characters of the box's object name.
QString OptionCode(const QAbstractButton *box, int n);

// Ticks or unticks a box. Unticking also works for the ticked radio button of
// an exclusive group, which Qt would otherwise keep ticked.
void SetOptionTicked(QAbstractButton *box, bool ticked);

// Unticks every ticked check box of the panel except the one named keepName
// and those named in alsoKeep; groups that allow one tick at a time call it
// when a box gets ticked.
void UncheckOtherCheckBoxes(QWidget *panel, const QString &keepName,
                            const QStringList &alsoKeep = {});

// Makes the check boxes of a panel behave as a one-tick group: ticking one,
// by the user or by code, unticks the others.
void KeepOneCheckBoxTicked(QWidget *panel);

// Enables the radio buttons of the panel; disabling also unticks them.
void SetRadioButtonsEnabled(QWidget *panel, bool enabled);
