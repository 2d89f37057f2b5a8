#pragma once

class QWidget;

// What every form does once it is laid out.

// Each label that stands before a control in a layout (the next cell of its
// grid row, or the next widget of its row) becomes that control's buddy: the
// control's accessible name is the label's text, and the label's mnemonic
// moves to the control. Labels that already have a buddy keep it.
void BuddyLabels(QWidget *form);

// The tab order follows what the user sees: row by row from the top, left
// to right within a row.
void TabInVisualOrder(QWidget *form);

// Where typing starts when the form opens: the first text field in tab
// order that is still empty (an edit, a memo, a spin box or an editable
// list that is enabled and not read-only), else the first such field;
// nullptr when the form has none.
QWidget *FirstFieldToType(const QWidget *form);
