// The entry widgets the pages are built from: byte-limited edits, GBK memos,
// money edits, the clearable date, option groups and the chooser combo.

#include "engine/GbkText.h"
#include "support/BoxLog.h"
#include "support/StandingClock.h"
#include "records/widgets/Messages.h"
#include "records/widgets/ByteLimitedEdit.h"
#include "records/widgets/ClearableDate.h"
#include "records/widgets/DateEntry.h"
#include "records/widgets/DigitInput.h"
#include "records/widgets/GbkMemo.h"
#include "records/widgets/MoneyEdit.h"
#include "records/widgets/OptionGroup.h"

#include <QCheckBox>
#include <QDateEdit>
#include <QHBoxLayout>
#include <QLabel>
#include <QRadioButton>
#include <QScopeGuard>
#include <QScrollBar>
#include <QSignalSpy>
#include <QTextEdit>
#include <QTimer>
#include <QtTest>

namespace {

QString repeated(const QString &piece, int times)
{
    QString s;
    for (int i = 0; i < times; ++i)
        s += piece;
    return s;
}

// Types each character as a key press carrying that text (keyClicks takes
// ASCII only).
void typeText(QWidget *widget, const QString &text)
{
    for (const QChar c : text) {
        QKeyEvent press(QEvent::KeyPress, 0, Qt::NoModifier, QString(c));
        QApplication::sendEvent(widget, &press);
    }
}

const QString NotInGbk = QString::fromUcs4(U"\U00020000"); // CJK extension B

} // namespace

class TestWidgets : public QObject
{
    Q_OBJECT

private:
    BoxLog m_log;
    QList<Messages::Request> &m_boxes = m_log.boxes;

    void settle() { QCoreApplication::processEvents(); }

private slots:
    void init() { m_log.clear(); m_log.answer = QMessageBox::Ok; }

    // The texts several windows share are written once; their wording is
    // the one users know.
    void sharedTextsKeepTheirWording()
    {
        QCOMPARE(Messages::Texts::stored(), QStringLiteral("存储成功！"));
        QCOMPARE(Messages::Texts::leaveQuestion(), QStringLiteral("记录已经更改,是否保存？"));
        QCOMPARE(Messages::Texts::deleteItemQuestion(), QStringLiteral("是否删除该项目？!"));
        QCOMPARE(Messages::Texts::nameRequired(), QStringLiteral("姓名不能为空！"));
        QCOMPARE(Messages::Texts::sexRequired(), QStringLiteral("性别不能为空！"));
        QCOMPARE(Messages::Texts::badTimeReplaced(), QStringLiteral("不是正确的时间格式！现在已经更换。"));
        QCOMPARE(Messages::Texts::selectAllQuestion(), QStringLiteral("请选择您要导出的项目，是否全部选择？"));
    }

    // A box with a short text is still wide enough for the frame to show
    // its caption beside the frame's own buttons.
    void shortBoxKeepsItsCaptionWhole_data()
    {
        QTest::addColumn<QString>("caption");
        QTest::addColumn<QString>("text");
        QTest::newRow("status") << QStringLiteral("状态！") << QStringLiteral("排重已经完成！");
        QTest::newRow("product") << QStringLiteral("Dravik") << QStringLiteral("导入完毕！");
    }

    void shortBoxKeepsItsCaptionWhole()
    {
        QFETCH(QString, caption);
        QFETCH(QString, text);
        QMessageBox box(QMessageBox::Warning, caption, text, QMessageBox::Ok);
        Messages::fitCaption(box);
        box.show();
        settle();
        QVERIFY2(box.width() >= box.fontMetrics().horizontalAdvance(caption) + 100,
                 qPrintable(QString::number(box.width())));
        box.close();
    }

    // The records a store refused, each with its reason, are read whole in
    // the box once its details are shown; a list taller than the screen
    // allows scrolls inside a box that still fits on the screen.
    void refusedListReadsWholeInTheDetails_data()
    {
        QTest::addColumn<int>("records");
        QTest::addColumn<bool>("whole");
        QTest::newRow("eight refused") << 8 << true;
        QTest::newRow("two hundred refused") << 200 << false;
    }

    void refusedListReadsWholeInTheDetails()
    {
        QFETCH(int, records);
        QFETCH(bool, whole);
        const QStringList titles = {QStringLiteral("农作物病虫害智能监测与预警系统研究"),
                                    QStringLiteral("高速铁路桥梁健康监测关键技术研究及工程示范"),
                                    QStringLiteral("城市轨道交通列车运行控制系统国产化"),
                                    QStringLiteral("海洋石油平台腐蚀防护新材料应用研究")};
        QStringList refused;
        for (int i = 0; i < records; ++i) {
            const QString number = QStringLiteral("abcd%1").arg(i, 6, 10, QLatin1Char('0'));
            refused << QStringLiteral("成果“%1”（登记号%2）未能入库：登记号“%2”不是正确的格式，无法编号。")
                           .arg(titles[i % titles.size()], number);
        }
        Messages::setAnswerer({});
        const auto answerAgain = qScopeGuard([this] { m_log.install(); });
        int hiddenBelow = -1;
        bool shown = false;
        bool onScreen = false;
        QTimer::singleShot(100, [&] {
            auto *box = qobject_cast<QMessageBox *>(QApplication::activeModalWidget());
            if (!box)
                return;
            for (QAbstractButton *button : box->buttons()) {
                if (box->buttonRole(button) == QMessageBox::ActionRole)
                    button->click();
            }
            settle();
            auto *details = box->findChild<QTextEdit *>();
            shown = details && details->isVisible();
            if (details)
                hiddenBelow = details->verticalScrollBar()->maximum();
            onScreen = box->frameGeometry().height() <= box->screen()->availableGeometry().height();
            box->done(QMessageBox::Ok);
        });
        Messages::ShowWarning(nullptr, QStringLiteral("入库完毕!"), refused.join(QLatin1Char('\n')));
        QVERIFY(shown);
        QVERIFY(onScreen);
        if (whole)
            QCOMPARE(hiddenBelow, 0);
        else
            QVERIFY(hiddenBelow > 0);
    }

    void byteLimitStopsTypingAtTheFieldWidth()
    {
        ByteLimitedEdit edit(140);
        edit.show();
        typeText(&edit, repeated("汉", 80));
        QCOMPARE(edit.text(), repeated("汉", 70));
        QCOMPARE(GbkText::byteLength(edit.text()), 140);

        // One byte left: a Chinese character does not fit and is not split.
        edit.setText(repeated("a", 139));
        typeText(&edit, "汉");
        QCOMPARE(edit.text(), repeated("a", 139));
        QTest::keyClicks(&edit, "b");
        QCOMPARE(edit.text(), repeated("a", 139) + "b");
        QVERIFY(m_boxes.isEmpty());
    }

    void byteLimitCutsPasteOnCharacterBoundaries()
    {
        ByteLimitedEdit edit(10);
        edit.setText("ab");
        edit.selectAll();
        edit.insert("abc" + repeated("中", 6)); // 15 bytes
        QCOMPARE(edit.text(), "abc" + repeated("中", 3)); // 9: the 4th would need 11

        // A paste in the middle keeps both ends and takes what fits.
        edit.setText("ab");
        edit.setCursorPosition(1);
        edit.insert(repeated("国", 10));
        QCOMPARE(edit.text(), "a" + repeated("国", 4) + "b");
        QCOMPARE(edit.cursorPosition(), 5);

        // Typing into a full field changes nothing.
        edit.setText(repeated("国", 5));
        edit.setCursorPosition(2);
        QTest::keyClicks(&edit, "x");
        QCOMPARE(edit.text(), repeated("国", 5));

        // A stored text longer than the limit is shown whole: the user may
        // shorten it, never lengthen it, and a new limit leaves it as it is.
        const QString stored = "abc" + repeated("中", 6);
        edit.setText(stored);
        QCOMPARE(edit.text(), stored);
        edit.end(false);
        QTest::keyClicks(&edit, "x");
        QCOMPARE(edit.text(), stored);
        QTest::keyClick(&edit, Qt::Key_Backspace);
        QCOMPARE(edit.text(), "abc" + repeated("中", 5));
        edit.setMaxBytes(4);
        QCOMPARE(edit.text(), "abc" + repeated("中", 5));
        edit.selectAll();
        edit.insert(repeated("国", 5));
        QCOMPARE(edit.text(), repeated("国", 2));
    }

    void byteLimitRefusesCharactersGbkCannotHold()
    {
        ByteLimitedEdit edit(20);
        edit.setText("ab");
        edit.setCursorPosition(2);
        edit.insert("c" + NotInGbk + "d");
        QCOMPARE(edit.text(), QString("abcd"));
        settle();
        QCOMPARE(m_boxes.size(), 1);
        QVERIFY(m_boxes.at(0).text.contains(NotInGbk));
        QCOMPARE(m_boxes.at(0).caption, QString("Dravik"));
    }

    void memoDropsCharactersGbkCannotHold()
    {
        GbkMemo memo;
        memo.setPlainText("第一行\n" + NotInGbk + "第二行" + NotInGbk);
        QCOMPARE(memo.toPlainText(), QString("第一行\n第二行"));
        memo.moveCursor(QTextCursor::End);
        memo.insertPlainText("\t尾" + NotInGbk);
        QCOMPARE(memo.toPlainText(), QString("第一行\n第二行\t尾"));
        settle();
        QCOMPARE(m_boxes.size(), 2);
        QVERIFY(m_boxes.at(0).text.contains(NotInGbk + NotInGbk));

        m_boxes.clear();
        memo.setPlainText(repeated("很长的备注文字。\n", 2000)); // unbounded, all GBK
        settle();
        QVERIFY(m_boxes.isEmpty());
        QCOMPARE(memo.toPlainText().size(), 2000 * 9);
    }

    void moneyEditZeroesWhatIsNotANumber()
    {
        MoneyEdit edit;
        edit.setAllowPoint(true);
        edit.setWarningPrefix("“国家投入”:");
        QSignalSpy changed(&edit, &MoneyEdit::amountChanged);
        // The edit was zeroed after exactly one warning about the text.
        const auto zeroedAfter = [&](const QString &text) {
            return edit.text() == "0" && m_boxes.size() == 1
                && m_boxes.at(0).text == "“国家投入”:" + text + " 不是正确的数据格式！现在已经置零";
        };

        edit.setText("1.2.3");
        QVERIFY(zeroedAfter("1.2.3"));
        QCOMPARE(m_boxes.at(0).caption, QString("Dravik"));
        QVERIFY(changed.count() >= 1);

        // A point typed first is how ".5" begins: no warning while typing.
        m_boxes.clear();
        edit.clear();
        QTest::keyClicks(&edit, ".");
        QCOMPARE(edit.text(), QString("."));
        QCOMPARE(edit.amount(), 0.0);
        QTest::keyClicks(&edit, "5");
        QCOMPARE(edit.amount(), 0.5);
        edit.clear();
        QTest::keyClicks(&edit, "1.");
        QCOMPARE(edit.text(), QString("1."));
        QVERIFY(m_boxes.isEmpty());
        // A second point can never make a number.
        QTest::keyClicks(&edit, ".");
        QVERIFY(zeroedAfter("1.."));
        // Leaving the edit with a lone point is the end of typing.
        m_boxes.clear();
        edit.clear();
        QTest::keyClicks(&edit, ".");
        QVERIFY(m_boxes.isEmpty());
        QTest::keyClick(&edit, Qt::Key_Return);
        QVERIFY(zeroedAfter("."));

        m_boxes.clear();
        edit.clear();
        QTest::keyClicks(&edit, "12.5");
        QCOMPARE(edit.text(), QString("12.5"));
        QCOMPARE(edit.amount(), 12.5);
        QCOMPARE(edit.storedValue(), QVariant(12.5));
        QVERIFY(m_boxes.isEmpty());

        edit.clear();
        QVERIFY(edit.storedValue().isNull());
        QCOMPARE(edit.amount(), 0.0);
    }

    void moneyEditWithoutPointTakesDigitsOnly()
    {
        MoneyEdit edit;
        edit.setMaxTypedLength(7);
        QTest::keyClicks(&edit, "12a.5x67890");
        QCOMPARE(edit.text(), QString("1256789"));
        // A stored amount is shown whole, whatever the typing limit.
        edit.setAllowPoint(true);
        edit.setText("1234567890.123456");
        QCOMPARE(edit.text(), QString("1234567890.123456"));
        edit.setAllowPoint(false);
        QVERIFY(m_boxes.isEmpty());
        edit.setText("3 4"); // set by code (a bad paste): reported without a prefix
        QCOMPARE(edit.text(), QString("0"));
        QCOMPARE(m_boxes.at(0).text, QString("3 4 不是正确的数据格式！现在已经置零"));

        QLineEdit postcode;
        AcceptOnlyDigits(&postcode);
        QTest::keyClicks(&postcode, "10-0081");
        QCOMPARE(postcode.text(), QString("100081"));
    }

    void clearableDateKeepsEmptyOrDottedDate()
    {
        const StandingClock clock(QDate(2028, 2, 29));
        ClearableDate date;
        date.setPartNames("DTP_34", "CheckBox_34", "edt_34");
        date.show();
        QVERIFY(date.setDotText(""));
        QVERIFY(date.isCleared());
        QVERIFY(!date.findChild<QDateEdit *>("DTP_34")->isVisible());
        QVERIFY(date.findChild<QLineEdit *>("edt_34")->isVisible());
        QCOMPARE(date.dotText(), QString());

        QVERIFY(date.setDotText("2006.05.17"));
        QVERIFY(!date.isCleared());
        QVERIFY(date.picker()->isVisible());
        QCOMPARE(date.date(), QDate(2006, 5, 17));
        QCOMPARE(date.dotText(), QString("2006.05.17"));

        // A text that is no date: the page warns, and the text is kept as
        // stored (shown in the empty field, "清空" ticked), never replaced by
        // the date the picker showed for the record before.
        QVERIFY(!date.setDotText("2006.13.40"));
        QVERIFY(!date.setDotText("abcd.ef.gh"));
        QCOMPARE(date.dotText(), QString("abcd.ef.gh"));
        QVERIFY(date.isCleared());
        QCOMPARE(date.emptyField()->text(), QString("abcd.ef.gh"));
        QCOMPARE(date.date(), QDate(2028, 2, 29));
        // Old and far dates are shown as they are, never moved into the
        // picker's span; one outside it is kept like a text that is no date.
        QVERIFY(date.setDotText("1900.03.04"));
        QCOMPARE(date.dotText(), QString("1900.03.04"));
        QVERIFY(date.emptyField()->text().isEmpty());
        QVERIFY(date.setDotText("2099.12.31"));
        QCOMPARE(date.dotText(), QString("2099.12.31"));
        QVERIFY(!date.setDotText("1899.12.31"));
        QVERIFY(!date.setDotText("2100.01.01"));
        QCOMPARE(date.dotText(), QString("2100.01.01"));
        // Unticking "清空" is picking a date: the kept text goes.
        date.clearBox()->click();
        QCOMPARE(date.dotText(), QString("2028.02.29"));
        QVERIFY(date.setDotText("2006.05.17"));

        date.setCleared(true);
        QTest::mouseClick(date.emptyField(), Qt::LeftButton);
        QVERIFY(!date.isCleared());
        QVERIFY(date.picker()->isVisible());
        QCOMPARE(date.dotText(), QString("2006.05.17"));
    }

    // Ticking or unticking "清空" leaves the field, the box and the hint
    // after them where they were: the next click lands where the user saw
    // the field, not on the picker's arrow.
    void clearableDateKeepsItsPlaceWhenCleared()
    {
        QWidget row;
        auto *layout = new QHBoxLayout(&row);
        layout->addWidget(new QLabel(QStringLiteral("评价日期"), &row));
        auto *date = new ClearableDate(&row);
        layout->addWidget(date);
        auto *hint = new QLabel(QStringLiteral("（日期格式：YYYY.MM.DD）"), &row);
        layout->addWidget(hint);
        layout->addStretch(1);
        QVERIFY(date->setDotText(QStringLiteral("2025.03.31")));
        row.resize(700, 40);
        row.show();
        settle();
        const QRect field = date->picker()->geometry();
        const int boxAt = date->clearBox()->x();
        const int hintAt = hint->x();

        date->clearBox()->click();
        settle();
        QCOMPARE(date->emptyField()->x(), field.x());
        QCOMPARE(date->emptyField()->width(), field.width());
        QCOMPARE(date->clearBox()->x(), boxAt);
        QCOMPARE(hint->x(), hintAt);

        date->clearBox()->click();
        settle();
        QCOMPARE(date->picker()->geometry(), field);
        QCOMPARE(date->clearBox()->x(), boxAt);
    }

    // While a date is typed the field shows the keys as they were typed,
    // a day the month lacks included, and the date does not move under
    // them: the refusal names the text the user saw.
    void dateEntryShowsTheDayAsTyped()
    {
        DateEntry entry;
        entry.setDisplayFormat("yyyy.MM.dd");
        entry.showDate(QDate(2024, 5, 6));
        entry.show();
        entry.activateWindow();
        entry.setFocus();
        QVERIFY(QTest::qWaitForWindowActive(&entry));
        entry.setSelectedSection(QDateTimeEdit::YearSection);
        QSignalSpy moved(&entry, &QDateEdit::dateChanged);
        QTest::keyClicks(&entry, "2023.02.29");
        QCOMPARE(entry.findChild<QLineEdit *>()->text(), QString("2023.02.29"));
        settle();
        QCOMPARE(entry.findChild<QLineEdit *>()->text(), QString("2023.02.29"));
        QCOMPARE(moved.count(), 0);
        QCOMPARE(entry.date(), QDate(2024, 5, 6));

        QVERIFY(!entry.settleTyping());
        settle();
        QCOMPARE(m_boxes.size(), 1);
        QCOMPARE(m_boxes.at(0).text, QString("'2023.02.29'不是正确的时间格式！"));
        QCOMPARE(entry.date(), QDate(2024, 5, 6));
        QCOMPARE(entry.findChild<QLineEdit *>()->text(), QString("2024.05.06"));
    }

    void optionGroupHelpers()
    {
        QWidget panel;
        auto *a = new QCheckBox(&panel), *b = new QCheckBox(&panel);
        auto *r1 = new QRadioButton(&panel), *r2 = new QRadioButton(&panel);
        a->setObjectName("cb_125_01");
        b->setObjectName("cb_125_03");
        r1->setObjectName("rb_160_11");
        r2->setObjectName("rb_160_12");
        QCOMPARE(OptionBoxesOf(&panel).size(), 4);

        KeepOneCheckBoxTicked(&panel);
        a->setChecked(true);
        b->setChecked(true);
        QVERIFY(!a->isChecked() && b->isChecked());

        r1->setChecked(true);
        SetOptionTicked(r1, false); // an exclusive radio can be unticked
        QVERIFY(!r1->isChecked());
        r2->setChecked(true);
        SetRadioButtonsEnabled(&panel, false);
        QVERIFY(!r2->isChecked() && !r2->isEnabled() && b->isEnabled());
        SetRadioButtonsEnabled(&panel, true);
        QVERIFY(r2->isEnabled());
    }
};

QTEST_MAIN(TestWidgets)
#include "tst_widgets.moc"
