#pragma once
#include <QList>
#include <QString>

class QComboBox;
class QHBoxLayout;
class QPushButton;
class QWidget;

// Controls carry the names the forms give them, so that handlers and tests
// find them by object name.

// A push button that Enter in an edit does not press; minWidth 0 keeps the
// style's size, a minWidth too narrow for the caption grows to fit it.
QPushButton *MakeButton(QWidget *parent, const QString &name, const QString &caption,
                        int minWidth = 0);
// A caption that is longer than the style's button: a margin on each side
// as wide as the style gives short captions, so the text never touches the
// frame.
void PadCaption(QPushButton *button);
// A pick list: chosen from, never typed into.
QComboBox *MakePickList(QWidget *parent, const QString &name);
// The row of a dialog's command buttons, in the order given: centred with
// `gap` pixels between them (-1: the style's spacing), or, not centred,
// sharing the whole row.
QHBoxLayout *ButtonRow(const QList<QPushButton *> &buttons, int gap = -1, bool centred = true);
