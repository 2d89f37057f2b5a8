#pragma once

class QLineEdit;

// Lets the edit take only the digits 0 to 9 (and the point when allowPoint),
// whether typed or pasted; text set by code is not filtered.
void AcceptOnlyDigits(QLineEdit *edit, bool allowPoint = false);
