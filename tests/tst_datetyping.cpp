// Dates typed as the forms ask ("日期格式：YYYY.MM.DD"): real key events
// after a click at the start, in the middle and at the end of each date
// field of the pages and the person dialog, and into an emptied one; what
// is stored is read back by another dBase reader.
#include "records/pages/Finto8Unit.h"
#include "records/pages/Unitpage8.h"
#include "records/widgets/ByteLimitedEdit.h"
#include "records/widgets/ClearableDate.h"
#include "records/widgets/DateEntry.h"
#include "support/DbfReadBack.h"
#include "support/PagesFixture.h"

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
            QTest::mouseClick(saveOf(page), Qt::LeftButton);
            QCoreApplication::processEvents();
            quitOf(page)->click();
        }));
    }

private slots:
    void initTestCase() { f.buildOnce(); }
    void cleanup() { f.stop(); }

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
    void theTypedDateIsStored()
    {
        QFETCH(QString, field);
        QFETCH(QString, stored);
        QFETCH(QString, where);
        QFETCH(QString, keys);
        QFETCH(QString, expected);
        openOn({{field, stored}});
        TMainForm *main = f.main();
        if (field == u"item_121"_s) {
            typeOnPage<TFpage1>(
                main->btn_page01, [](TFpage1 *p) { return p->DTP_121; },
                [](TFpage1 *p) { return p->btnSave01; }, [](TFpage1 *p) { return p->quit01; }, where, keys);
        } else if (field == u"item_34"_s) {
            typeOnPage<TFpage3>(
                main->btn_page03, [](TFpage3 *p) { return p->date34; },
                [](TFpage3 *p) { return p->btnSave01; }, [](TFpage3 *p) { return p->quit01; }, where, keys);
        } else {
            typeOnPage<TFpage9>(
                main->btn_page09, [](TFpage9 *p) { return p->date302; },
                [](TFpage9 *p) { return p->btnSave01; }, [](TFpage9 *p) { return p->quit01; }, where, keys);
        }
        QCOMPARE(m_log.texts(), QStringList{Messages::Texts::stored()});
        QCOMPARE(storedWithPython(u"kjcg.DBF"_s, field), expected);
    }

    // A text that is no date is refused with a message, and the date shown
    // before is stored.
    void aTypedTextThatIsNoDateIsRefused()
    {
        openOn({{u"item_34"_s, u"2025.06.15"_s}});
        typeOnPage<TFpage3>(
            f.main()->btn_page03, [](TFpage3 *p) { return p->date34; },
            [](TFpage3 *p) { return p->btnSave01; }, [](TFpage3 *p) { return p->quit01; }, u"middle"_s,
            u"2024.02.30"_s);
        // The box comes once the click that left the date is done.
        QTest::qWait(50);
        QCOMPARE(m_log.texts(),
                 (QStringList{Messages::Texts::stored(), u"'2024.02.30'不是正确的时间格式！"_s}));
        QCOMPARE(storedWithPython(u"kjcg.DBF"_s, u"item_34"_s), u"2025.06.15"_s);
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
        auto *dialog = f.add(new TFinto8(f.main()));
        auto *persons = f.add(new TFpage8(f.main()));
        Q_UNUSED(dialog);
        persons->showRowsOf({Number, u"."_s});
        QVERIFY(PagesFixture::throughButton<TFinto8>(persons->addButton, [&](TFinto8 *d) {
            d->activateWindow();
            QVERIFY(QTest::qWaitForWindowActive(d));
            d->edtry_180->setText(u"打字人"_s);
            clickAt(d->dtpry_182->findChild<QLineEdit *>(), where);
            typeKeys(keys);
            QTest::mouseClick(d->Button1, Qt::LeftButton);
        }));
        QCOMPARE(m_log.texts(), QStringList{Messages::Texts::stored()});
        QCOMPARE(storedWithPython(u"cgwcr.DBF"_s, u"item_182"_s), expected);
    }
};

QTEST_MAIN(TestDateTyping)
#include "tst_datetyping.moc"
