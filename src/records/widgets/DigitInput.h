#pragma once

class QLineEdit;

// Limits what the user types or pastes into the edit: only the digits 0 to 9
// (and the point when allowPoint), and no more than maxTyped characters (0:
// any number). A text set by code (a stored value) is shown whole and as it
// is; the limits hold for what the user adds to it.
void AcceptOnlyDigits(QLineEdit *edit, bool allowPoint = false, int maxTyped = 0);

// Only the length limit, for edits that take any characters.
void LimitTypedLength(QLineEdit *edit, int maxTyped);
