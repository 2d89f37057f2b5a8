#pragma once
#include <QLineEdit>

// A one-line edit whose text fits a table field: the user types or pastes
// at most maxBytes GBK bytes (a field of 140 bytes takes 70 Chinese
// characters) and only characters GBK can hold; a cut never splits a
// character, and refused characters are named in a warning. A text set by
// code (a stored value) is shown whole: the limit holds for what the user
// adds, never for what a record holds. The limit lives in the edit's
// validator: do not set another one.
class ByteLimitedEdit : public QLineEdit
{
    Q_OBJECT
public:
    explicit ByteLimitedEdit(QWidget *parent = nullptr);
    explicit ByteLimitedEdit(int maxBytes, QWidget *parent = nullptr);

    // 0 means no byte limit (characters are still checked). The text shown
    // stays as it is.
    void setMaxBytes(int maxBytes);
    int maxBytes() const;

private:
    class Validator;
    friend class Validator;
    int m_maxBytes = 0;
    QString m_accepted;  // the text before the change being validated
};

// A named edit of a bound field: the form gives it its field's width when
// it is wired (BoundForm::applyFieldModel).
ByteLimitedEdit *MakeFieldEdit(QWidget *parent, const QString &name);
