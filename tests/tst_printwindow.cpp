// "打印" of the main window and the print window: what the preparation
// stores and reads again, the panels and buttons of each category, the
// footers of preview and direct print, and the print jobs sent.

#include "printing/PrintPreparation.h"
#include "support/FileSizeLimit.h"
#include "support/PrintFixture.h"

#include <QFileInfo>
#include <QScreen>
#include <QTimer>
#include <QtTest>

namespace {

const QString Applied = u"2006000001"_s;
const QString Theory = u"2006000002"_s;
const QString Basic = u"2006000003"_s;

void addPatent(Database *db, const QString &item4, const QString &status, const QString &type)
{
    appendRow(db, u"zlqk.dbf"_s,
              {{u"ITEM_4"_s, item4}, {u"ITEM_DQDM"_s, u"."_s}, {u"PATENT_ST"_s, status},
               {u"PATENT_TY"_s, type}, {u"PATENT_NO"_s, u"ZL"_s + status + type}});
}

QStringList visibleNames(QWidget *panel, const QStringList &names)
{
    QStringList shown;
    for (const QString &name : names) {
        auto *w = panel->findChild<QWidget *>(name);
        if (w && !w->isHidden())
            shown << name;
    }
    return shown;
}

} // namespace

class TestPrintWindow : public QObject
{
    Q_OBJECT

    PrintFixture f;
    BoxLog m_log;

    bool prepare(const QString &item4)
    {
        return f.prepare(item4, item4 == Applied ? 0 : item4 == Theory ? 1 : 2);
    }

    QString stored(const QString &item4, const QString &field)
    {
        Table table(f.db(), u"kjcg.DBF"_s);
        table.open();
        table.locate(u"ITEM_4"_s, item4);
        return table.asString(field);
    }

    int visiblePanel() const
    {
        const QList<QWidget *> panels = {f.print()->Panel1, f.print()->Panel2, f.print()->Panel3,
                                         f.print()->Panel4, f.print()->Panel5};
        for (int i = 0; i < panels.size(); ++i) {
            if (!panels[i]->isHidden())
                return i + 1;
        }
        return 0;
    }

    void click(const QString &name)
    {
        auto *b = f.print()->findChild<QPushButton *>(name);
        QVERIFY2(b, qPrintable(name));
        b->click();
    }

private slots:
    void initTestCase() { f.buildOnce(); }
    void init()
    {
        m_log.clear();
        f.openPrint();
        addComplete(f.db(), Applied, u"1"_s, u"应用成果"_s);
        addComplete(f.db(), Basic, u"3"_s, u"基础理论成果"_s);
        addComplete(f.db(), Theory, u"2"_s, u"软科学成果"_s);  // stored last
    }
    void cleanup() { f.stop(); }

    // ITEM_51 gets its ";" and is stored even when the record then turns
    // out incomplete; an incomplete record stops without a word.
    void intellectualPropertyForms_data()
    {
        QTest::addColumn<QString>("item51");
        QTest::addColumn<bool>("complete");
        QTest::addColumn<QString>("stored");
        QTest::newRow("one code") << u"1"_s << true << u"1;"_s;
        QTest::newRow("already with ;") << u"1;3;"_s << true << u"1;3;"_s;
        QTest::newRow("incomplete record") << u"9"_s << false << u"9;"_s;
        QTest::newRow("empty") << QString() << true << QString();
    }
    void intellectualPropertyForms()
    {
        QFETCH(QString, item51);
        QFETCH(bool, complete);
        if (!item51.isEmpty())
            setFields(f.db(), Applied, {{u"ITEM_51"_s, item51}});
        if (!complete)
            setFields(f.db(), Applied, {{u"ITEM_9"_s, QString()}});
        QCOMPARE(prepare(Applied), complete);
        QTEST(stored(Applied, u"ITEM_51"_s), "stored");
        QVERIFY(m_log.boxes.isEmpty());
    }

    void patentFields_data()
    {
        QTest::addColumn<QStringList>("patents");  // status+type of each row
        QTest::addColumn<QString>("status");
        QTest::addColumn<QString>("types");
        QTest::newRow("applied and granted") << QStringList{u"11"_s, u"22"_s} << u"3"_s << u"1;2;"_s;
        QTest::newRow("applied only") << QStringList{u"13"_s, u"11"_s} << u"2"_s << u"1;3;"_s;
        QTest::newRow("neither") << QStringList{u"92"_s} << u"1"_s << u"2;"_s;
        QTest::newRow("no patents") << QStringList() << QString() << QString();
    }
    void patentFields()
    {
        QFETCH(QStringList, patents);
        for (const QString &p : patents)
            addPatent(f.db(), Applied, p.left(1), p.mid(1));
        QVERIFY(prepare(Applied));
        QTEST(stored(Applied, u"ITEM_51_1"_s), "status");
        QTEST(stored(Applied, u"patent_ty"_s), "types");
        QCOMPARE(f.dm()->tblzlqk->recordCount(), patents.size());
    }

    // What is stored stays; what is empty is derived. A record that came in
    // by import has its status (exchanged) but no types (not exchanged).
    void patentFieldsPartlyStored_data()
    {
        QTest::addColumn<QString>("status");
        QTest::addColumn<QString>("types");
        QTest::addColumn<QString>("storedStatus");
        QTest::addColumn<QString>("storedTypes");
        QTest::newRow("imported: status, no types") << u"3"_s << QString() << u"3"_s << u"1;3;"_s;
        QTest::newRow("types, no status") << QString() << u"2;"_s << u"3"_s << u"2;"_s;
        QTest::newRow("both stored") << u"1"_s << u"2;"_s << u"1"_s << u"2;"_s;
    }
    void patentFieldsPartlyStored()
    {
        QFETCH(QString, status);
        QFETCH(QString, types);
        setFields(f.db(), Applied, {{u"ITEM_51_1"_s, status}, {u"patent_ty"_s, types}});
        addPatent(f.db(), Applied, u"2"_s, u"1"_s);
        addPatent(f.db(), Applied, u"1"_s, u"3"_s);
        QVERIFY(prepare(Applied));
        QTEST(stored(Applied, u"ITEM_51_1"_s), "storedStatus");
        QTEST(stored(Applied, u"patent_ty"_s), "storedTypes");
        // The page ticks the stored types.
        QFETCH(QString, storedTypes);
        const report::Document doc = f.print()->previewDocument(u"TyyPrint05"_s);
        for (const QString &type : {u"1"_s, u"2"_s, u"3"_s})
            QCOMPARE(doc.pages[0].textOf(u"QL_patent_ty_"_s + type) == u"√"_s,
                     storedTypes.contains(type + u';'));
    }

    // Storing the derived patent fields fails: the error is shown, the
    // print window does not open.
    void patentFieldsThatCannotBeStored()
    {
        if (!FileSizeLimit::supported())
            QSKIP("no file size limit on this system");
        // The record stored last: its patent fields lie at the end of the file.
        addPatent(f.db(), Theory, u"1"_s, u"1"_s);
        const qint64 end = QFileInfo(f.db()->resolvePath(u"kjcg.DBF"_s)).size();
        f.selectRecord(Theory, 1);
        bool opened = true;
        {
            FileSizeLimit limit(end - 3);
            QVERIFY(limit.active());
            const auto complete = [this] {
                f.main()->MarkIncompletePages();
                return f.main()->CheckPagesDone();
            };
            opened = PrintPreparation::prepare(*f.dm(), complete, f.main());
        }
        QVERIFY(!opened);
        QCOMPARE(m_log.boxes.size(), 1);
        QCOMPARE(m_log.lastCaption(), u"提示"_s);
        QCOMPARE(f.dm()->Qrykjcg->state(), DataSet::Browse);
    }

    void childListsInSerialOrder()
    {
        addPersons(f.db(), Applied, 3);
        QVERIFY(prepare(Applied));
        QStringList serials;
        Query &persons = *f.dm()->QryCgwcr;
        for (persons.first(); !persons.eof(); persons.next())
            serials << persons.asString(u"ITEM_187"_s);
        // The person of addComplete has no serial and sorts first.
        QCOMPARE(serials, (QStringList{QString(), u"1"_s, u"2"_s, u"3"_s}));
    }

    void panelsByCategory_data()
    {
        QTest::addColumn<QString>("record");
        QTest::addColumn<QStringList>("wordButtons");
        QTest::addColumn<int>("directPanel");
        QTest::addColumn<int>("previewPanel");
        QTest::newRow("applied") << Applied
                                 << QStringList{u"YY_Button"_s, u"YY_SButton"_s, u"Button5"_s, u"Button6"_s}
                                 << 3 << 2;
        QTest::newRow("theory") << Theory
                                << QStringList{u"RJ_Button"_s, u"RJ_SButton"_s, u"Button5"_s, u"Button6"_s}
                                << 4 << 1;
        QTest::newRow("basic theory")
            << Basic << QStringList{u"RJ_Button"_s, u"RJ_SButton"_s, u"Button5"_s, u"Button6"_s} << 4 << 1;
    }
    void panelsByCategory()
    {
        QFETCH(QString, record);
        QFETCH(int, directPanel);
        QFETCH(int, previewPanel);
        QVERIFY(prepare(record));
        f.print()->FormShow();
        QCOMPARE(visiblePanel(), 5);
        const QStringList word = {u"YY_Button"_s, u"RJ_Button"_s, u"YY_SButton"_s,
                                  u"RJ_SButton"_s, u"Button5"_s, u"Button6"_s};
        QTEST(visibleNames(f.print()->Panel5, word), "wordButtons");
        click(u"Button4"_s);
        QCOMPARE(visiblePanel(), directPanel);
        click(directPanel == 3 ? u"zBitBtn3"_s : u"zBitBtn1"_s);
        QCOMPARE(visiblePanel(), 5);
        click(u"Button7"_s);
        QCOMPARE(visiblePanel(), previewPanel);
        // "返回" of a preview panel shows its own registration-form button;
        // the "(正文)" buttons keep what FormShow gave them.
        click(previewPanel == 2 ? u"Button1"_s : u"Button2"_s);
        QCOMPARE(visiblePanel(), 5);
        QCOMPARE(!f.print()->YY_Button->isHidden(), previewPanel == 2);
        QCOMPARE(!f.print()->RJ_Button->isHidden(), previewPanel == 1);
        QCOMPARE(!f.print()->YY_SButton->isHidden(), record == Applied);
    }

    // Every page button of the four panels, pressed as a user reaches it,
    // sends its own page with its own footer.
    void everyPageButton_data()
    {
        QTest::addColumn<QString>("record");
        QTest::addColumn<QString>("panelButton");  // on the start page
        QTest::addColumn<QString>("button");
        QTest::addColumn<QString>("caption");
        QTest::addColumn<QString>("kind");
        QTest::addColumn<QString>("page");
        QTest::addColumn<QString>("footer");  // empty: left as it is
        const auto rows = [](const QString &record, const QString &panelButton, const QString &kind,
                             const QList<QStringList> &buttons) {
            for (const QStringList &b : buttons)
                QTest::addRow("%s %s", qPrintable(b[0]), qPrintable(b[2]))
                    << record << panelButton << b[0] << b[1] << kind << b[2] << b.value(3);
        };
        rows(Applied, u"Button7"_s, u"preview"_s,
             {{u"BitBtn28"_s, u"封面1"_s, u"Tyyfm1"_s}, {u"BitBtn31"_s, u"封面2"_s, u"Tyyfm2"_s},
              {u"BitBtn32"_s, u"1"_s, u"TyyPrint01"_s}, {u"BitBtn29"_s, u"2"_s, u"TyyPrint02"_s},
              {u"BitBtn30"_s, u"3"_s, u"TyyPrint03"_s, u"3"_s}, {u"BitBtn33"_s, u"4"_s, u"TyyPrint04"_s},
              {u"BitBtn34"_s, u"5"_s, u"TyyPrint05"_s, u"5"_s}, {u"BitBtn35"_s, u"6"_s, u"TyyPrint06"_s},
              {u"BitBtn36"_s, u"7"_s, u"TyyPrint07"_s, u"7"_s},
              {u"BitBtn37"_s, u"8"_s, u"TyyPrint08"_s, u"8"_s},
              {u"BitBtn38"_s, u"9"_s, u"TyyPrint09"_s, u"9"_s},
              {u"BitBtn40"_s, u"10"_s, u"TyyPrint10"_s, u"10"_s},
              {u"BitBtn39"_s, u"11"_s, u"TyyPrint11"_s, u"11"_s},
              {u"BitBtn41"_s, u"12"_s, u"TyyPrint12"_s}, {u"BitBtn1"_s, u"13"_s, u"TyyPrint14"_s}});
        rows(Theory, u"Button7"_s, u"preview"_s,
             {{u"BitBtn15"_s, u"封面1"_s, u"Trjfm1"_s}, {u"BitBtn18"_s, u"封面2"_s, u"Trjfm2"_s},
              {u"BitBtn19"_s, u"1"_s, u"TrjPrint01"_s}, {u"BitBtn16"_s, u"2"_s, u"TrjPrint02"_s},
              {u"BitBtn17"_s, u"3"_s, u"TrjPrint03"_s, u"3"_s}, {u"BitBtn20"_s, u"4"_s, u"TrjPrint04"_s},
              {u"BitBtn21"_s, u"5"_s, u"TrjPrint05"_s, u"5"_s},
              {u"BitBtn22"_s, u"6"_s, u"TrjPrint06"_s, u"6"_s},
              {u"BitBtn23"_s, u"7"_s, u"TrjPrint07"_s, u"7"_s},
              {u"BitBtn24"_s, u"8"_s, u"TrjPrint08"_s, u"8"_s},
              {u"BitBtn25"_s, u"9"_s, u"TrjPrint09"_s, u"9"_s},
              {u"BitBtn27"_s, u"10"_s, u"TrjPrint10"_s}, {u"BitBtn26"_s, u"11"_s, u"TrjPrint11"_s}});
        rows(Applied, u"Button4"_s, u"print"_s,
             {{u"zBitBtn5"_s, u"封面"_s, u"Tyyfm1"_s},
              {u"zBitBtn6"_s, u"成果概况，立项情况"_s, u"TyyPrint03"_s, u"1"_s},
              {u"zBitBtn7"_s, u"评价情况，知识产权状况，成果应用情况"_s, u"TyyPrint05"_s, u"2"_s},
              {u"zBitBtn8"_s, u"成果完成单位情况"_s, u"TyyPrint07"_s, u"3"_s},
              {u"zBitBtn9"_s, u"批准登记单位意见"_s, u"TyyPrint08"_s, u"4"_s},
              {u"zBitBtn10"_s, u"成果简介"_s, u"TyyPrint09"_s, u"5"_s},
              {u"zBitBtn2"_s, u"成果完成人员名单"_s, u"TyyPrint10"_s, u"6"_s},
              {u"zBitBtn11"_s, u"评价委员会名单"_s, u"TyyPrint11"_s, u"7"_s}});
        rows(Theory, u"Button4"_s, u"print"_s,
             {{u"zBitBtn13"_s, u"封面"_s, u"Trjfm1"_s},
              {u"zBitBtn14"_s, u"成果概况，立项情况"_s, u"TrjPrint03"_s, u"1"_s},
              {u"zBitBtn42"_s, u"评价情况，成果完成单位情况"_s, u"TrjPrint05"_s, u"2"_s},
              {u"zBitBtn43"_s, u"批准登记单位意见"_s, u"TrjPrint06"_s, u"3"_s},
              {u"zBitBtn44"_s, u"成果简介"_s, u"TrjPrint07"_s, u"4"_s},
              {u"zBitBtn45"_s, u"成果完成人员名单"_s, u"TrjPrint08"_s, u"5"_s},
              {u"zBitBtn46"_s, u"评价委员会名单"_s, u"TrjPrint09"_s, u"6"_s}});
    }
    void everyPageButton()
    {
        QFETCH(QString, record);
        QFETCH(QString, panelButton);
        QFETCH(QString, button);
        QVERIFY(prepare(record));
        f.print()->FormShow();
        click(panelButton);
        auto *b = f.print()->findChild<QPushButton *>(button);
        QVERIFY(b && b->isVisibleTo(f.print()));
        QTEST(b->text(), "caption");
        b->click();
        QVERIFY(m_log.boxes.isEmpty());
        QCOMPARE(f.jobs.size(), 1);
        QTEST(f.jobs[0].kind, "kind");
        QTEST(f.jobs[0].page, "page");
        QFETCH(QString, footer);
        if (!footer.isEmpty())
            QCOMPARE(f.jobs[0].texts[0].last(), footer);
    }

    // On every panel the buttons keep apart and inside the window; the
    // start page's content reaches down its lower half.
    void panelsLaidOut()
    {
        QVERIFY(prepare(Applied));
        TPrintForm *w = f.print();
        w->show();
        QVERIFY(QTest::qWaitForWindowExposed(w));
        const QList<QWidget *> panels = {w->Panel1, w->Panel2, w->Panel3, w->Panel4, w->Panel5};
        for (QWidget *panel : panels) {
            w->ShowPanel(int(panels.indexOf(panel)) + 1);
            QCoreApplication::processEvents();
            QList<QRect> shown;
            for (QPushButton *b : panel->findChildren<QPushButton *>()) {
                if (b->isVisibleTo(w))
                    shown << QRect(b->mapTo(w, QPoint(0, 0)), b->size());
            }
            QVERIFY(!shown.isEmpty());
            for (int i = 0; i < shown.size(); ++i) {
                QVERIFY2(w->rect().contains(shown[i]), qPrintable(panel->objectName()));
                for (int j = i + 1; j < shown.size(); ++j)
                    QVERIFY2(!shown[i].adjusted(-2, -2, 2, 2).intersects(shown[j]),
                             qPrintable(panel->objectName() + u": buttons touch"_s));
            }
        }
        w->ShowPanel(5);
        QCoreApplication::processEvents();
        QWidget *word = w->Button6;
        QVERIFY(word->mapTo(w, QPoint(0, word->height())).y() > w->height() / 2);
        w->hide();
    }

    // The preview opens within the free area of the screen it is on.
    void previewWithinItsScreen()
    {
        QVERIFY(prepare(Applied));
        report::PrinterOutput output(f.print());
        const QRect screen = f.print()->screen()->availableGeometry();
        QRect opened;
        QTimer::singleShot(0, [&] {
            QWidget *preview = QApplication::activeModalWidget();
            if (!preview)
                return;
            opened = preview->frameGeometry();
            preview->close();
        });
        output.preview(f.print()->previewDocument(u"TyyPrint03"_s));
        QVERIFY(opened.isValid());
        QVERIFY2(screen.contains(opened), qPrintable(u"%1x%2+%3+%4"_s.arg(opened.width())
                                                         .arg(opened.height()).arg(opened.x()).arg(opened.y())));
        // As large as the free area lets a page be.
        QVERIFY(opened.height() > screen.height() * 3 / 4);
        // A smaller screen: the window shrinks to it, frame included.
        for (const QRect &available : {QRect(0, 0, 1024, 768), QRect(1280, 0, 800, 600),
                                       QRect(0, 0, 1920, 1080)}) {
            const QRect g = report::previewGeometry(available);
            QVERIFY(available.contains(g.adjusted(-8, -40, 8, 8)));
            QVERIFY(g.height() >= std::min(1000, available.height() - 60));
        }
    }

    // Each handler sets its own footer: the preview after a direct print
    // shows the preview's numbers again.
    void footersOfPreviewAndPrint()
    {
        addPersons(f.db(), Applied, 20);
        QVERIFY(prepare(Applied));
        f.print()->FormShow();
        click(u"BitBtn40"_s);  // preview "10"
        click(u"zBitBtn2"_s);  // direct print of the persons list
        click(u"BitBtn40"_s);
        QCOMPARE(f.jobs.size(), 4);
        QCOMPARE(f.jobs[0].kind, u"preview"_s);
        QVERIFY(f.jobs[0].texts[1].contains(u"10--2"_s));
        QCOMPARE(f.jobs[1].kind, u"print"_s);
        QVERIFY(f.jobs[1].texts[0].contains(u"6--1"_s));
        QVERIFY(f.jobs[2].texts[0].contains(u"6--2"_s));
        QVERIFY(f.jobs[3].texts[1].contains(u"10--2"_s));
        QCOMPARE(f.print()->pages().creationCount(u"TyyPrint10"_s), 1);
    }

    // A list goes out one page per job, exactly pages 1..N of this record,
    // from the first print on.
    void listPrintedPageByPage_data()
    {
        QTest::addColumn<QString>("record");
        QTest::addColumn<int>("persons");
        QTest::addColumn<int>("jobs");
        QTest::newRow("applied 45") << Applied << 45 << 3;
        QTest::newRow("applied 18") << Applied << 17 << 1;
        QTest::newRow("theory 18") << Theory << 17 << 2;
    }
    void listPrintedPageByPage()
    {
        QFETCH(QString, record);
        QFETCH(int, persons);
        QFETCH(int, jobs);
        addPersons(f.db(), record, persons);
        QVERIFY(prepare(record));
        f.print()->FormShow();
        click(record == Applied ? u"zBitBtn2"_s : u"zBitBtn45"_s);
        QCOMPARE(f.jobs.size(), jobs);
        for (int i = 0; i < jobs; ++i) {
            QCOMPARE(f.jobs[i].first, i + 1);
            QCOMPARE(f.jobs[i].last, i + 1);
        }
    }

    // "全文打印": cover, body pages 1 … 5, then the two lists, each list page
    // its own job, without a question between them.
    void wholeForm()
    {
        addPersons(f.db(), Applied, 25);
        QVERIFY(prepare(Applied));
        f.print()->FormShow();
        click(u"zBitBtn4"_s);
        QStringList sent;
        for (const OutputJob &job : f.jobs)
            sent << u"%1:%2-%3"_s.arg(job.page).arg(job.first).arg(job.last);
        QCOMPARE(sent, (QStringList{u"Tyyfm1:1-1"_s, u"TyyPrint03:1-1"_s, u"TyyPrint05:1-1"_s,
                                    u"TyyPrint07:1-1"_s, u"TyyPrint08:1-1"_s, u"TyyPrint09:1-1"_s,
                                    u"TyyPrint10:1-1"_s, u"TyyPrint10:2-2"_s, u"TyyPrint11:1-1"_s}));
        QVERIFY(m_log.boxes.isEmpty());
        // Direct print numbers the body pages from 1 (the footer is drawn last).
        QCOMPARE(f.jobs[1].texts[0].last(), u"1"_s);
        QCOMPARE(f.jobs[5].texts[0].last(), u"5"_s);
        QCOMPARE(f.jobs[7].texts[0].last(), u"6--2"_s);
        QCOMPARE(f.jobs[8].texts[0].last(), u"7"_s);
    }

    // A printer that cannot be used is reported; the window stays usable.
    void printerThatFails()
    {
        QVERIFY(prepare(Applied));
        f.print()->FormShow();
        f.output()->failWith = u"打印机无法打开"_s;
        click(u"zBitBtn5"_s);
        QCOMPARE(m_log.boxes.size(), 1);
        QCOMPARE(m_log.lastCaption(), u"提示"_s);
        QCOMPARE(m_log.last(), u"打印机无法打开"_s);
        f.output()->failWith.clear();
        click(u"BitBtn28"_s);
        QCOMPARE(f.jobs.size(), 1);
    }
};

QTEST_MAIN(TestPrintWindow)
#include "tst_printwindow.moc"
