#pragma once
// Records to print and a print window over them, with a recorder in place of
// the printer and the preview: each preview and print job is kept with its
// pages' texts.

#include "PagesFixture.h"
#include "printing/PrintPreparation.h"
#include "printing/PrintUnit.h"
#include "report/ReportOutput.h"

#include <QComboBox>
#include <QProcess>
#include <QTest>
#include <QTemporaryDir>

struct OutputJob
{
    QString kind;  // "preview" or "print"
    QString page;  // report class
    int first = 0;
    int last = 0;
    QList<QStringList> texts;  // per page sent
};

class RecordingOutput : public report::Output
{
public:
    explicit RecordingOutput(QList<OutputJob> *jobs) : m_jobs(jobs) {}
    QString failWith;  // a print that fails with this text, when set

    void preview(const report::Document &doc) override { record(u"preview"_s, doc, 1, doc.pageCount()); }
    void print(const report::Document &doc, int first, int last) override
    {
        if (!failWith.isEmpty())
            throw report::ReportError(failWith);
        record(u"print"_s, doc, first, last);
    }

private:
    void record(const QString &kind, const report::Document &doc, int first, int last)
    {
        OutputJob job{kind, doc.title, first, last, {}};
        for (int i = first; i <= last && i <= doc.pageCount(); ++i)
            job.texts << doc.pages[i - 1].texts();
        m_jobs->append(job);
    }
    QList<OutputJob> *m_jobs;
};

// n persons of a record, serials 1..n stored in reverse order, with a work
// unit and contribution long enough to be broken.
inline void addPersons(Database *db, const QString &item4, int n, const QString &region = u"."_s)
{
    for (int i = n; i >= 1; --i) {
        appendRow(db, u"cgwcr.DBF"_s,
                  {{u"ITEM_4"_s, item4}, {u"ITEM_DQDM"_s, region}, {u"ITEM_187"_s, QString::number(i)},
                   {u"ITEM_180"_s, u"人员%1"_s.arg(i)}, {u"ITEM_181"_s, i % 2 ? u"0"_s : u"1"_s},
                   {u"ITEM_183"_s, u"2"_s}, {u"ITEM_184"_s, u"3"_s}, {u"ITEM_188"_s, u"0"_s},
                   {u"ITEM_182"_s, u"1970.01"_s},
                   {u"ITEM_185"_s, u"中国科学院某某研究所第%1研究室"_s.arg(i)},
                   {u"ITEM_186"_s, u"负责总体方案设计与关键技术攻关，完成样机研制及试验验证工作。"_s}});
    }
}

inline void setFields(Database *db, const QString &item4, const FieldValues &values)
{
    Table table(db, u"kjcg.DBF"_s);
    table.open();
    QVERIFY(table.locate(u"ITEM_4"_s, item4));
    table.edit();
    for (const auto &[field, value] : values)
        table.setString(field, value);
    table.post();
}

// The text pdftotext reads from a PDF ("" when it cannot run).
inline QString pdfText(const QString &pdfPath)
{
    QProcess p;
    p.start(u"pdftotext"_s, {u"-layout"_s, pdfPath, u"-"_s});
    if (!p.waitForFinished(60000) || p.exitCode() != 0)
        return {};
    return QString::fromUtf8(p.readAllStandardOutput());
}

class PrintFixture : public PagesFixture
{
public:
    void openPrint()
    {
        open();
        m_print = add(new TPrintForm(main()));
        auto output = std::make_unique<RecordingOutput>(&jobs);
        m_output = output.get();
        m_print->setOutput(std::move(output));
        jobs.clear();
    }
    void stop() override
    {
        m_print = nullptr;
        PagesFixture::stop();
    }
    TPrintForm *print() const { return m_print; }
    RecordingOutput *output() const { return m_output; }

    // The main list on the category of the record and the record current.
    void selectRecord(const QString &item4, int categoryIndex)
    {
        showList();
        if (categoryIndex != 0) {
            main()->ComboBox1->setCurrentIndex(categoryIndex);
            main()->ComboBox1Change();
        }
        QVERIFY(list().locate(u"ITEM_4"_s, item4));
    }

    // The record current in the main list, prepared as "打印" does; true
    // when the print window would open.
    bool prepare(const QString &item4, int categoryIndex)
    {
        selectRecord(item4, categoryIndex);
        const auto complete = [this] {
            main()->MarkIncompletePages();
            return main()->CheckPagesDone();
        };
        return PrintPreparation::prepare(*dm(), complete, main());
    }

    QList<OutputJob> jobs;

private:
    TPrintForm *m_print = nullptr;
    RecordingOutput *m_output = nullptr;
};
