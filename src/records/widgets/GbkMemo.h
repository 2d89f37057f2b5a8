#pragma once
#include <QPlainTextEdit>

// A memo for a memo field: any length, but only characters GBK can hold.
// Characters it cannot hold are taken out again as soon as they arrive
// (typed, pasted or set) and named in a warning.
class GbkMemo : public QPlainTextEdit
{
    Q_OBJECT
public:
    explicit GbkMemo(QWidget *parent = nullptr);

    // A click into a memo that holds only blanks and line breaks empties it,
    // so that typing starts at the top.
    void setEmptiedWhenBlankOnClick(bool on) { m_emptyBlankOnClick = on; }

protected:
    void mousePressEvent(QMouseEvent *event) override;

private:
    void dropUnencodable(int position, int added);
    bool m_cleaning = false;
    bool m_emptyBlankOnClick = false;
};
