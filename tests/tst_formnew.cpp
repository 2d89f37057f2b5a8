// The new-record dialog driven from the main window's "新增" and "修改主项":
// what it proposes, its checks, the duplicate names, the closing rules, the
// list and lock after a store, and a store that cannot be written.
#include "engine/DataSet.h"
#include "records/forms/EntryRoutines.h"
#include "records/data/Numbering.h"
#include "records/widgets/ByteLimitedEdit.h"
#include "support/FileSizeLimit.h"
#include "support/ModalHelper.h"
#include "support/PagesFixture.h"

#include <QComboBox>
#include <QTableView>
#include <QTest>

namespace {
const QString Region = u"."_s;

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

    PagesFixture f;

    Database *db() const { return f.db(); }

    // Runs the action on the dialog that the button opens.
    bool runDialog(QPushButton *opener, const std::function<void(TFormNew *)> &action)
    {
        ModalHelper helper([&](QWidget *modal) { action(dialogOf(modal)); });
        opener->click();
        if (!helper.ok())
            qWarning() << helper.error();
        return helper.ok();
    }

    QString current(const QString &field) const { return f.list().asString(field).trimmed(); }

private slots:
    void initTestCase() { f.buildOnce(); }
    void init() { f.open(); }
    void cleanup() { f.stop(); }

    void aNewUsersFirstRecordIsNumberedListedAndLocksTheList()
    {
        f.showList();
        BoxLog boxes;
        QString caption, proposedUnit;
        QVERIFY(runDialog(f.main()->Button1, [&](TFormNew *d) {
            caption = d->windowTitle();
            proposedUnit = d->edt_9->text();
            d->cbYear->setText(u"2023"_s);
            d->edt_3->setText(u"  新材料研究 "_s);
            d->edt_120->setText(u"G-7"_s);
            d->Button1->click();
        }));
        QCOMPARE(caption, TFormNew::newCaption());
        QCOMPARE(proposedUnit, u"报告单位"_s);
        QCOMPARE(boxes.texts(), QStringList());
        QCOMPARE(f.list().recordCount(), 1);
        QCOMPARE(current("item_4"), u"2023000001"_s);
        QCOMPARE(current("item_3"), u"新材料研究"_s);
        QCOMPARE(current("item_dqdm"), Region);
        QCOMPARE(current("item_cglb"), u"1"_s);
        QCOMPARE(f.main()->cbYear->currentText(), u"2023"_s);
        QCOMPARE(f.notDone().size(), 8);
        for (QWidget *w : f.main()->lockSet())
            QVERIFY2(!w->isEnabled(), qPrintable(w->objectName()));
        QVERIFY(f.main()->Button4->isEnabled());
    }

    void theRecordFollowsItsCategoryAndYearAndTheOwnUnitsName()
    {
        addComplete(db(), u"2023000001"_s, u"1"_s, u"甲"_s);
        appendRow(db(), u"dwqk.dbf"_s, {{u"item_9"_s, u"本单位"_s}});
        ReopenQuery(*f.dm()->Qrydwqk, u"select * from dwqk"_s);
        f.showList();
        QString proposedUnit, proposedYear;
        QVERIFY(runDialog(f.main()->Button1, [&](TFormNew *d) {
            proposedUnit = d->edt_9->text();
            proposedYear = d->cbYear->text();
            chooseCategory(d, 1);
            d->cbYear->setText(u"2021"_s);
            d->edt_3->setText(u"乙"_s);
            d->Button1->click();
        }));
        QCOMPARE(proposedUnit, u"本单位"_s);
        QCOMPARE(proposedYear, u"2023"_s);
        QCOMPARE(f.main()->ComboBox1->currentIndex(), 1);
        QCOMPARE(f.main()->cbYear->currentText(), u"2021"_s);
        QCOMPARE(f.list().recordCount(), 1);
        QCOMPARE(current("item_4"), u"2021000001"_s);
        QCOMPARE(current("item_cglb"), u"2"_s);
    }

    void theChecksKeepTheDialogOpen()
    {
        f.showList();
        BoxLog boxes;
        QStringList seen;
        bool openAfterChecks = false;
        qsizetype nameLength = 0;
        QVERIFY(runDialog(f.main()->Button1, [&](TFormNew *d) {
            const auto store = [&] {
                d->Button1->click();
                seen << boxes.last();
            };
            // Names and units hold 140 GBK bytes: 70 Chinese characters.
            d->edt_3->clear();
            d->edt_3->insert(QString(80, QChar(0x540D)));  // typed or pasted
            nameLength = d->edt_3->text().size();
            fill(d, QString(), u"名"_s, u"单位"_s);
            store();
            fill(d, u"2023"_s, QString(), u"单位"_s);
            store();
            fill(d, u"2023"_s, u"名"_s, u"  "_s);
            store();
            fill(d, u"20"_s, u"名"_s, u"单位"_s);
            store();
            d->cbYear->setText(u"20x"_s);
            seen << boxes.last();
            d->cbYear->setText(u"2051"_s);
            d->cbYearExit();
            seen << boxes.last();
            d->reject(); // the close box while something is unsaved
            openAfterChecks = d->isVisible();
            // "退出" with one of name and unit empty names the missing one.
            fill(d, u"2023"_s, u"名"_s, QString());
            d->Button2->click();
            seen << boxes.last();
            // Nothing typed: it closes without a word.
            fill(d, u"2023"_s, QString(), QString());
            d->Button2->click();
        }));
        QCOMPARE(seen,
                 (QStringList{u"年份不能为空！"_s, u"成果名称不能为空！"_s, u"成果第一完成单位不能为空！"_s,
                              u"不能输入1900到2050外的年份！"_s, u"不能输入非数字的字符！"_s,
                              u"不能输入1900到2050外的年份！"_s, u"成果第一完成单位不能为空！"_s}));
        QVERIFY(openAfterChecks);
        QCOMPARE(nameLength, 70);
        QCOMPARE(boxes.boxes.first().caption, u"Dravik"_s);
        QCOMPARE(countRows(db(), u"kjcg.DBF"_s), 0);
    }

    // The box of a wrong character takes the focus from the year edit; that
    // is no leaving: one warning, and the range is checked only when the
    // user really leaves.
    void aWrongCharacterGivesOneWarning()
    {
        f.showList();
        BoxLog boxes;
        QStringList seen;
        QVERIFY(runDialog(f.main()->Button1, [&](TFormNew *d) {
            Messages::setAnswerer([&](const Messages::Request &r) {
                seen << r.text;
                QFocusEvent leave(QEvent::FocusOut, Qt::ActiveWindowFocusReason);
                QCoreApplication::sendEvent(d->cbYear, &leave);
                return QMessageBox::Ok;
            });
            d->cbYear->setText(u"2a"_s);
            QCOMPARE(seen, QStringList{u"不能输入非数字的字符！"_s});
            seen.clear();
            d->cbYear->setText(u"2051"_s);
            QFocusEvent leave(QEvent::FocusOut, Qt::TabFocusReason);
            QCoreApplication::sendEvent(d->cbYear, &leave);
            QCOMPARE(seen.value(0), u"不能输入1900到2050外的年份！"_s);
            d->cbYear->setText(u"2023"_s);
            d->NewFormSaved = true;
            d->reject();
        }));
    }

    void leavingAsksWhetherToStore()
    {
        f.showList();
        BoxLog boxes;
        boxes.answers = {QMessageBox::Cancel};
        QVERIFY(runDialog(f.main()->Button1, [&](TFormNew *d) {
            fill(d, u"2023"_s, u"不存"_s, u"单位"_s);
            d->Button2->click();
        }));
        QCOMPARE(boxes.last(), u"退出并储存？"_s);
        QCOMPARE(boxes.lastCaption(), u"提示信息"_s);
        QCOMPARE(countRows(db(), u"kjcg.DBF"_s), 0);

        boxes.answers = {QMessageBox::Ok};
        QVERIFY(runDialog(f.main()->Button1, [&](TFormNew *d) {
            fill(d, u"2023"_s, u"存"_s, u"单位"_s);
            d->Button2->click();
        }));
        QCOMPARE(countRows(db(), u"kjcg.DBF"_s), 1);
    }

    void duplicateNamesAreRefusedInBothModes()
    {
        const QString quoted = u"O'Neil 方法"_s;
        addComplete(db(), u"2023000001"_s, u"1"_s, quoted);
        addComplete(db(), u"2023000002"_s, u"1"_s, u"乙"_s);
        f.showList();
        BoxLog boxes;

        // Renaming "乙" to another record's name is refused; its own name is not.
        bool openAfterDuplicate = false;
        QVERIFY(f.list().locate(u"item_4"_s, u"2023000002"_s));
        QVERIFY(runDialog(f.main()->Button5, [&](TFormNew *d) {
            d->edt_3->setText(quoted);
            d->Button1->click();
            openAfterDuplicate = d->isVisible();
            d->edt_3->setText(u"乙"_s);
            d->edt_120->setText(u" N-2 "_s);
            d->Button1->click();
        }));
        QVERIFY(openAfterDuplicate);
        QCOMPARE(boxes.texts(), QStringList{u"已有同名项目!"_s});
        QCOMPARE(boxes.lastCaption(), u"提示信息"_s);
        QCOMPARE(current("item_4"), u"2023000002"_s);
        QCOMPARE(current("item_120"), u"N-2"_s);

        // The record whose name holds a quote is modified by its number.
        QVERIFY(f.list().locate(u"item_4"_s, u"2023000001"_s));
        QVERIFY(runDialog(f.main()->Button5, [&](TFormNew *d) {
            QCOMPARE(d->windowTitle(), TFormNew::modifyCaption());
            QCOMPARE(d->focusWidget(), d->edt_3);
            QCOMPARE(d->edt_3->text(), quoted);
            d->edt_3->setText(u"O'Neil's 方法"_s);
            d->Button1->click();
        }));
        QCOMPARE(current("item_4"), u"2023000001"_s);
        QCOMPARE(current("item_3"), u"O'Neil's 方法"_s);
        QCOMPARE(countRows(db(), u"kjcg.DBF"_s, u"item_3='乙'"_s), 1);

        // A new record may not take a name in use, even with blanks around it.
        boxes.clear();
        QVERIFY(runDialog(f.main()->Button1, [&](TFormNew *d) {
            fill(d, u"2023"_s, u" 乙  "_s, u"单位"_s);
            d->Button1->click();
            openAfterDuplicate = d->isVisible();
            d->edt_3->setText(u"O'Neil 新法"_s);
            d->Button1->click();
        }));
        QVERIFY(openAfterDuplicate);
        QCOMPARE(boxes.texts(), QStringList{u"已有同名项目!"_s});
        QCOMPARE(current("item_4"), u"2023000003"_s);
        QCOMPARE(current("item_3"), u"O'Neil 新法"_s);
    }

    // A refused name stores nothing, so the typed entry still counts as
    // unsaved: the close box is refused and "退出" asks first.
    void aRefusedNameKeepsTheEntryUnsaved()
    {
        addComplete(db(), u"2023000001"_s, u"1"_s, u"甲"_s);
        f.showList();
        BoxLog boxes;
        boxes.answers = {QMessageBox::Ok, QMessageBox::Cancel};
        bool openAfterClose = false;
        QVERIFY(runDialog(f.main()->Button1, [&](TFormNew *d) {
            fill(d, u"2023"_s, u"甲"_s, u"单位"_s);
            d->Button1->click();
            d->reject();
            openAfterClose = d->isVisible();
            d->Button2->click(); // Cancel: leave without storing
        }));
        QVERIFY(openAfterClose);
        QCOMPARE(boxes.texts(), (QStringList{u"已有同名项目!"_s, u"退出并储存？"_s}));
        QCOMPARE(countRows(db(), u"kjcg.DBF"_s), 1);
    }

    void aNewYearRenumbersTheRecordAndMovesItsChildren()
    {
        addComplete(db(), u"2022000001"_s, u"1"_s, u"甲"_s);
        addChildren(db(), u"2022000001"_s, Region);
        addComplete(db(), u"2023000004"_s, u"1"_s, u"乙"_s);
        f.showList();
        f.main()->cbYear->setCurrentIndex(f.main()->cbYear->findText(u"2022"_s));
        f.main()->ComboBox1Change();
        QCOMPARE(current("item_4"), u"2022000001"_s);
        QVERIFY(runDialog(f.main()->Button5, [&](TFormNew *d) {
            QCOMPARE(d->cbYear->text(), u"2022"_s);
            d->cbYear->setText(u"2023"_s);
            d->Button1->click();
        }));
        QCOMPARE(f.main()->cbYear->currentText(), u"2023"_s);
        QCOMPARE(current("item_4"), u"2023000005"_s);
        QCOMPARE(current("item_3"), u"甲"_s);
        for (const QString &file : Numbering::childTables()) {
            QCOMPARE(countRows(db(), file, keyFilter(u"2023000005"_s, Region)) > 0, true);
            QCOMPARE(countRows(db(), file, keyFilter(u"2022000001"_s, Region)), 0);
        }
        QCOMPARE(f.notDone(), QStringList());
        QVERIFY(f.main()->DBGrid1->isEnabled());
    }

    void modifyWithAnEmptyListSaysSo()
    {
        f.showList();
        BoxLog boxes;
        f.main()->Button5->click();
        QCOMPARE(boxes.texts(), QStringList{u"当前没有可以修改的项目"_s});
        QCOMPARE(boxes.lastCaption(), u"请注意！"_s);
    }

    void aRecordThatCannotBeWrittenKeepsTheDialogOpen()
    {
        if (!FileSizeLimit::supported())
            QSKIP("no file size limit on this system");
        f.showList();
        BoxLog boxes;
        bool openAfterFailure = false;
        QString name;
        QVERIFY(runDialog(f.main()->Button1, [&](TFormNew *d) {
            fill(d, u"2023"_s, u"写不进"_s, u"单位"_s);
            {
                FileSizeLimit limit(1024);
                d->Button1->click();
            }
            openAfterFailure = d->isVisible();
            name = d->edt_3->text();
            d->Button1->click();
        }));
        QVERIFY(openAfterFailure);
        QCOMPARE(name, u"写不进"_s);
        QCOMPARE(boxes.boxes.size(), 1);
        QCOMPARE(boxes.boxes.first().caption, u"提示"_s);
        QCOMPARE(countRows(db(), u"kjcg.DBF"_s), 1);
        QCOMPARE(current("item_4"), u"2023000001"_s);
    }
};

QTEST_MAIN(TestFormNew)
#include "tst_formnew.moc"
