#include "GbkMemo.h"

#include "GbkInput.h"
#include "engine/GbkText.h"

#include <QTextBlock>
#include <QTextCursor>
#include <QTextDocument>

namespace {

bool isLineBreak(QChar c)
{
    return c == QChar::ParagraphSeparator || c == QChar::LineSeparator || c == QLatin1Char('\n');
}

// The inserted characters with line breaks as plain newlines.
QString insertedText(QTextDocument *doc, int from, int to)
{
    QTextCursor cursor(doc);
    cursor.setPosition(from);
    cursor.setPosition(qMin(to, doc->characterCount() - 1), QTextCursor::KeepAnchor);
    QString text = cursor.selectedText();
    for (QChar &c : text) {
        if (isLineBreak(c))
            c = QLatin1Char('\n');
    }
    return text;
}

} // namespace

GbkMemo::GbkMemo(QWidget *parent) : QPlainTextEdit(parent)
{
    connect(document(), &QTextDocument::contentsChange, this,
            [this](int position, int, int added) { dropUnencodable(position, added); });
}

void GbkMemo::mousePressEvent(QMouseEvent *event)
{
    if (m_emptyBlankOnClick && !document()->isEmpty() && toPlainText().trimmed().isEmpty())
        clear();
    QPlainTextEdit::mousePressEvent(event);
}

// Walks the inserted range from its end, so that removing a character does
// not move the ones still to be looked at.
void GbkMemo::dropUnencodable(int position, int added)
{
    if (m_cleaning || added <= 0)
        return;
    QTextDocument *doc = document();
    const int end = qMin(position + added, doc->characterCount());
    if (GbkText::canHold(insertedText(doc, position, end)))
        return;
    QString refused;
    m_cleaning = true;
    for (int at = end - 1; at >= position; --at) {
        const QChar c = doc->characterAt(at);
        if (isLineBreak(c) || c.isNull())
            continue;
        int start = at;
        QString character(c);
        if (c.isLowSurrogate() && at > position && doc->characterAt(at - 1).isHighSurrogate()) {
            start = at - 1;
            character.prepend(doc->characterAt(start));
        }
        if (!GbkText::canHold(character)) {
            QTextCursor cursor(doc);
            cursor.setPosition(start);
            cursor.setPosition(at + 1, QTextCursor::KeepAnchor);
            cursor.removeSelectedText();
            refused.prepend(character);
        }
        at = start;
    }
    m_cleaning = false;
    GbkInput::warnLater(this, refused);
}
