#pragma once
// Lays out a single-body page of the form from the top down: headings,
// ruled rows of captions and values, rows of ticked options, text blocks.
// Everything goes into the page's Title band; finish() sets its height.

#include "report/Report.h"

#include <QPair>
#include <QStringList>

class CodeLookup;

class FormSheet
{
public:
    static constexpr double Width = 180;
    static constexpr double CaptionWidth = 30;
    // In the codes of choiceRow: the next option starts a line.
    static inline const QString LineBreak = QStringLiteral("|");

    FormSheet(report::Report &page, const CodeLookup *codes);

    double y() const { return m_y; }
    void skip(double mm) { m_y += mm; }

    void heading(const QString &text, double pointSize = 16);
    void sectionTitle(const QString &text);
    // Caption | value of a record field.
    void fieldRow(const QString &caption, const QString &field, double height = 9);
    // Caption | value, caption | value, ... in equal parts of the row. A
    // value is a record field, or a label of that name when it starts with
    // "label:" ("label:QR_ITEM_34").
    void cellsRow(const QList<QPair<QString, QString>> &cells, double height = 8);
    // Caption | a box per option with its caption (OptionCaptions) from the
    // option group `group`, the field's own when empty; the box is the
    // choice label <prefix><field>_<code>. perLine: the cells of a line.
    void choiceRow(const QString &caption, const QString &field, const QStringList &codes,
                   int perLine = 4, const QString &prefix = QStringLiteral("QL_"),
                   const QString &group = QString());
    // Caption | a memo of a record field that wraps and shrinks; without a
    // caption the memo has the row's whole width.
    void memoRow(const QString &caption, const QString &field, double height);
    // Fixed wording, wrapped in the full width.
    void textBlock(const QString &text, double height, double pointSize = 10.5);
    // Lines of a list, one under the other at their own size, in as many
    // columns across the width as the height needs. Takes the height the
    // lines need, at most `height`.
    void columnList(const QStringList &lines, double height, double pointSize);
    // Sets the band's height and adds the footer's page label "QRPage".
    void finish();

private:
    static report::TextStyle captionStyle();
    static report::TextStyle optionStyle();
    static double captionWidthFor(const QString &caption, double least, double most);
    void ruledRow(double height, const QList<double> &columnEdges);
    report::Element value(const QString &source, const QRectF &mm) const;

    report::Report &m_page;
    const CodeLookup *m_codes;
    double m_y = 0;
};

// Codes "01" … "nn" with two digits.
QStringList twoDigitCodes(int from, int to);
