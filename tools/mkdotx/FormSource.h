#pragma once
#include <QList>
#include <QString>
#include <QStringList>

// A template source: the form as lines of text, read into blocks.
//
//   # a comment                     (blank lines are ignored too)
//   title 科技成果登记表               a centred heading
//   subtitle （应用技术类）             a smaller centred line
//   heading 一、成果概况               a bold paragraph
//   text 填写说明……                   a plain paragraph
//   page                            a page break
//   table 3 7 3 7                   a table; the numbers are relative column widths
//   row 成果名称 | <3>{item_3}        a row; cells split at " | ", <n> spans n columns
//   band 一、成果概况                  a row across the whole table, in bold
//   rows persons {item_180_#} | …   a row repeated for each row of the child list,
//                                   "#" being the row number (1 .. the list's limit)
//   end                             the end of the table
//
// In a cell or paragraph, {name} places the bookmark "name" there. A cell
// holding a bookmark is a value cell (left aligned); any other is a label.
struct FormCell
{
    QString text;  // with {bookmark} marks
    int span = 1;
};

struct FormBlock
{
    enum Kind { Title, Subtitle, Heading, Paragraph, PageBreak, Table, Row, Band, Rows, End };
    Kind kind;
    QString text;               // Title .. Paragraph, Band
    QList<int> widths;          // Table
    QList<FormCell> cells;      // Row, Rows
    QString list;               // Rows: units, persons, committee, accepted, granted
    int line = 0;
};

// Throws std::runtime_error with file and line for a line it cannot read.
QList<FormBlock> readFormSource(const QString &path);

// The bookmarks a piece of text places, in order.
QStringList bookmarksIn(const QString &text);
