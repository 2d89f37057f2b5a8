#include "Report.h"

#include <stdexcept>

namespace report {

DataTable::DataTable(QStringList fields)
    : m_fields(std::move(fields))
{
}

void DataTable::clear()
{
    m_rows.clear();
}

void DataTable::appendRow(const QHash<QString, QString> &values)
{
    QStringList row;
    row.reserve(m_fields.size());
    for (const QString &field : m_fields)
        row << values.value(field);
    m_rows << row;
}

QString DataTable::value(int row, const QString &field) const
{
    const int column = int(m_fields.indexOf(field));
    if (row < 0 || row >= m_rows.size() || column < 0)
        return {};
    return m_rows[row][column];
}

Report::Report(QString name)
    : m_name(std::move(name))
{
}

Band &Report::band(BandKind kind)
{
    for (Band &b : m_bands) {
        if (b.kind == kind)
            return b;
    }
    m_bands.append(Band{kind, 0, {}});
    return m_bands.last();
}

const Band *Report::findBand(BandKind kind) const
{
    for (const Band &b : m_bands) {
        if (b.kind == kind)
            return &b;
    }
    return nullptr;
}

Element &Report::add(BandKind kind, Element element)
{
    Band &b = band(kind);
    b.elements.append(std::move(element));
    return b.elements.last();
}

QList<Element *> Report::elements()
{
    QList<Element *> all;
    for (Band &b : m_bands) {
        for (Element &e : b.elements)
            all << &e;
    }
    return all;
}

Element *Report::find(const QString &name)
{
    for (Band &b : m_bands) {
        for (Element &e : b.elements) {
            if (e.name == name)
                return &e;
        }
    }
    return nullptr;
}

const Element *Report::find(const QString &name) const
{
    return const_cast<Report *>(this)->find(name);
}

Element &Report::element(const QString &name)
{
    Element *e = find(name);
    if (!e)
        throw std::logic_error("report " + m_name.toStdString() + " has no element "
                               + name.toStdString());
    return *e;
}

QString Report::text(const QString &name) const
{
    const Element *e = find(name);
    return e ? e->text : QString();
}

QStringList Page::texts() const
{
    QStringList list;
    for (const DrawItem &item : items) {
        if (item.type == DrawItem::Text)
            list << item.text;
    }
    return list;
}

QString Page::textOf(const QString &elementName) const
{
    for (const DrawItem &item : items) {
        if (item.type == DrawItem::Text && item.name == elementName)
            return item.text;
    }
    return {};
}

bool Page::has(const QString &elementName) const
{
    for (const DrawItem &item : items) {
        if (item.name == elementName)
            return true;
    }
    return false;
}

namespace {

// Lays out the pages one band at a time, starting a new page when a band
// does not fit above the footer.
class Paginator
{
public:
    explicit Paginator(const Report &report)
        : m_report(report)
    {
        const QSizeF paper = report.paperMm();
        m_top = report.marginsMm.top();
        const Band *footer = report.findBand(BandKind::PageFooter);
        m_footerTop = paper.height() - report.marginsMm.bottom() - (footer ? footer->heightMm : 0);
        m_left = report.marginsMm.left();
    }

    Document run()
    {
        Document doc;
        doc.title = m_report.name();
        doc.paperMm = m_report.paperMm();
        m_doc = &doc;
        newPage();
        if (const Band *title = m_report.findBand(BandKind::Title))
            place(*title, -1);
        placeColumnHeader();
        placeDetailRows();
        if (const Band *summary = m_report.findBand(BandKind::Summary)) {
            if (!fits(*summary))
                newPage();
            place(*summary, -1);
        }
        placeFooters();
        return doc;
    }

private:
    void newPage()
    {
        m_doc->pages.append(Page{});
        m_y = m_top;
    }

    bool fits(const Band &band) const { return m_y + band.heightMm <= m_footerTop + 0.001; }

    void placeColumnHeader()
    {
        if (const Band *header = m_report.findBand(BandKind::ColumnHeader))
            place(*header, -1);
    }

    void placeDetailRows()
    {
        const Band *detail = m_report.findBand(BandKind::Detail);
        const DataTable *data = m_report.detailData();
        if (!detail || !data)
            return;
        for (int row = 0; row < data->rowCount(); ++row) {
            if (!fits(*detail)) {
                newPage();
                placeColumnHeader();
            }
            place(*detail, row);
        }
    }

    void placeFooters()
    {
        const Band *footer = m_report.findBand(BandKind::PageFooter);
        if (!footer)
            return;
        for (int i = 0; i < m_doc->pages.size(); ++i) {
            m_pageNumber = i + 1;
            placeOn(m_doc->pages[i], *footer, -1, m_footerTop);
        }
    }

    void place(const Band &band, int row)
    {
        m_pageNumber = int(m_doc->pages.size());
        placeOn(m_doc->pages.last(), band, row, m_y);
        m_y += band.heightMm;
    }

    void placeOn(Page &page, const Band &band, int row, double top)
    {
        for (const Element &e : band.elements) {
            if (!e.visible)
                continue;
            DrawItem item;
            item.name = e.name;
            item.mm = e.mm.translated(m_left, top);
            item.style = e.style;
            item.penMm = e.penMm;
            switch (e.kind) {
            case Kind::Line:
                item.type = DrawItem::Line;
                break;
            case Kind::Box:
                item.type = DrawItem::Box;
                break;
            case Kind::Label:
            case Kind::Memo:
                item.text = e.text;
                break;
            case Kind::Counter:
                item.text = e.text + QString::number(m_pageNumber);
                break;
            case Kind::Field:
                item.text = fieldText(e, row);
                break;
            }
            page.items.append(item);
        }
    }

    QString fieldText(const Element &e, int row) const
    {
        QString text;
        if (row >= 0)
            text = m_report.detailData()->value(row, e.field);
        else if (m_report.record())
            text = m_report.record()(e.field);
        if (e.onPrint)
            e.onPrint(text);
        return text;
    }

    const Report &m_report;
    Document *m_doc = nullptr;
    double m_top = 0;
    double m_left = 0;
    double m_footerTop = 0;
    double m_y = 0;
    int m_pageNumber = 1;
};

} // namespace

Document paginate(const Report &report)
{
    return Paginator(report).run();
}

} // namespace report
