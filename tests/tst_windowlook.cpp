// The windows as a user sees them on a desktop, under a window manager:
// opened again and again through their buttons (with the program's stacking
// of windows over their openers), each reopens where it opened the first
// time; the lists draw only their required columns' titles in maroon.
#include "records/forms/WindowStacking.h"
#include "records/pages/Finto8Unit.h"
#include "records/forms/ChildList.h"
#include "records/pages/Finto5Unit.h"
#include "records/pages/Finto7Unit.h"
#include "records/pages/Unitpage5.h"
#include "records/pages/Unitpage7.h"
#include "records/pages/Unitpage8.h"
#include "records/widgets/DropDownCombo.h"
#include "support/PagesFixture.h"

#include <QHeaderView>
#include <QTableView>
#include <QtTest>

namespace {

// The titles of the grid drawn in maroon, as the screen shows them: a title
// with a pixel far redder than it is green or blue.
QStringList maroonTitles(QTableView *grid)
{
    QHeaderView *titles = grid->horizontalHeader();
    const QImage image = titles->grab().toImage();
    QStringList marked;
    for (int section = 0; section < titles->count(); ++section) {
        if (titles->isSectionHidden(section))
            continue;
        const int from = titles->sectionViewportPosition(section);
        const int to = from + titles->sectionSize(section);
        bool red = false;
        for (int x = qMax(0, from); x < qMin(to, image.width()) && !red; ++x) {
            for (int y = 0; y < image.height() && !red; ++y) {
                const QColor c = image.pixelColor(x, y);
                red = c.red() - c.green() > 40 && c.red() - c.blue() > 40;
            }
        }
        if (red)
            marked << grid->model()->headerData(section, Qt::Horizontal).toString().trimmed();
    }
    return marked;
}

} // namespace

class TestWindowLook : public QObject
{
    Q_OBJECT

    PagesFixture f;
    BoxLog m_log;

    // Where the window stood (its inside's top-left corner, as the screen
    // shows it) at each of `times` openings through `open`.
    QList<QPoint> placesOf(const std::function<void()> &open, int times = 3)
    {
        QList<QPoint> places;
        for (int i = 0; i < times; ++i) {
            ModalHelper helper([&](QWidget *modal) {
                places << settledPlace(modal);
                if (auto *dialog = qobject_cast<QDialog *>(modal))
                    dialog->reject();
                else
                    modal->hide();
            }, 10000);
            open();
            if (!helper.ok())
                qWarning() << helper.error();
        }
        return places;
    }

    // Where the window's inside stands once the window manager has framed
    // and placed it and it has stood still for a while (the frame itself is
    // not always known to the program on a first opening).
    static QPoint settledPlace(QWidget *window)
    {
        (void)QTest::qWaitForWindowExposed(window);
        QRect last;
        for (int i = 0; i < 30 && window->geometry() != last; ++i) {
            last = window->geometry();
            QTest::qWait(200);
        }
        return last.topLeft();
    }

    // The main window on the screen, framed by the window manager: the
    // windows it opens are placed against it.
    void showMainFramed()
    {
        f.main()->show();
        QVERIFY(QTest::qWaitForWindowExposed(f.main()));
        QVERIFY2(QTest::qWaitFor([&] { return f.main()->frameGeometry() != f.main()->geometry(); }),
                 "no window manager frames the windows");
    }

    static QList<QPoint> firstPlace(const QList<QPoint> &places)
    {
        return QList<QPoint>(places.size(), places.value(0));
    }

private slots:
    void initTestCase()
    {
        f.buildOnce();
        WindowStacking::stackOverOpeners(*qApp);
    }
    void cleanup() { f.stop(); }

    // Page 8 marks 姓名 alone; the cooperating units and the committee mark
    // none of their titles.
    void listsMarkOnlyTheirRequiredTitles()
    {
        f.openOnRecord(u"2023000033"_s, u"1"_s, u"窗口项目"_s);
        ::addPerson(f.db(), u"2023000033"_s, u"."_s, u"张三"_s);
        f.add(new TFinto8(f.main()));
        auto *persons = f.add(new TFpage8(f.main()));
        f.add(new TFinto5(f.main()));
        auto *units = f.add(new TFpage5(f.main()));
        f.add(new TFinto7(f.main()));
        auto *committee = f.add(new TFpage7(f.main()));
        for (ChildListWindow *list : {static_cast<ChildListWindow *>(persons),
                                      static_cast<ChildListWindow *>(units),
                                      static_cast<ChildListWindow *>(committee)}) {
            list->showRowsOf({u"2023000033"_s, u"."_s});
            list->show();
            QVERIFY(QTest::qWaitForWindowExposed(list));
        }
        QCOMPARE(maroonTitles(persons->grid), QStringList{u"姓名"_s});
        QCOMPARE(maroonTitles(units->grid), QStringList());
        QCOMPARE(maroonTitles(committee->grid), QStringList());
        for (QWidget *list : {static_cast<QWidget *>(persons), static_cast<QWidget *>(units),
                              static_cast<QWidget *>(committee)})
            list->hide();
    }

    void aWindowReopensWhereItOpened_data()
    {
        QTest::addColumn<QString>("window");
        QTest::newRow("page 1") << u"page 1"_s;
        QTest::newRow("page 2") << u"page 2"_s;
        QTest::newRow("page 8") << u"page 8"_s;
        QTest::newRow("new-record dialog") << u"new record"_s;
    }
    void aWindowReopensWhereItOpened()
    {
        QFETCH(QString, window);
        // An empty list leaves "新增" open; a record's pages need a record.
        if (window == u"new record"_s) {
            f.open();
            f.showList();
        } else {
            f.openOnRecord(u"2023000031"_s, u"1"_s, u"窗口项目"_s);
        }
        f.add(new TFinto8(f.main()));
        f.add(new TFpage8(f.main()));
        showMainFramed();
        QPushButton *button = window == u"page 1"_s   ? f.main()->btn_page01
                              : window == u"page 2"_s ? f.main()->btn_page02
                              : window == u"page 8"_s ? f.main()->btn_page08
                                                      : f.main()->Button1;
        const QList<QPoint> places = placesOf([&] { button->click(); });
        QCOMPARE(places.size(), 3);
        QCOMPARE(places, firstPlace(places));
    }

    // The chooser opened from page 1, the page standing open all along.
    void theChooserReopensWhereItOpened()
    {
        f.openOnRecord(u"2023000032"_s, u"1"_s, u"窗口项目"_s);
        showMainFramed();
        QList<QPoint> places;
        ModalHelper page1([&](QWidget *modal) {
            auto *page = qobject_cast<TFpage1 *>(modal);
            places = placesOf([&] { page->cb_15->showPopup(); });
            page->hide();
        }, 30000);
        f.main()->btn_page01->click();
        QVERIFY2(page1.ok(), qPrintable(page1.error()));
        QCOMPARE(places.size(), 3);
        QCOMPARE(places, firstPlace(places));
    }
};

QTEST_MAIN(TestWindowLook)
#include "tst_windowlook.moc"
