#pragma once
// The Word documents of the print window's six Word buttons: registration
// form (plain and body-text sets, per category), appraisal application,
// appraisal certificate. Each takes the print window as the parent of its
// messages and reads the current record through the data module. The
// window catches and shows whatever they throw.

#include <QString>
#include <functional>

class QWidget;

namespace WordOutput {

// Where finished documents go and how they are opened (true when a program
// took the file). Empty: the user's documents folder and the desktop's
// program. Tests send documents to a folder of their own and open nothing.
using Opener = std::function<bool(const QString &path)>;
void setSaving(const QString &folder, Opener opener);

void RJ_ButtonClick(QWidget *window);   // registration form, categories 2 and 3
void YY_ButtonClick(QWidget *window);   // registration form, category 1
void RJ_SButtonClick(QWidget *window);  // "(正文)" set, categories 2 and 3
void YY_SButtonClick(QWidget *window);  // "(正文)" set, category 1
void Button5Click(QWidget *window);     // appraisal application
void Button6Click(QWidget *window);     // appraisal certificate

} // namespace WordOutput
