#pragma once
#include "records/forms/AppContext.h"

#include <QDialog>
#include <QPointer>
#include <QString>

class GbkMemo;
class QPlainTextEdit;
class QPushButton;

// An editor of one memo of the unit's profile: "保存" writes its text into
// the unit row at once (a first row is made when the table is empty) and
// hands it back to the memo of the unit page; "退出" closes.
class UnitMemoEditor : public QDialog, public ContextWindow
{
    Q_OBJECT
public:
    UnitMemoEditor(const QString &objectName, const QString &caption, const QString &field,
                   QWidget *parent = nullptr);

    QString field() const { return m_field; }
    // The page's memo that shows the text.
    void setPageMemo(QPlainTextEdit *memo);

    GbkMemo *Memo1 = nullptr;
    QPushButton *Button1 = nullptr;  // "保存"
    QPushButton *Button2 = nullptr;  // "退出"

public slots:
    // True when the text was stored.
    bool Button1Click();
    void Button2Click();

private:
    void storeText();

    QString m_field;
    QPointer<QPlainTextEdit> m_pageMemo;
};
