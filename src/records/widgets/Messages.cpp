#include "Messages.h"

#include "records/widgets/AppInfo.h"

#include <QGridLayout>
#include <QScopeGuard>
#include <QScreen>
#include <QScrollBar>
#include <QSpacerItem>
#include <QTextDocument>
#include <QTextEdit>
#include <QtMath>

namespace Messages {
namespace {
Answerer &answerer()
{
    static Answerer instance;
    return instance;
}
}

// Room the window manager's frame takes beside the caption: icon and buttons.
constexpr int CaptionFrame = 120;
// Width of the details list: a refused record and its reason on one or two
// lines.
constexpr int DetailsWidth = 640;

int &openBoxes()
{
    static int count = 0;
    return count;
}

QMessageBox::StandardButton show(QWidget *parent, const Request &request)
{
    ++openBoxes();
    const auto closed = qScopeGuard([] { --openBoxes(); });
    if (answerer())
        return answerer()(request);
    QMessageBox box(request.icon, request.caption, request.text, request.buttons, parent);
    box.setDetailedText(request.details);
    fitCaption(box);
    fitDetails(box);
    return static_cast<QMessageBox::StandardButton>(box.exec());
}

QMessageBox::StandardButton show(QWidget *parent, const QString &caption, const QString &text,
                                 QMessageBox::Icon icon, QMessageBox::StandardButtons buttons)
{
    return show(parent, Request{caption, text, icon, buttons});
}

void fitCaption(QMessageBox &box)
{
    auto *grid = qobject_cast<QGridLayout *>(box.layout());
    if (!grid)
        return;
    const int width = box.fontMetrics().horizontalAdvance(box.windowTitle()) + CaptionFrame;
    grid->addItem(new QSpacerItem(width, 0, QSizePolicy::Minimum, QSizePolicy::Fixed),
                  grid->rowCount(), 0, 1, grid->columnCount());
}

void fitDetails(QMessageBox &box)
{
    auto *edit = box.findChild<QTextEdit *>();
    if (!edit || edit->document()->isEmpty())
        return;
    const QScreen *screen = box.screen();
    const QRect room = screen ? screen->availableGeometry() : QRect(0, 0, 1024, 768);
    const int width = qMin(DetailsWidth, room.width() * 3 / 4);
    const int frame = 2 * edit->frameWidth();
    edit->setMinimumWidth(width);
    QTextDocument measure;
    measure.setDefaultFont(edit->font());
    measure.setPlainText(edit->toPlainText());
    measure.setTextWidth(width - frame - edit->verticalScrollBar()->sizeHint().width());
    const int whole = qCeil(measure.size().height()) + frame;
    edit->setFixedHeight(qMin(whole, room.height() / 2));
}

void ShowWarning(QWidget *parent, const QString &message, const QString &details)
{
    show(parent, Request{AppInfo::productName(), message, QMessageBox::Warning, QMessageBox::Ok, details});
}

void ShowError(QWidget *parent, const QString &message)
{
    show(parent, QStringLiteral("提示"), message, QMessageBox::NoIcon);
}

void ShowErrorBox(const QString &message)
{
    ShowError(nullptr, message);
}

bool boxShowing()
{
    return openBoxes() > 0;
}

void setAnswerer(Answerer a) { answerer() = std::move(a); }

namespace Texts {
QString stored() { return QStringLiteral("存储成功！"); }
QString leaveQuestion() { return QStringLiteral("记录已经更改,是否保存？"); }
QString deleteItemQuestion() { return QStringLiteral("是否删除该项目？!"); }
QString nameRequired() { return QStringLiteral("姓名不能为空！"); }
QString sexRequired() { return QStringLiteral("性别不能为空！"); }
QString badTimeReplaced() { return QStringLiteral("不是正确的时间格式！现在已经更换。"); }
QString selectAllQuestion() { return QStringLiteral("请选择您要导出的项目，是否全部选择？"); }
} // namespace Texts

} // namespace Messages

#include "records/widgets/Abort.h"

#include "errors/UserError.h"

#include <cstdio>
#include <exception>
#include <new>

namespace Guard {
QString unexpectedText(const char *what)
{
    const QString detail = what ? QString::fromLocal8Bit(what) : QString();
    if (detail.isEmpty())
        return QStringLiteral("程序内部出错，操作没有完成。");
    return QStringLiteral("程序内部出错，操作没有完成：\n") + detail;
}

QString currentText()
{
    try {
        throw;
    } catch (const Abort &) {
        return {};
    } catch (const UserError &e) {
        return e.message();
    } catch (const std::bad_alloc &) {
        return QStringLiteral("内存不足，操作没有完成。");
    } catch (const std::exception &e) {
        return unexpectedText(e.what());
    } catch (...) {
        return unexpectedText(nullptr);
    }
}

void showCurrent(QWidget *parent)
{
    QString text;
    try {
        text = currentText();
        if (!text.isEmpty())
            Messages::ShowError(parent, text);
    } catch (...) {
        std::fputs(text.isEmpty() ? "Dravik: an error could not be shown\n"
                                  : (text + QLatin1Char('\n')).toLocal8Bit().constData(),
                   stderr);
    }
}
} // namespace Guard
