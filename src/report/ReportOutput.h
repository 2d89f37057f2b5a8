#pragma once
// Drawing laid-out report pages (see Report.h) and sending them somewhere:
// the screen preview, a printer, a PDF file.

#include "Report.h"

#include "errors/UserError.h"

#include <QRect>
#include <QString>

class QPainter;
class QPrinter;
class QWidget;

namespace report {

// An output that cannot be made (no printer, a file that cannot be
// written); the text is for the user.
class ReportError : public UserError
{
public:
    using UserError::UserError;
};

// The width in millimetres a text takes on one line at its style's own
// size, as the printed form sets it.
double textWidthMm(const QString &text, const TextStyle &style);
// The size at which an item's text is printed: its style's own, or smaller
// where the style lets it shrink to fit its box.
double printedPointSize(const DrawItem &item);

// Draws one page (index from 0) on a painter whose device is the whole
// sheet of paper: millimetres are scaled to the device's width.
void drawPage(QPainter &painter, const Document &doc, int index);

// Draws pages first..last (counted from 1, clamped to the document) on an
// active painter of a printer or PDF writer, one sheet per page.
void drawPages(QPainter &painter, QPrinter &printer, const Document &doc, int first, int last);

// Writes every page of the documents, in order, into one PDF file.
// Throws ReportError when the file cannot be written.
void writePdf(const QList<const Document *> &docs, const QString &path);
inline void writePdf(const Document &doc, const QString &path) { writePdf({&doc}, path); }

// Where the print window sends finished documents. The program uses
// PrinterOutput; tests put a recorder in its place.
class Output
{
public:
    virtual ~Output() = default;
    // Shows the pages on screen; the preview's own print button offers the
    // printers and printing to a PDF file.
    virtual void preview(const Document &doc) = 0;
    // One print job of pages first..last (counted from 1). Throws
    // ReportError when no printer can take it.
    virtual void print(const Document &doc, int firstPage, int lastPage) = 0;
};

// Where the preview window goes on a screen whose free area is
// `available`: as large as a page wants, within that area (frame and title
// bar included).
QRect previewGeometry(const QRect &available);

// Preview in a print-preview dialog; print on the system's default printer
// without a dialog.
class PrinterOutput : public Output
{
public:
    explicit PrinterOutput(QWidget *dialogParent = nullptr);
    void preview(const Document &doc) override;
    void print(const Document &doc, int firstPage, int lastPage) override;

private:
    QWidget *m_parent;
};

} // namespace report
