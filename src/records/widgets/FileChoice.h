#pragma once
#include <QString>

class QWidget;

// The file dialog of the program: every column of its file list reads in
// Chinese (type, size, date), whatever the desktop's locale, and it is
// large enough to show a file's name, type and date whole. Returns the
// chosen file, or an empty text when the user cancels.
QString ChooseFileToOpen(QWidget *parent, const QString &title, const QString &filter = {});
