#pragma once
#include <QString>

class QWidget;

// Text typed or pasted into an edit must fit the table field it goes to:
// only characters GBK can hold, and no more GBK bytes than the field's width.
namespace GbkInput {

struct Fitted
{
    QString text;
    int cursor = 0;   // just after the part that was kept of the new input
    QString refused;  // the characters that GBK cannot hold, in order
};

// The text an edit holding `previous` keeps when a change proposes
// `proposed`: the changed middle part (what was typed, pasted or set) loses
// the characters GBK cannot hold and is cut on a character boundary so that
// the whole fits maxBytes (0: no limit). The unchanged beginning and end stay,
// even when they alone are longer than maxBytes.
Fitted fit(const QString &previous, const QString &proposed, int maxBytes);

// The text without the characters GBK cannot hold; those go to *refused.
QString withoutUnencodable(const QString &text, QString *refused);

// The message that tells the user which characters were left out.
QString refusedMessage(const QString &refused);

// Shows refusedMessage once control is back in the event loop: the edits
// notice refused characters in the middle of their own editing, where a
// modal box must not run.
void warnLater(QWidget *edit, const QString &refused);

} // namespace GbkInput
