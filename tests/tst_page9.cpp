// Page 9 "鉴定证书内容" opened through its section button: what a user types
// is stored as another dBase reader sees it, a stored date that is no date
// is kept instead of being replaced, and the leave question comes only
// after a change.
#include "engine/DataSet.h"
#include "records/widgets/ByteLimitedEdit.h"
#include "records/widgets/ClearableDate.h"
#include "records/widgets/GbkMemo.h"
#include "records/widgets/DateEntry.h"
#include "support/DbfReadBack.h"
#include "support/ModalHelper.h"
#include "support/PagesFixture.h"

#include <QCheckBox>
#include <QComboBox>
#include <QTabWidget>
#include <QDateEdit>
#include <QLineEdit>
#include <QTest>

namespace {
const QString Number = u"2023000009"_s;
const QString Question = Messages::Texts::leaveQuestion();
} // namespace

class TestPage9 : public QObject
{
    Q_OBJECT

    PagesFixture f;
    BoxLog m_log;

    void openOn(const QString &category, const FieldValues &values = {})
    {
        f.openOnRecord(Number, category, u"证书项目"_s, values);
        QCOMPARE(f.list().recordCount(), 1);
        m_log.clear();
    }

    bool throughTheButton(const std::function<void(TFpage9 *)> &fill)
    {
        return PagesFixture::throughButton<TFpage9>(f.main()->sectionButton(u"btn_page09"_s), fill);
    }

private slots:
    void initTestCase() { f.buildOnce(); }
    void cleanup() { f.stop(); }

    void whatIsTypedIsStored_data()
    {
        QTest::addColumn<QString>("category");
        QTest::newRow("applied technology") << u"1"_s;
        QTest::newRow("basic theory") << u"3"_s;
    }
    void whatIsTypedIsStored()
    {
        QFETCH(QString, category);
        openOn(category);
        f.main()->sectionButton(u"btn_page09"_s)->setKind(SectionButton::NotDone);
        QVERIFY(throughTheButton([](TFpage9 *p) {
            QCOMPARE(p->windowTitle(), u"成果名称：证书项目"_s);
            QVERIFY(p->date302->isCleared());  // no date stored
            p->Edt_301->insert(u"鉴字[2024]第018号"_s);
            QTest::mouseClick(p->date302->emptyField(), Qt::LeftButton);
            p->date302->picker()->setDate(QDate(2024, 3, 5));
            p->Mo_13_2->setPlainText(u"推广\t前景"_s);
            p->Mo_13_3->setPlainText(u"文件目录"_s);
            p->Mo_133->setPlainText(u"测试报告\n第二行"_s);
            p->Mo_303->setPlainText(u"评价意见"_s);
            p->btnSave01->click();
            QCOMPARE(p->Mo_13_2->toPlainText(), u"推广 前景"_s);  // the memo shows what is stored
            p->quit01->click();
        }));
        QCOMPARE(m_log.texts(), QStringList{Messages::Texts::stored()});
        QVERIFY(f.main()->sectionButton(u"btn_page09"_s)->isDone());
        QCOMPARE(f.main()->sectionButton(u"btn_page09"_s)->text(), u"鉴定证书内容"_s);

        const DbfReadBack read = readWithPythonDbf(
            f.dataPath(), u"kjcg.DBF"_s,
            {u"item_301"_s, u"item_302"_s, u"item_13_2"_s, u"item_13_3"_s, u"item_133"_s, u"item_303"_s});
        QVERIFY2(read.error.isEmpty(), qPrintable(read.error));
        const QJsonObject row = read.rows.value(0);
        QCOMPARE(row.value(u"item_301"_s).toString(), u"鉴字[2024]第018号"_s);
        QCOMPARE(row.value(u"item_302"_s).toString(), u"2024.03.05"_s);
        QCOMPARE(row.value(u"item_13_2"_s).toString(), u"推广 前景"_s);
        QCOMPARE(row.value(u"item_133"_s).toString(), u"测试报告\r\n第二行"_s);
        QCOMPARE(row.value(u"item_303"_s).toString(), u"评价意见"_s);
    }

    // The page was last shown on a record with a good date; a record whose
    // text is no date must neither get that date nor lose its own text.
    void aStoredTextThatIsNoDateIsKept()
    {
        openOn(u"1"_s, {{u"item_302"_s, u"1998.02.30"_s}, {u"item_301"_s, u"旧号"_s}});
        f.window<TFpage9>()->date302->setDotText(u"2020.06.01"_s);
        QString warning;
        QVERIFY(throughTheButton([&](TFpage9 *p) {
            warning = m_log.last();
            QVERIFY(p->date302->isCleared());
            QCOMPARE(p->date302->emptyField()->text(), u"1998.02.30"_s);
            QVERIFY(p->isUnchanged());
            p->Edt_301->setText(u"新号"_s);
            p->btnSave01->click();
            p->quit01->click();
        }));
        QCOMPARE(warning, u"本项登记日期：'1998.02.30'不是正确的时间格式！现在已经更换。"_s);
        QCOMPARE(f.stored(u"kjcg.DBF"_s, u"item_302"_s), u"1998.02.30"_s);
        QCOMPARE(f.stored(u"kjcg.DBF"_s, u"item_301"_s), u"新号"_s);

        // Clicking the field is picking a date: that date is stored.
        QVERIFY(throughTheButton([](TFpage9 *p) {
            QTest::mouseClick(p->date302->emptyField(), Qt::LeftButton);
            QVERIFY(!p->date302->isCleared());
            p->date302->picker()->setDate(QDate(1998, 2, 28));
            QVERIFY(!p->isUnchanged());
            p->btnSave01->click();
            p->quit01->click();
        }));
        QCOMPARE(f.stored(u"kjcg.DBF"_s, u"item_302"_s), u"1998.02.28"_s);
    }

    void theLeaveQuestionComesOnlyAfterAChange()
    {
        openOn(u"2"_s, {{u"item_13_3"_s, u"目录"_s}, {u"item_302"_s, u"2001.05.06"_s}});
        QVERIFY(throughTheButton([](TFpage9 *p) {
            QCOMPARE(p->date302->picker()->date(), QDate(2001, 5, 6));
            p->Mo_13_3->setPlainText(u"目录\n\n"_s);  // trailing blank lines are no change
            p->quit01->click();
        }));
        QVERIFY(m_log.boxes.isEmpty());

        m_log.answers = {QMessageBox::No};
        QVERIFY(throughTheButton([](TFpage9 *p) {
            p->date302->clearBox()->click();  // "清空"
            p->quit01->click();
        }));
        QCOMPARE(m_log.texts(), QStringList{Question});
        QCOMPARE(m_log.lastCaption(), u"请注意！"_s);
        QCOMPARE(f.stored(u"kjcg.DBF"_s, u"item_302"_s), u"2001.05.06"_s);

        m_log.clear();
        QVERIFY(throughTheButton([](TFpage9 *p) {
            p->date302->clearBox()->click();
            p->quit01->click();  // Yes: saved, then closed
        }));
        QCOMPARE(m_log.texts(), (QStringList{Question, Messages::Texts::stored()}));
        QCOMPARE(f.stored(u"kjcg.DBF"_s, u"item_302"_s), QString());
    }

    void aBlankMemoIsEmptiedWhenClicked()
    {
        openOn(u"1"_s, {{u"item_303"_s, u"  \r\n  "_s}});
        QVERIFY(throughTheButton([](TFpage9 *p) {
            p->memoTabs->setCurrentWidget(p->Mo_303);
            QTest::mouseClick(p->Mo_303->viewport(), Qt::LeftButton);
            QCOMPARE(p->Mo_303->toPlainText(), QString());
            p->quit01->click();
        }));
    }

    // The evaluation date is typed as a user types it: a click on the year
    // selects it and the digits replace it; a year before the span is
    // refused with the span's message.
    void theDateIsTyped()
    {
        openOn(u"1"_s, {{u"item_302"_s, u"1996.07.01"_s}});
        QVERIFY(throughTheButton([&](TFpage9 *page) {
            DateEntry *picker = page->date302->picker();
            page->activateWindow();
            QVERIFY(QTest::qWaitForWindowActive(page));
            QLineEdit *text = picker->findChild<QLineEdit *>();
            QTest::mouseClick(text, Qt::LeftButton, {}, QPoint(6, text->height() / 2));
            QCoreApplication::processEvents();
            QTest::keyClicks(picker, u"1975"_s);
            QTest::keyClick(picker, Qt::Key_Return);
            QCOMPARE(picker->date(), QDate(1975, 7, 1));
            QTest::mouseClick(text, Qt::LeftButton, {}, QPoint(6, text->height() / 2));
            QCoreApplication::processEvents();
            QTest::keyClicks(picker, u"1890"_s);
            QTest::keyClick(picker, Qt::Key_Return);
            QCoreApplication::processEvents();
            QCOMPARE(picker->date(), QDate(1975, 7, 1));
            QCOMPARE(m_log.last(), u"“评价日期”应在1950.01.01至2099.12.31之间！"_s);
            page->btnSave01->click();
            page->quit01->click();
        }));
        QCOMPARE(f.stored(u"kjcg.DBF"_s, u"item_302"_s), u"1975.07.01"_s);
    }
};

QTEST_MAIN(TestPage9)
#include "tst_page9.moc"
