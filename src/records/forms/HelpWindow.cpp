#include "HelpWindow.h"

#include "records/forms/AppContext.h"
#include <memory>

#include "records/forms/Unit2.h"
#include "records/forms/yyPrintUnit13.h"

#include <QFile>
#include <QHBoxLayout>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QVBoxLayout>

namespace {

QString readGuide(const QString &resourcePath)
{
    QFile file(resourcePath);
    if (!file.open(QIODevice::ReadOnly))
        return {};
    return QString::fromUtf8(file.readAll());
}

} // namespace

HelpWindow::HelpWindow(const QString &resourcePath, QWidget *parent)
    : QDialog(parent),
      Memo1(new QPlainTextEdit(this)),
      Button1(new QPushButton(QStringLiteral("返回"), this))
{
    setWindowTitle(QStringLiteral("帮助信息"));
    Memo1->setObjectName(QStringLiteral("Memo1"));
    Memo1->setReadOnly(true);
    Memo1->setLineWrapMode(QPlainTextEdit::NoWrap);
    Memo1->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    Memo1->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    Memo1->setFixedHeight(286);
    Memo1->setPlainText(readGuide(resourcePath));
    Button1->setObjectName(QStringLiteral("Button1"));

    auto *buttonRow = new QHBoxLayout;
    buttonRow->addStretch();
    buttonRow->addWidget(Button1);
    buttonRow->addStretch();
    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(Memo1);
    layout->addStretch();
    layout->addLayout(buttonRow);
    layout->addStretch();

    connect(Button1, &QPushButton::clicked, this, &HelpWindow::Button1Click);
}

void HelpWindow::Button1Click()
{
    accept();
}

void ShowHelpFor(const AppContext *context, int categoryIndex)
{
    HelpWindow *window = nullptr;
    std::unique_ptr<HelpWindow> ownWindow;
    if (categoryIndex == 0) {
        window = context ? context->window<THelpForm>() : nullptr;
        if (!window)
            window = (ownWindow = std::make_unique<THelpForm>()).get();
    } else {
        window = context ? context->window<THelpForm_rj>() : nullptr;
        if (!window)
            window = (ownWindow = std::make_unique<THelpForm_rj>()).get();
    }
    window->exec();
}
