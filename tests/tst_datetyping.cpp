// Dates typed as the forms ask ("日期格式：YYYY.MM.DD"): real key events
// after a click at the start, in the middle and at the end of each date
// field of the pages and the person dialog, and into an emptied one; what
// is stored is read back by another dBase reader. The program's clock
// stands at a day of each test's choosing, as a date shown without a
// stored one is today's.
#include "records/pages/Finto8Unit.h"
#include "records/pages/Unitpage8.h"
#include "records/widgets/ByteLimitedEdit.h"
#include "records/widgets/ClearableDate.h"
#include "records/widgets/DateEntry.h"
#include "support/DbfReadBack.h"
#include "support/PagesFixture.h"
#include "engine/Clock.h"

#include <QCheckBox>
#include <QLineEdit>
#include <QtTest>

namespace {

const QString Number = u"2023000021"_s;

// The x of the first pixel where a click puts the cursor at `position` of
// the field's text.
int xOfPosition(QLineEdit *text, int position)
{
    for (int x = 0; x < text->width(); ++x) {
        if (text->cursorPositionAt(QPoint(x, text->height() / 2)) == position)
            return x;
    }
    return -1;
}

// A click "start" (in the year), "middle" (in the month) or "end" (at the
// field's right edge, past the text) of a field showing "yyyy.MM.dd"; an
// empty field is clicked at its left edge, its middle and its right edge.
void clickAt(QLineEdit *text, const QString &where)
{
    int x = text->width() - 3;
    if (where != u"end"_s) {
        x = text->text().isEmpty() ? (where == u"start"_s ? 3 : text->width() / 2)
                                   : xOfPosition(text, where == u"start"_s ? 1 : 6);
    }
    QVERIFY2(x >= 0, "no place in the field for the click");
    QTest::mouseClick(text, Qt::LeftButton, {}, QPoint(x, text->height() / 2));
    QCoreApplication::processEvents();
}

// A click as a window system delivers it: the press takes the focus from
// the date being typed, the release presses the button.
void clickAsWindowSystem(QAbstractButton *button)
{
    const QPoint middle = button->rect().center();
    QTest::mousePress(button, Qt::LeftButton, {}, middle);
    QTest::mouseRelease(button, Qt::LeftButton, {}, middle);
}

void standAt(const QDate &day)
{
    Clock::standAt(QDateTime(day, QTime(10, 0)));
}

// The keys go where the focus is, as a user's keys do.
void typeKeys(const QString &keys)
{
    QWidget *focus = QApplication::focusWidget();
    QVERIFY2(focus, "no control has the focus");
    QTest::keyClicks(focus, keys);
}

} // namespace

class TestDateTyping : public QObject
{
    Q_OBJECT

    PagesFixture f;
    BoxLog m_log;

    // A record that pages 1 and 3 save without a word but for the date.
    void openOn(FieldValues values)
    {
        values += FieldValues{{u"item_8"_s, u"2020.03   至2021.05"_s}, {u"item_126"_s, u"03;"_s},
                   {u"item_41_1"_s, u"02"_s}, {u"item_21"_s, u"1"_s},
                              {u"item_125"_s, u"23;"_s}};
        f.openOnRecord(Number, u"1"_s, u"日期项目"_s, values);
        m_log.clear();
    }

    QString storedWithPython(const QString &table, const QString &field)
    {
        const DbfReadBack back = readWithPythonDbf(f.dataPath(), table, {field});
        if (!back.error.isEmpty() || back.rows.isEmpty())
            return u"<unreadable: "_s + back.error + u">"_s;
        return back.rows.first().value(field).toString();
    }

    // Opens the page through its button, clicks into the date where asked,
    // types the keys and presses the save button with the mouse.
    template <class Page>
    void typeOnPage(QAbstractButton *opener, const std::function<QWidget *(Page *)> &dateOf,
                    const std::function<QAbstractButton *(Page *)> &saveOf,
                    const std::function<QAbstractButton *(Page *)> &quitOf, const QString &where,
                    const QString &keys)
    {
        QVERIFY(PagesFixture::throughButton<Page>(opener, [&](Page *page) {
            page->activateWindow();
            QVERIFY(QTest::qWaitForWindowActive(page));
            QWidget *date = dateOf(page);
            QLineEdit *text = date->findChild<QLineEdit *>();
            if (auto *clearable = qobject_cast<ClearableDate *>(date)) {
                text = clearable->isCleared() ? clearable->emptyField()
                                              : clearable->picker()->findChild<QLineEdit *>();
            }
            clickAt(text, where);
            typeKeys(keys);
            clickAsWindowSystem(saveOf(page));
            // A message the date owes comes once the click is done.
            QTest::qWait(20);
            quitOf(page)->click();
        }));
    }

    void typeOnPageOf(const QString &field, const QString &where, const QString &keys)
    {
        TMainForm *main = f.main();
        if (field == u"item_121"_s) {
            typeOnPage<TFpage1>(
                main->sectionButton(u"btn_page01"_s), [](TFpage1 *p) { return p->DTP_121; },
                [](TFpage1 *p) { return p->btnSave01; }, [](TFpage1 *p) { return p->quit01; }, where, keys);
        } else if (field == u"item_34"_s) {
            typeOnPage<TFpage3>(
                main->sectionButton(u"btn_page03"_s), [](TFpage3 *p) { return p->date34; },
                [](TFpage3 *p) { return p->btnSave01; }, [](TFpage3 *p) { return p->quit01; }, where, keys);
        } else {
            typeOnPage<TFpage9>(
                main->sectionButton(u"btn_page09"_s), [](TFpage9 *p) { return p->date302; },
                [](TFpage9 *p) { return p->btnSave01; }, [](TFpage9 *p) { return p->quit01; }, where, keys);
        }
    }

    // The person list of the record, with one person whose birth is
    // `birth` unless the person is to be added.
    TFpage8 *personsOf(bool withPerson, const QString &birth)
    {
        if (withPerson) {
            appendRow(f.db(), u"cgwcr.DBF"_s,
                      {{u"ITEM_4"_s, Number}, {u"ITEM_DQDM"_s, u"."_s}, {u"ITEM_187"_s, u"1"_s},
                       {u"ITEM_180"_s, u"旧人"_s}, {u"ITEM_181"_s, u"0"_s}, {u"ITEM_182"_s, birth},
                       {u"ITEM_183"_s, u"4"_s}, {u"ITEM_184"_s, u"4"_s}, {u"ITEM_188"_s, u"0"_s}});
        }
        f.add(new TFinto8(f.main()));
        auto *persons = f.add(new TFpage8(f.main()));
        persons->showRowsOf({Number, u"."_s});
        return persons;
    }

    // Types the birth into the person dialog (a new person, or the one
    // listed) and presses "存储"; `whileOpen` sees the dialog after it.
    void typeBirth(TFpage8 *persons, bool adding, const QString &where, const QString &keys,
                   const std::function<void(TFinto8 *)> &whileOpen = {})
    {
        QAbstractButton *opener = adding ? persons->addButton : persons->modifyButton;
        QVERIFY(PagesFixture::throughButton<TFinto8>(opener, [&](TFinto8 *d) {
            d->activateWindow();
            QVERIFY(QTest::qWaitForWindowActive(d));
            if (adding)
                d->edtry_180->setText(u"打字人"_s);
            clickAt(d->dtpry_182->findChild<QLineEdit *>(), where);
            typeKeys(keys);
            clickAsWindowSystem(d->Button1);
            QTest::qWait(20);
            if (whileOpen)
                whileOpen(d);
        }));
    }

private slots:
    void initTestCase() { f.buildOnce(); }
    void init() { standAt(QDate(2026, 6, 15)); }
    void cleanup()
    {
        f.stop();
        Clock::runFree();
    }

    // Wherever the click was, the whole date typed is the date stored.
    void theTypedDateIsStored_data()
    {
        QTest::addColumn<QString>("field");
        QTest::addColumn<QString>("stored");
        QTest::addColumn<QString>("where");
        QTest::addColumn<QString>("keys");
        QTest::addColumn<QString>("expected");
        for (const QString &where : {u"start"_s, u"middle"_s, u"end"_s}) {
            // 登记日期 is a date field, read back as one.
            QTest::addRow("登记日期, %s", qPrintable(where))
                << u"item_121"_s << u"2025-06-15"_s << where << u"2024.01.31"_s << u"2024-01-31"_s;
            QTest::addRow("page 3 评价日期, %s", qPrintable(where))
                << u"item_34"_s << u"2025.06.15"_s << where << u"2024.01.31"_s << u"2024.01.31"_s;
            QTest::addRow("page 3 评价日期 emptied, %s", qPrintable(where))
                << u"item_34"_s << QString() << where << u"2024.01.31"_s << u"2024.01.31"_s;
            QTest::addRow("page 9 评价日期, %s", qPrintable(where))
                << u"item_302"_s << u"2025.06.15"_s << where << u"2024.01.31"_s << u"2024.01.31"_s;
            QTest::addRow("page 9 评价日期 emptied, %s", qPrintable(where))
                << u"item_302"_s << QString() << where << u"2024.01.31"_s << u"2024.01.31"_s;
            QTest::addRow("登记日期 without points, %s", qPrintable(where))
                << u"item_121"_s << u"2025-06-15"_s << where << u"20231105"_s << u"2023-11-05"_s;
        }
        // Only the part clicked, typed alone, replaces that part.
        QTest::newRow("登记日期, the year alone") << u"item_121"_s << u"2025-06-15"_s << u"start"_s
                                              << u"2022"_s << u"2022-06-15"_s;
        QTest::newRow("page 3 评价日期, the month alone") << u"item_34"_s << u"2025.06.15"_s
                                                    << u"middle"_s << u"09"_s << u"2025.09.15"_s;
    }
    void theTypedDateIsStored() { typeAndExpectStored(); }

    // On the days a month may lack (the 28th to the 31st, a 29 February)
    // the day a field shows but the user does not type never refuses the
    // date typed: a year and month alone take the month's last day where
    // the month is shorter, and a birth ("yyyy.MM") has no day to refuse.
    void theDayTypedOnIsNoHindrance_data()
    {
        QTest::addColumn<QDate>("today");
        QTest::addColumn<QString>("field");
        QTest::addColumn<QString>("stored");
        QTest::addColumn<QString>("where");
        QTest::addColumn<QString>("keys");
        QTest::addColumn<QString>("expected");
        const struct
        {
            QDate today;
            QString february, birthFebruary;
        } days[] = {
            {QDate(2026, 12, 28), u"2026-02-28"_s, u"2026.02"_s},
            {QDate(2026, 12, 29), u"2026-02-28"_s, u"2026.02"_s},
            {QDate(2026, 12, 30), u"2026-02-28"_s, u"2026.02"_s},
            {QDate(2026, 12, 31), u"2026-02-28"_s, u"2026.02"_s},
            {QDate(2028, 2, 29), u"2028-02-29"_s, u"2028.02"_s},
        };
        for (const auto &d : days) {
            const QByteArray on = d.today.toString(Qt::ISODate).toLatin1();
            // No registration date: the picker shows today.
            QTest::addRow("%s 登记日期 month alone", on.constData())
                << d.today << u"item_121"_s << QString() << u"middle"_s << u"02"_s << d.february;
            QTest::addRow("%s 登记日期 whole", on.constData())
                << d.today << u"item_121"_s << QString() << u"start"_s << u"2024.02.29"_s << u"2024-02-29"_s;
            QTest::addRow("%s page 3 评价日期 emptied", on.constData())
                << d.today << u"item_34"_s << QString() << u"start"_s << u"2023.11.30"_s << u"2023.11.30"_s;
            QTest::addRow("%s page 3 评价日期 month of a 31st", on.constData())
                << d.today << u"item_34"_s << u"2025.01.31"_s << u"middle"_s << u"02"_s << u"2025.02.28"_s;
            QTest::addRow("%s page 9 评价日期 emptied", on.constData())
                << d.today << u"item_302"_s << QString() << u"end"_s << u"2024.02.29"_s << u"2024.02.29"_s;
            QTest::addRow("%s page 9 评价日期 year of a 29 February", on.constData())
                << d.today << u"item_302"_s << u"2024.02.29"_s << u"start"_s << u"2025"_s << u"2025.02.28"_s;
            // A person without a birth shows this month; a new one is
            // preset about thirty years back.
            QTest::addRow("%s 出生年月 without one", on.constData())
                << d.today << u"item_182"_s << QString() << u"middle"_s << u"1975.02"_s << u"1975.02"_s;
            QTest::addRow("%s 出生年月 without one, month alone", on.constData())
                << d.today << u"item_182"_s << QString() << u"middle"_s << u"02"_s << d.birthFebruary;
            QTest::addRow("%s 出生年月 of a new person", on.constData())
                << d.today << u"new person"_s << QString() << u"start"_s << u"1975.02"_s << u"1975.02"_s;
        }
    }
    void theDayTypedOnIsNoHindrance()
    {
        QFETCH(QDate, today);
        standAt(today);
        typeAndExpectStored();
    }

private:
    // The row's keys typed into its field ("new person": the birth of a
    // person added), saved, and `expected` read back.
    void typeAndExpectStored()
    {
        QFETCH(QString, field);
        QFETCH(QString, stored);
        QFETCH(QString, where);
        QFETCH(QString, keys);
        QFETCH(QString, expected);
        if (field == u"item_182"_s || field == u"new person"_s) {
            openOn({});
            const bool adding = field == u"new person"_s;
            typeBirth(personsOf(!adding, stored), adding, where, keys);
            QCOMPARE(m_log.texts(), QStringList{Messages::Texts::stored()});
            QCOMPARE(storedWithPython(u"cgwcr.DBF"_s, u"item_182"_s), expected);
            return;
        }
        openOn({{field, stored}});
        typeOnPageOf(field, where, keys);
        QCOMPARE(m_log.texts(), QStringList{Messages::Texts::stored()});
        QCOMPARE(storedWithPython(u"kjcg.DBF"_s, field), expected);
    }

private slots:
    // A date the field refuses, then a click straight on the save button:
    // the refusal's message alone, and the date stored before stays.
    void aRefusedDateStopsTheSave_data()
    {
        QTest::addColumn<QString>("field");
        QTest::addColumn<QString>("stored");
        QTest::addColumn<QString>("where");
        QTest::addColumn<QString>("keys");
        QTest::addColumn<QString>("message");
        QTest::newRow("登记日期") << u"item_121"_s << u"2025-06-15"_s << u"start"_s << u"2023.02.29"_s
                              << u"'2023.02.29'不是正确的时间格式！"_s;
        QTest::newRow("page 3 评价日期") << u"item_34"_s << u"2025.06.15"_s << u"middle"_s << u"2024.02.30"_s
                                     << u"'2024.02.30'不是正确的时间格式！"_s;
        QTest::newRow("page 3 评价日期, the day alone") << u"item_34"_s << u"2025.02.15"_s << u"end"_s
                                                  << u"31"_s << u"'2025.02.31'不是正确的时间格式！"_s;
        QTest::newRow("page 9 评价日期") << u"item_302"_s << u"2025.06.15"_s << u"start"_s << u"2023.02.29"_s
                                     << u"'2023.02.29'不是正确的时间格式！"_s;
        QTest::newRow("page 9 评价日期 before its span")
            << u"item_302"_s << u"2025.06.15"_s << u"start"_s << u"1949.12.31"_s
            << u"“评价日期”应在1950.01.01至2099.12.31之间！"_s;
    }
    void aRefusedDateStopsTheSave()
    {
        QFETCH(QString, field);
        QFETCH(QString, stored);
        QFETCH(QString, where);
        QFETCH(QString, keys);
        QFETCH(QString, message);
        openOn({{field, stored}});
        typeOnPageOf(field, where, keys);
        QCOMPARE(m_log.texts(), QStringList{message});
        QCOMPARE(storedWithPython(u"kjcg.DBF"_s, field), field == u"item_121"_s ? u"2025-06-15"_s : stored);
    }

    // The person dialog stays open with the entries as typed, and no person
    // is stored; one typed whole with a refused birth likewise.
    void aRefusedBirthKeepsTheDialogOpen()
    {
        openOn({});
        TFpage8 *persons = personsOf(false, QString());
        typeBirth(persons, true, u"start"_s, u"1975.13"_s, [&](TFinto8 *d) {
            QVERIFY(d->isVisible());
            QCOMPARE(d->edtry_180->text(), u"打字人"_s);
            QCOMPARE(m_log.texts(), QStringList{u"'1975.13'不是正确的时间格式！"_s});
            m_log.answers = {QMessageBox::No};
            d->Button2->click();
        });
        QCOMPARE(countRows(f.db(), u"cgwcr.DBF"_s), 0);

        m_log.clear();
        persons = personsOf(true, u"1960.05"_s);
        typeBirth(persons, false, u"start"_s, u"1850.01"_s, [&](TFinto8 *d) {
            QVERIFY(d->isVisible());
            QCOMPARE(m_log.texts(), QStringList{u"“出生年月”应在1900.01至2026.06之间！"_s});
            d->Button2->click();
        });
        QCOMPARE(storedWithPython(u"cgwcr.DBF"_s, u"item_182"_s), u"1960.05"_s);
    }

    // The birth ("yyyy.MM") typed whole after a click on any of its parts.
    void theTypedBirthIsStored_data()
    {
        QTest::addColumn<QString>("where");
        QTest::addColumn<QString>("keys");
        QTest::addColumn<QString>("expected");
        QTest::newRow("start") << u"start"_s << u"1975.03"_s << u"1975.03"_s;
        QTest::newRow("month part") << u"middle"_s << u"1975.03"_s << u"1975.03"_s;
        QTest::newRow("end") << u"end"_s << u"1975.03"_s << u"1975.03"_s;
        QTest::newRow("without the point") << u"middle"_s << u"196812"_s << u"1968.12"_s;
    }
    void theTypedBirthIsStored()
    {
        QFETCH(QString, where);
        QFETCH(QString, keys);
        QFETCH(QString, expected);
        openOn({});
        typeBirth(personsOf(false, QString()), true, where, keys);
        QCOMPARE(m_log.texts(), QStringList{Messages::Texts::stored()});
        QCOMPARE(storedWithPython(u"cgwcr.DBF"_s, u"item_182"_s), expected);
    }
};

QTEST_MAIN(TestDateTyping)
#include "tst_datetyping.moc"
