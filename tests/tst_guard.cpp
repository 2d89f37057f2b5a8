// The one error path: whatever a handler or an event lets escape (out of
// memory, a broken rule, something that is not even a standard exception)
// is shown in the program's box captioned "提示", and the window and the
// event loop go on. Runs under the program's own application object.
#include "exchange/Unitin.h"
#include "exchange/formatitem4.h"
#include "records/widgets/GuardedApplication.h"
#include "support/BoxLog.h"
#include "support/ImportData.h"
#include "support/PagesFixture.h"

#include <QDialog>
#include <QPushButton>
#include <QTimer>
#include <QVBoxLayout>
#include <QtTest>
#include <new>
#include <optional>
#include <stdexcept>

namespace {

using Raise = void (*)();

const QString NoMemory = u"内存不足，操作没有完成。"_s;
const QString Internal = u"程序内部出错，操作没有完成"_s;

} // namespace

Q_DECLARE_METATYPE(Raise)

class TestGuard : public QObject
{
    Q_OBJECT

    PagesFixture f;
    std::optional<BoxLog> m_boxes;
    TFormin *form = nullptr;

    void expectErrorBox(const QString &text)
    {
        QVERIFY2(!m_boxes->boxes.isEmpty(), "no box");
        QCOMPARE(m_boxes->lastCaption(), u"提示"_s);
        QVERIFY2(m_boxes->last().startsWith(text), qPrintable(m_boxes->last()));
    }

private slots:
    void initTestCase() { f.buildOnce(); }
    void init()
    {
        m_boxes.emplace();
        f.open();
        form = f.add(new TFormin(f.main()));
        f.add(new Tformformat(f.main()));
        form->FormShow();
    }
    void cleanup()
    {
        form = nullptr;
        f.stop();
        m_boxes.reset();
    }

    void handlersThatThrowShowTheBoxAndGoOn_data()
    {
        QTest::addColumn<Raise>("raise");
        QTest::addColumn<QString>("text");
        QTest::newRow("out of memory") << Raise([] { throw std::bad_alloc(); }) << NoMemory;
        QTest::newRow("broken rule") << Raise([] { throw std::logic_error("规则被破坏"); })
                                     << Internal + u"：\n规则被破坏"_s;
        QTest::newRow("not an exception") << Raise([] { throw 42; }) << Internal;
    }

    // The import window's commands, the year dialog and the main window's
    // import button, each made to throw by what it calls.
    void handlersThatThrowShowTheBoxAndGoOn()
    {
        QFETCH(Raise, raise);
        QFETCH(QString, text);
        form->setFileChooser([raise](QWidget *, const QString &) -> QString {
            raise();
            return {};
        });
        form->Button1Click();
        expectErrorBox(text);
        form->Button2Click();
        expectErrorBox(text);

        // The window goes on: the next choice is handled as ever.
        form->setFileChooser([](QWidget *, const QString &) { return u"/nowhere/OTHER.ARJ"_s; });
        form->Button1Click();
        QCOMPARE(m_boxes->last(), u"请选择正确导入包,名字是CGSBQY.ARJ!"_s);

        // A question that fails to be asked.
        auto *year = f.main()->findChild<Tformformat *>();
        QVERIFY(year);
        Table staged(f.db(), u"kjcg.DBF"_s);
        addAchievement(f.db(), u"2019000001"_s, u"1"_s, u"有一条成果"_s);
        staged.open();
        year->setStaged(&staged);
        int asked = 0;
        Messages::setAnswerer([&](const Messages::Request &request) {
            m_boxes->boxes << request;
            if (++asked == 1)
                raise();
            return QMessageBox::No;
        });
        year->btnsaveClick();
        expectErrorBox(text);
        year->btnsaveClick();
        QCOMPARE(m_boxes->last(), u"确定要更改成果年份吗？"_s);
    }

    // The program's application object catches what escapes any slot a
    // click or a timer runs, inside a modal dialog's own loop too.
    void eventsThatThrowShowTheBoxAndGoOn()
    {
        QWidget window;
        auto *button = new QPushButton(u"按钮"_s, &window);
        button->resize(80, 30);
        int clicks = 0;
        connect(button, &QPushButton::clicked, [&clicks] {
            if (++clicks == 1)
                throw std::bad_alloc();
            throw std::logic_error("坏了");
        });
        window.show();
        QVERIFY(QTest::qWaitForWindowExposed(&window));
        QTest::mouseClick(button, Qt::LeftButton);
        expectErrorBox(NoMemory);
        QTest::mouseClick(button, Qt::LeftButton);
        expectErrorBox(Internal);
        QCOMPARE(clicks, 2);

        QTimer::singleShot(0, [] { throw 7; });
        QTRY_COMPARE(m_boxes->boxes.size(), 3);
        expectErrorBox(Internal);

        QDialog dialog(&window);
        auto *inner = new QPushButton(u"内部"_s, &dialog);
        inner->resize(80, 30);
        connect(inner, &QPushButton::clicked, [] { throw std::logic_error("对话框里"); });
        bool stillOpen = false;
        QTimer::singleShot(50, &dialog, [&] {
            QTest::mouseClick(inner, Qt::LeftButton);
            stillOpen = dialog.isVisible();
            dialog.reject();
        });
        QCOMPARE(dialog.exec(), int(QDialog::Rejected));
        QVERIFY(stillOpen);
        expectErrorBox(Internal + u"：\n对话框里"_s);
    }
};

int main(int argc, char *argv[])
{
    GuardedApplication app(argc, argv);
    app.setAttribute(Qt::AA_Use96Dpi, true);
    TestGuard test;
    QTEST_SET_MAIN_SOURCE_PATH
    return QTest::qExec(&test, argc, argv);
}

#include "tst_guard.moc"
