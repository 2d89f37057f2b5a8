#pragma once
// The banded report layer: printed pages described as bands of elements in
// millimetres, laid out into pages before anything is drawn, then drawn on
// any paint device (preview, printer, PDF).
//
// A Report is made of bands:
//   Title         printed once, at the top of the first page (the whole body
//                 of a single-page form);
//   ColumnHeader  at the top of every page, below the title on the first;
//   Detail        once per row of the report's DataTable;
//   Summary       once, after the last detail row;
//   PageFooter    at the bottom of every page.
// Each band holds elements placed relative to the band's top-left corner:
//   Label    a fixed caption, found by name and changed by code;
//   Field    the text of a data field: of the record (setRecord) in every
//            band but Detail, of the current DataTable row in Detail; an
//            optional print hook may change the text just before it is laid
//            out;
//   Memo     a longer text that wraps and, where it would not fit its box,
//            is drawn smaller until it does;
//   Line, Box  rules and rectangles (the form's grid);
//   Counter  the running page number of the report with a prefix ("10--" →
//            "10--1", "10--2").
// Any element can be hidden (visible = false); hidden elements print nothing.
//
// paginate() turns a Report into a Document: its pages, each a list of
// DrawItems with their final texts and places, so that the page count is
// known before anything is printed and tests can read what lands where.
// Drawing, PDF and printer output live in ReportOutput.h.

#include <QHash>
#include <QList>
#include <QMarginsF>
#include <QRectF>
#include <QSizeF>
#include <QString>
#include <QStringList>
#include <functional>
#include <memory>

namespace report {

// How a text is set. The face is always the Song face the forms are
// printed in ("宋体", resolved through the fontconfig alias).
struct TextStyle
{
    double pointSize = 10.5;
    bool bold = false;
    Qt::Alignment align = Qt::AlignLeft | Qt::AlignVCenter;
    bool wrap = false;    // break lines at the box's width
    bool shrink = false;  // draw smaller until the text fits its box
};

enum class Kind { Label, Field, Memo, Line, Box, Counter };

struct Element
{
    Kind kind = Kind::Label;
    QString name;
    QRectF mm;       // relative to the band; a Line runs from topLeft to bottomRight
    QString text;    // caption of a Label or Memo; prefix of a Counter
    QString field;   // data field of a Field
    TextStyle style;
    double penMm = 0.25;  // Line and Box
    bool visible = true;
    // Field only: may change the text about to be printed.
    std::function<void(QString &text)> onPrint;
};

enum class BandKind { Title, ColumnHeader, Detail, Summary, PageFooter };

struct Band
{
    BandKind kind = BandKind::Title;
    double heightMm = 0;
    QList<Element> elements;
};

// The rows a Detail band prints: text fields by name, filled by code.
class DataTable
{
public:
    explicit DataTable(QStringList fields = {});

    const QStringList &fields() const { return m_fields; }
    void clear();
    // A row of the given values; fields not named stay empty. Values of
    // fields the table does not have are ignored.
    void appendRow(const QHash<QString, QString> &values);
    int rowCount() const { return int(m_rows.size()); }
    QString value(int row, const QString &field) const;

private:
    QStringList m_fields;
    QList<QStringList> m_rows;
};

using FieldSource = std::function<QString(const QString &field)>;

class Report
{
public:
    explicit Report(QString name);

    const QString &name() const { return m_name; }
    QSizeF paperMm() const { return {210, 297}; }  // A4 portrait
    QMarginsF marginsMm = {15, 15, 15, 12};

    // The band of that kind, made on first use.
    Band &band(BandKind kind);
    const Band *findBand(BandKind kind) const;
    const QList<Band> &bands() const { return m_bands; }
    Element &add(BandKind kind, Element element);

    // Every element of every band, in band order.
    QList<Element *> elements();
    // The element of that name, nullptr when there is none.
    Element *find(const QString &name);
    const Element *find(const QString &name) const;
    // The element of that name; throws std::logic_error when there is none
    // (a layout and its preparer disagree: a programming fault).
    Element &element(const QString &name);
    void setText(const QString &name, const QString &text) { element(name).text = text; }
    QString text(const QString &name) const;
    void setVisible(const QString &name, bool visible) { element(name).visible = visible; }

    void setRecord(FieldSource record) { m_record = std::move(record); }
    const FieldSource &record() const { return m_record; }
    void setDetailData(const DataTable *data) { m_detail = data; }
    const DataTable *detailData() const { return m_detail; }

private:
    QString m_name;
    QList<Band> m_bands;
    FieldSource m_record;
    const DataTable *m_detail = nullptr;
};

// A laid-out page: what is drawn and where, in millimetres on the paper.
struct DrawItem
{
    enum Type { Text, Line, Box } type = Text;
    QRectF mm;
    QString text;
    TextStyle style;
    double penMm = 0.25;
    QString name;  // the element it came from
};

struct Page
{
    QList<DrawItem> items;
    // The texts of the page in drawing order (for tests and checks).
    QStringList texts() const;
    // The text printed by the element of that name; empty when absent.
    QString textOf(const QString &elementName) const;
    bool has(const QString &elementName) const;
};

struct Document
{
    QString title;
    // What the desktop calls the print job and offers as the PDF file's
    // name; the title when empty.
    QString jobName;
    QSizeF paperMm{210, 297};
    QList<Page> pages;
    int pageCount() const { return int(pages.size()); }
};

// Lays the report out into pages. Detail rows that do not fit move to a new
// page (with the column header again); a summary that does not fit after
// the last row moves to a page of its own. A report without detail rows is
// one page. Print hooks run here, once per printed field.
Document paginate(const Report &report);

} // namespace report
