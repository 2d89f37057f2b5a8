// The new-record dialog driven from the main window's "新增" and "修改主项":
// what it proposes, its checks, the duplicate names, the closing rules, the
// list and lock after a store, and a store that cannot be written.
#include "engine/DataSet.h"
#include "records/EntryRoutines.h"
#include "records/Numbering.h"
#include "records/widgets/ByteLimitedEdit.h"
#include "support/FileSizeLimit.h"
#include "support/ModalHelper.h"
#include "support/PagesFixture.h"

#include <QComboBox>
#include <QTableView>
#include <QTest>

namespace {
const QString Region = QStringLiteral(".");

TFormNew *dialogOf(QWidget *modal)
{
    return qobject_cast<TFormNew *>(modal);
}

void fill(TFormNew *d, const QString &year, const QString &name, const QString &unit)
{
    d->cbYear->setText(year);
    d->edt_3->setText(name);
    d->edt_9->setText(unit);
}

void chooseCategory(TFormNew *d, int index)
{
    d->ComboBox1->setCurrentIndex(index);
    emit d->ComboBox1->activated(index);
}
} // namespace

class TestFormNew : public QObject
{
    Q_OBJECT

    QTemporaryDir m_shipped;
    std::unique_ptr<PagesFixture> f;

    Database *db() const { return f->db(); }

    // A record whose required sections are all done.
    void addComplete(const QString &item4, const QString &category, const QString &name)
    {
        addAchievement(db(), item4, category, name);
        addPerson(db(), item4, Region, QStringLiteral("张三"));
    }

    // Runs the action on the dialog that the button opens.
    bool runDialog(QPushButton *opener, const std::function<void(TFormNew *)> &action)
    {
        ModalHelper helper([&](QWidget *modal) { action(dialogOf(modal)); });
        opener->click();
        if (!helper.ok())
            qWarning() << helper.error();
        return helper.ok();
    }

    QString current(const QString &field) const { return f->list().asString(field).trimmed(); }

private slots:
    void initTestCase() { buildShippedTables(m_shipped.path()); }
    void init()
    {
        f = std::make_unique<PagesFixture>(m_shipped.path());
        f->open();
    }
    void cleanup() { f.reset(); }

    void aNewUsersFirstRecordIsNumberedListedAndLocksTheList()
    {
        f->showList();
        BoxLog boxes;
        QString caption, proposedUnit;
        QVERIFY(runDialog(MainForm->Button1, [&](TFormNew *d) {
            caption = d->windowTitle();
            proposedUnit = d->edt_9->text();
            d->cbYear->setText(QStringLiteral("2023"));
            d->edt_3->setText(QStringLiteral("  新材料研究 "));
            d->edt_120->setText(QStringLiteral("G-7"));
            d->Button1->click();
        }));
        QCOMPARE(caption, TFormNew::newCaption());
        QCOMPARE(proposedUnit, QStringLiteral("报告单位"));
        QCOMPARE(boxes.texts(), QStringList());
        QCOMPARE(f->list().recordCount(), 1);
        QCOMPARE(current("item_4"), QStringLiteral("2023000001"));
        QCOMPARE(current("item_3"), QStringLiteral("新材料研究"));
        QCOMPARE(current("item_dqdm"), Region);
        QCOMPARE(current("item_cglb"), QStringLiteral("1"));
        QCOMPARE(MainForm->cbYear->currentText(), QStringLiteral("2023"));
        QCOMPARE(f->notDone().size(), 8);
        for (QWidget *w : MainForm->lockSet())
            QVERIFY2(!w->isEnabled(), qPrintable(w->objectName()));
        QVERIFY(MainForm->Button4->isEnabled());
    }

    void theRecordFollowsItsCategoryAndYearAndTheOwnUnitsName()
    {
        addComplete(QStringLiteral("2023000001"), QStringLiteral("1"), QStringLiteral("甲"));
        appendRow(db(), QStringLiteral("dwqk.dbf"), {{QStringLiteral("item_9"), QStringLiteral("本单位")}});
        ReopenQuery(*DM->Qrydwqk, QStringLiteral("select * from dwqk"));
        f->showList();
        QString proposedUnit, proposedYear;
        QVERIFY(runDialog(MainForm->Button1, [&](TFormNew *d) {
            proposedUnit = d->edt_9->text();
            proposedYear = d->cbYear->text();
            chooseCategory(d, 1);
            d->cbYear->setText(QStringLiteral("2021"));
            d->edt_3->setText(QStringLiteral("乙"));
            d->Button1->click();
        }));
        QCOMPARE(proposedUnit, QStringLiteral("本单位"));
        QCOMPARE(proposedYear, QStringLiteral("2023"));
        QCOMPARE(MainForm->ComboBox1->currentIndex(), 1);
        QCOMPARE(MainForm->cbYear->currentText(), QStringLiteral("2021"));
        QCOMPARE(f->list().recordCount(), 1);
        QCOMPARE(current("item_4"), QStringLiteral("2021000001"));
        QCOMPARE(current("item_cglb"), QStringLiteral("2"));
    }

    void theChecksKeepTheDialogOpen()
    {
        f->showList();
        BoxLog boxes;
        QStringList seen;
        bool openAfterChecks = false;
        qsizetype nameLength = 0;
        QVERIFY(runDialog(MainForm->Button1, [&](TFormNew *d) {
            const auto store = [&] {
                d->Button1->click();
                seen << boxes.last();
            };
            // Names and units hold 140 GBK bytes: 70 Chinese characters.
            d->edt_3->setText(QString(80, QChar(0x540D)));
            nameLength = d->edt_3->text().size();
            fill(d, QString(), QStringLiteral("名"), QStringLiteral("单位"));
            store();
            fill(d, QStringLiteral("2023"), QString(), QStringLiteral("单位"));
            store();
            fill(d, QStringLiteral("2023"), QStringLiteral("名"), QStringLiteral("  "));
            store();
            fill(d, QStringLiteral("20"), QStringLiteral("名"), QStringLiteral("单位"));
            store();
            d->cbYear->setText(QStringLiteral("20x"));
            seen << boxes.last();
            d->cbYear->setText(QStringLiteral("2051"));
            d->cbYearExit();
            seen << boxes.last();
            d->reject();  // the close box while something is unsaved
            openAfterChecks = d->isVisible();
            // "退出" with one of name and unit empty names the missing one.
            fill(d, QStringLiteral("2023"), QStringLiteral("名"), QString());
            d->Button2->click();
            seen << boxes.last();
            // Nothing typed: it closes without a word.
            fill(d, QStringLiteral("2023"), QString(), QString());
            d->Button2->click();
        }));
        QCOMPARE(seen, (QStringList{QStringLiteral("年份不能为空！"), QStringLiteral("成果名称不能为空！"),
                                    QStringLiteral("成果第一完成单位不能为空！"),
                                    QStringLiteral("不能输入1900到2050外的年份！"),
                                    QStringLiteral("不能输入非数字的字符！"),
                                    QStringLiteral("不能输入1900到2050外的年份！"),
                                    QStringLiteral("成果第一完成单位不能为空！")}));
        QVERIFY(openAfterChecks);
        QCOMPARE(nameLength, 70);
        QCOMPARE(boxes.boxes().first().caption, QStringLiteral("Dravik"));
        QCOMPARE(countRows(db(), QStringLiteral("kjcg.DBF")), 0);
    }

    void leavingAsksWhetherToStore()
    {
        f->showList();
        BoxLog boxes;
        boxes.answers = {QMessageBox::Cancel};
        QVERIFY(runDialog(MainForm->Button1, [&](TFormNew *d) {
            fill(d, QStringLiteral("2023"), QStringLiteral("不存"), QStringLiteral("单位"));
            d->Button2->click();
        }));
        QCOMPARE(boxes.last(), QStringLiteral("退出并储存？"));
        QCOMPARE(boxes.lastCaption(), QStringLiteral("提示信息"));
        QCOMPARE(countRows(db(), QStringLiteral("kjcg.DBF")), 0);

        boxes.answers = {QMessageBox::Ok};
        QVERIFY(runDialog(MainForm->Button1, [&](TFormNew *d) {
            fill(d, QStringLiteral("2023"), QStringLiteral("存"), QStringLiteral("单位"));
            d->Button2->click();
        }));
        QCOMPARE(countRows(db(), QStringLiteral("kjcg.DBF")), 1);
    }

    void duplicateNamesAreRefusedInBothModes()
    {
        const QString quoted = QStringLiteral("O'Neil 方法");
        addComplete(QStringLiteral("2023000001"), QStringLiteral("1"), quoted);
        addComplete(QStringLiteral("2023000002"), QStringLiteral("1"), QStringLiteral("乙"));
        f->showList();
        BoxLog boxes;

        // Renaming "乙" to another record's name is refused; its own name is not.
        bool openAfterDuplicate = false;
        QVERIFY(f->list().locate(QStringLiteral("item_4"), QStringLiteral("2023000002")));
        QVERIFY(runDialog(MainForm->Button5, [&](TFormNew *d) {
            d->edt_3->setText(quoted);
            d->Button1->click();
            openAfterDuplicate = d->isVisible();
            d->edt_3->setText(QStringLiteral("乙"));
            d->edt_120->setText(QStringLiteral(" N-2 "));
            d->Button1->click();
        }));
        QVERIFY(openAfterDuplicate);
        QCOMPARE(boxes.texts(), QStringList{QStringLiteral("已有同名项目!")});
        QCOMPARE(boxes.lastCaption(), QStringLiteral("提示信息"));
        QCOMPARE(current("item_4"), QStringLiteral("2023000002"));
        QCOMPARE(current("item_120"), QStringLiteral("N-2"));

        // The record whose name holds a quote is modified by its number.
        QVERIFY(f->list().locate(QStringLiteral("item_4"), QStringLiteral("2023000001")));
        QVERIFY(runDialog(MainForm->Button5, [&](TFormNew *d) {
            QCOMPARE(d->windowTitle(), TFormNew::modifyCaption());
            QCOMPARE(d->edt_3->text(), quoted);
            d->edt_3->setText(QStringLiteral("O'Neil's 方法"));
            d->Button1->click();
        }));
        QCOMPARE(current("item_4"), QStringLiteral("2023000001"));
        QCOMPARE(current("item_3"), QStringLiteral("O'Neil's 方法"));
        QCOMPARE(countRows(db(), QStringLiteral("kjcg.DBF"), QStringLiteral("item_3='乙'")), 1);

        // A new record may not take a name in use, even with blanks around it.
        boxes.clear();
        QVERIFY(runDialog(MainForm->Button1, [&](TFormNew *d) {
            fill(d, QStringLiteral("2023"), QStringLiteral(" 乙  "), QStringLiteral("单位"));
            d->Button1->click();
            openAfterDuplicate = d->isVisible();
            d->edt_3->setText(QStringLiteral("O'Neil 新法"));
            d->Button1->click();
        }));
        QVERIFY(openAfterDuplicate);
        QCOMPARE(boxes.texts(), QStringList{QStringLiteral("已有同名项目!")});
        QCOMPARE(current("item_4"), QStringLiteral("2023000003"));
        QCOMPARE(current("item_3"), QStringLiteral("O'Neil 新法"));
    }

    // A refused name stores nothing, so the typed entry still counts as
    // unsaved: the close box is refused and "退出" asks first.
    void aRefusedNameKeepsTheEntryUnsaved()
    {
        addComplete(QStringLiteral("2023000001"), QStringLiteral("1"), QStringLiteral("甲"));
        f->showList();
        BoxLog boxes;
        boxes.answers = {QMessageBox::Ok, QMessageBox::Cancel};
        bool openAfterClose = false;
        QVERIFY(runDialog(MainForm->Button1, [&](TFormNew *d) {
            fill(d, QStringLiteral("2023"), QStringLiteral("甲"), QStringLiteral("单位"));
            d->Button1->click();
            d->reject();
            openAfterClose = d->isVisible();
            d->Button2->click();  // Cancel: leave without storing
        }));
        QVERIFY(openAfterClose);
        QCOMPARE(boxes.texts(), (QStringList{QStringLiteral("已有同名项目!"),
                                             QStringLiteral("退出并储存？")}));
        QCOMPARE(countRows(db(), QStringLiteral("kjcg.DBF")), 1);
    }

    void aNewYearRenumbersTheRecordAndMovesItsChildren()
    {
        addComplete(QStringLiteral("2022000001"), QStringLiteral("1"), QStringLiteral("甲"));
        addChildren(db(), QStringLiteral("2022000001"), Region);
        addComplete(QStringLiteral("2023000004"), QStringLiteral("1"), QStringLiteral("乙"));
        f->showList();
        MainForm->cbYear->setCurrentIndex(MainForm->cbYear->findText(QStringLiteral("2022")));
        MainForm->ComboBox1Change();
        QCOMPARE(current("item_4"), QStringLiteral("2022000001"));
        QVERIFY(runDialog(MainForm->Button5, [&](TFormNew *d) {
            QCOMPARE(d->cbYear->text(), QStringLiteral("2022"));
            d->cbYear->setText(QStringLiteral("2023"));
            d->Button1->click();
        }));
        QCOMPARE(MainForm->cbYear->currentText(), QStringLiteral("2023"));
        QCOMPARE(current("item_4"), QStringLiteral("2023000005"));
        QCOMPARE(current("item_3"), QStringLiteral("甲"));
        for (const QString &file : Numbering::childTables()) {
            QCOMPARE(countRows(db(), file, keyFilter(QStringLiteral("2023000005"), Region)) > 0, true);
            QCOMPARE(countRows(db(), file, keyFilter(QStringLiteral("2022000001"), Region)), 0);
        }
        QCOMPARE(f->notDone(), QStringList());
        QVERIFY(MainForm->DBGrid1->isEnabled());
    }

    void modifyWithAnEmptyListSaysSo()
    {
        f->showList();
        BoxLog boxes;
        MainForm->Button5->click();
        QCOMPARE(boxes.texts(), QStringList{QStringLiteral("当前没有可以修改的项目")});
        QCOMPARE(boxes.lastCaption(), QStringLiteral("请注意！"));
    }

    void aRecordThatCannotBeWrittenKeepsTheDialogOpen()
    {
        if (!FileSizeLimit::supported())
            QSKIP("no file size limit on this system");
        f->showList();
        BoxLog boxes;
        bool openAfterFailure = false;
        QString name;
        QVERIFY(runDialog(MainForm->Button1, [&](TFormNew *d) {
            fill(d, QStringLiteral("2023"), QStringLiteral("写不进"), QStringLiteral("单位"));
            {
                FileSizeLimit limit(1024);
                d->Button1->click();
            }
            openAfterFailure = d->isVisible();
            name = d->edt_3->text();
            d->Button1->click();
        }));
        QVERIFY(openAfterFailure);
        QCOMPARE(name, QStringLiteral("写不进"));
        QCOMPARE(boxes.boxes().size(), 1);
        QCOMPARE(boxes.boxes().first().caption, QStringLiteral("提示"));
        QCOMPARE(countRows(db(), QStringLiteral("kjcg.DBF")), 1);
        QCOMPARE(current("item_4"), QStringLiteral("2023000001"));
    }
};

QTEST_MAIN(TestFormNew)
#include "tst_formnew.moc"
