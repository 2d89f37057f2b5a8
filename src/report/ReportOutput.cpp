#include "ReportOutput.h"

#include <QFile>
#include <QFont>
#include <QFontMetricsF>
#include <QGuiApplication>
#include <QImage>
#include <QScreen>
#include <QWidget>
#include <QPageLayout>
#include <QPageSize>
#include <QPainter>
#include <QPdfWriter>
#include <QPen>
#include <QPrintPreviewDialog>
#include <QPrinter>
#include <QPrinterInfo>

namespace report {

namespace {

const char *const SongFace = "宋体";
// The Song face of the printed form where the desktop tells one apart (our
// fontconfig alias): its PDF text maps back to the characters printed.
const char *const PrintSongFace = "Dravik Print Song";
// A text is never drawn smaller than this while it is shrunk to fit.
constexpr double SmallestPointSize = 5.0;
constexpr double MeasuringDpi = 300;

QFont fontFor(const TextStyle &style, double pointSize)
{
    QFont font;
    font.setFamilies({QString::fromUtf8(PrintSongFace), QString::fromUtf8(SongFace)});
    font.setStyleHint(QFont::Serif);
    font.setPointSizeF(pointSize);
    font.setBold(style.bold);
    return font;
}

int textFlags(const TextStyle &style)
{
    return int(style.align) | (style.wrap ? int(Qt::TextWordWrap) : 0);
}

// The largest size up to the style's own at which the text fits its box.
double fittingPointSize(const TextStyle &style, const QString &text, const QRectF &box,
                        QPaintDevice *device)
{
    double size = style.pointSize;
    if (!style.shrink)
        return size;
    const int flags = textFlags(style);
    while (size > SmallestPointSize) {
        const QFontMetricsF metrics(fontFor(style, size), device);
        const QRectF need = metrics.boundingRect(box, flags, text);
        if (need.height() <= box.height() + 0.5 && need.width() <= box.width() + 0.5)
            break;
        size -= 0.5;
    }
    return size;
}

void drawItem(QPainter &painter, const DrawItem &item, double scale)
{
    const QRectF box(item.mm.left() * scale, item.mm.top() * scale, item.mm.width() * scale,
                     item.mm.height() * scale);
    switch (item.type) {
    case DrawItem::Line:
    case DrawItem::Box: {
        QPen pen(Qt::black);
        pen.setWidthF(item.penMm * scale);
        painter.setPen(pen);
        painter.setBrush(Qt::NoBrush);
        if (item.type == DrawItem::Line)
            painter.drawLine(box.topLeft(), box.bottomRight());
        else
            painter.drawRect(box);
        break;
    }
    case DrawItem::Text: {
        if (item.text.isEmpty())
            return;
        QPaintDevice *device = painter.device();
        const double size = fittingPointSize(item.style, item.text, box, device);
        painter.setFont(fontFor(item.style, size));
        painter.setPen(Qt::black);
        painter.drawText(box, textFlags(item.style), item.text);
        break;
    }
    }
}

QPageLayout a4Layout()
{
    return QPageLayout(QPageSize(QPageSize::A4), QPageLayout::Portrait, QMarginsF(0, 0, 0, 0),
                       QPageLayout::Millimeter);
}

void preparePrinter(QPrinter &printer)
{
    printer.setFullPage(true);
    printer.setPageLayout(a4Layout());
}

// A device of the printers' resolution on which texts are measured
// without drawing them.
QPaintDevice *measuringDevice()
{
    static QImage device = [] {
        QImage image(1, 1, QImage::Format_Mono);
        const int dotsPerMetre = int(MeasuringDpi / 0.0254 + 0.5);
        image.setDotsPerMeterX(dotsPerMetre);
        image.setDotsPerMeterY(dotsPerMetre);
        return image;
    }();
    return &device;
}

double pixelsPerMm()
{
    return MeasuringDpi / 25.4;
}

} // namespace

double textWidthMm(const QString &text, const TextStyle &style)
{
    const QFontMetricsF metrics(fontFor(style, style.pointSize), measuringDevice());
    return metrics.horizontalAdvance(text) / pixelsPerMm();
}

double printedPointSize(const DrawItem &item)
{
    const double scale = pixelsPerMm();
    const QRectF box(item.mm.left() * scale, item.mm.top() * scale, item.mm.width() * scale,
                     item.mm.height() * scale);
    return fittingPointSize(item.style, item.text, box, measuringDevice());
}

void drawPage(QPainter &painter, const Document &doc, int index)
{
    if (index < 0 || index >= doc.pages.size())
        return;
    const double scale = painter.device()->width() / doc.paperMm.width();
    painter.save();
    painter.setRenderHint(QPainter::Antialiasing, true);
    for (const DrawItem &item : doc.pages[index].items)
        drawItem(painter, item, scale);
    painter.restore();
}

void drawPages(QPainter &painter, QPrinter &printer, const Document &doc, int first, int last)
{
    first = std::max(first, 1);
    last = std::min(last, doc.pageCount());
    for (int page = first; page <= last; ++page) {
        if (page > first)
            printer.newPage();
        drawPage(painter, doc, page - 1);
    }
}

void writePdf(const QList<const Document *> &docs, const QString &path)
{
    QPdfWriter writer(path);
    writer.setResolution(300);
    writer.setPageLayout(a4Layout());
    writer.setCreator(QStringLiteral("Dravik"));
    QPainter painter;
    if (!painter.begin(&writer))
        throw ReportError(QStringLiteral("无法写入文件“%1”。").arg(path));
    bool firstSheet = true;
    for (const Document *doc : docs) {
        for (int i = 0; i < doc->pageCount(); ++i) {
            if (!firstSheet)
                writer.newPage();
            firstSheet = false;
            drawPage(painter, *doc, i);
        }
    }
    if (!painter.end())
        throw ReportError(QStringLiteral("无法写入文件“%1”。").arg(path));
}

QRect previewGeometry(const QRect &available)
{
    // Room for the window's frame and title bar, which the geometry leaves out.
    constexpr int Frame = 8;
    constexpr int TitleBar = 32;
    const int width = std::min(900, available.width() - 2 * Frame);
    const int height = std::min(1000, available.height() - TitleBar - 2 * Frame);
    QRect geometry(0, 0, width, height);
    geometry.moveCenter(available.center());
    geometry.moveTop(std::max(geometry.top(), available.top() + TitleBar + Frame));
    return geometry;
}

PrinterOutput::PrinterOutput(QWidget *dialogParent)
    : m_parent(dialogParent)
{
}

void PrinterOutput::preview(const Document &doc)
{
    QPrinter printer(QPrinter::HighResolution);
    preparePrinter(printer);
    printer.setDocName(doc.jobName.isEmpty() ? doc.title : doc.jobName);
    QPrintPreviewDialog dialog(&printer, m_parent);
    dialog.setWindowTitle(QStringLiteral("打印预览"));
    QObject::connect(&dialog, &QPrintPreviewDialog::paintRequested, &dialog,
                     [&doc](QPrinter *target) {
                         QPainter painter(target);
                         int first = 1;
                         int last = doc.pageCount();
                         if (target->printRange() == QPrinter::PageRange) {
                             first = target->fromPage();
                             last = target->toPage();
                         }
                         drawPages(painter, *target, doc, first, last);
                     });
    QScreen *screen = m_parent ? m_parent->screen() : QGuiApplication::primaryScreen();
    if (screen)
        dialog.setGeometry(previewGeometry(screen->availableGeometry()));
    dialog.exec();
}

void PrinterOutput::print(const Document &doc, int firstPage, int lastPage)
{
    const QPrinterInfo info = QPrinterInfo::defaultPrinter();
    if (info.isNull())
        throw ReportError(QStringLiteral(
            "没有找到可用的打印机，无法直接打印。\n请先安装打印机；也可以在“自定义打印”的预览中打印到PDF文件。"));
    QPrinter printer(info, QPrinter::HighResolution);
    preparePrinter(printer);
    printer.setDocName(doc.jobName.isEmpty() ? doc.title : doc.jobName);
    QPainter painter;
    if (!printer.isValid() || !painter.begin(&printer))
        throw ReportError(QStringLiteral("打印机“%1”无法打开，没有打印。").arg(info.printerName()));
    drawPages(painter, printer, doc, firstPage, lastPage);
    if (!painter.end())
        throw ReportError(QStringLiteral("打印机“%1”没有完成打印。").arg(info.printerName()));
}

} // namespace report
