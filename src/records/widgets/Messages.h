#pragma once
#include <QMessageBox>
#include <QString>
#include <functional>

class QWidget;

// Every message box of the program goes through here, so that captions,
// icons and buttons stay as users know them and tests can answer boxes
// without a screen.
namespace Messages {

struct Request
{
    QString caption;
    QString text;
    QMessageBox::Icon icon = QMessageBox::NoIcon;
    QMessageBox::StandardButtons buttons = QMessageBox::Ok;
    // A list too long for the box itself, behind its details button.
    QString details;
};

// Shows a modal box and returns the button pressed.
QMessageBox::StandardButton show(QWidget *parent, const Request &request);
QMessageBox::StandardButton show(QWidget *parent, const QString &caption, const QString &text,
                                 QMessageBox::Icon icon,
                                 QMessageBox::StandardButtons buttons = QMessageBox::Ok);

// A short text would leave the box narrower than its caption, which the
// window manager then cuts ("状态！" shown as "..."): the box is widened to
// hold the caption whole.
void fitCaption(QMessageBox &box);

// The box's details list (every refused record with its reason) is shown
// whole once expanded, not in a strip of four lines to scroll through; only
// a list taller than half the screen scrolls.
void fitDetails(QMessageBox &box);

// The box of every input check, of "存储成功！" and of most notices: caption
// "Dravik", exclamation icon, one OK button.
// With details, the list they hold is read in the box's details, whole.
void ShowWarning(QWidget *parent, const QString &message, const QString &details = {});
// Database errors around a post: their own text in a box captioned "提示",
// no icon, one OK button.
void ShowError(QWidget *parent, const QString &message);
// ShowError without a parent, for layers that show no window themselves.
void ShowErrorBox(const QString &message);

// True while a box is up. A control's check on leaving does not run while
// the box of its own check has taken the focus: one warning per keystroke.
bool boxShowing();

// Tests install an answerer: every box is then recorded and answered by it
// instead of being shown. Pass an empty function to show boxes again.
using Answerer = std::function<QMessageBox::StandardButton(const Request &)>;
void setAnswerer(Answerer answerer);

// Texts that more than one window shows, each written once.
namespace Texts {
// A section page, a list's dialog or a unit page has stored its row.
QString stored();
// Leaving a section or unit page whose controls differ from the record.
QString leaveQuestion();
// Deleting the current row of a list.
QString deleteItemQuestion();
// The person dialogs' required name and sex.
QString nameRequired();
QString sexRequired();
// Follows the label of a date that could not be read and was replaced.
QString badTimeReplaced();
// Asked when an export starts with nothing chosen.
QString selectAllQuestion();
} // namespace Texts

} // namespace Messages
