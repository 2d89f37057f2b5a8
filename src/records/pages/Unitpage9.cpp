#include "Unitpage9.h"

#include "records/pages/PageControls.h"
#include "records/widgets/Messages.h"
#include "records/widgets/ByteLimitedEdit.h"
#include "records/widgets/ClearableDate.h"
#include "records/widgets/GbkMemo.h"

#include <QDateEdit>
#include <QHBoxLayout>
#include <QLabel>
#include <QTabWidget>
#include <QVBoxLayout>


namespace {
// The evaluation dates of the certificate start with the forms of 1950.
const QDate EarliestEvaluation(1950, 1, 1);
} // namespace

TFpage9::TFpage9(QWidget *parent)
    : SectionPage(QStringLiteral("Fpage9"), QStringLiteral("btn_page09"), parent)
{
    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(8, 6, 8, 6);
    layout->setSpacing(6);
    layout->addWidget(MakeTitlePanel(QStringLiteral("鉴 定 证 书 内 容"), this));
    layout->addWidget(buildFields());
    layout->addWidget(buildMemos(), 1);
    layout->addWidget(makeButtonBar(QStringLiteral("存储"), QStringLiteral("Button2"),
                                    QStringLiteral("Button1")));
    setChecksOnLeave(false);

    using namespace PageBindings;
    bind(text(QStringLiteral("item_301"), Edt_301));
    bind(clearableDate(QStringLiteral("item_302"), date302, &TFpage9::badDateMessage));
    bind(memo(QStringLiteral("item_13_2"), Mo_13_2));
    bind(memo(QStringLiteral("item_13_3"), Mo_13_3));
    bind(memo(QStringLiteral("item_133"), Mo_133));
    bind(memo(QStringLiteral("item_303"), Mo_303));
}

QString TFpage9::badDateMessage(const QString &stored)
{
    return QStringLiteral("本项登记日期：'") + stored + QStringLiteral("'")
           + Messages::Texts::badTimeReplaced();
}

QWidget *TFpage9::buildFields()
{
    auto *box = new QWidget(this);
    Edt_301 = MakeByteEdit(QStringLiteral("Edt_301"), 80, box);
    date302 = new ClearableDate(box);
    date302->setPartNames(QStringLiteral("DTP_302"), QStringLiteral("CheckBox_302"),
                          QStringLiteral("EDT_302"));
    SetPickerRange(date302->picker(), QStringLiteral("评价日期"), EarliestEvaluation);

    auto *row = new QHBoxLayout(box);
    row->setContentsMargins(0, 0, 0, 0);
    row->setSpacing(6);
    row->addWidget(MakeFieldLabel(QStringLiteral("证书号"), Edt_301, box));
    row->addWidget(Edt_301, 3);
    row->addSpacing(20);
    row->addWidget(MakeFieldLabel(QStringLiteral("评价日期"), date302->picker(), box));
    row->addWidget(date302, 1);
    return box;
}

QTabWidget *TFpage9::buildMemos()
{
    memoTabs = new QTabWidget(this);
    const auto add = [this](GbkMemo *&memo, const QString &name, const QString &caption) {
        memo = new GbkMemo(memoTabs);
        memo->setObjectName(name);
        memo->setEmptiedWhenBlankOnClick(true);
        memoTabs->addTab(memo, caption);
    };
    add(Mo_13_2, QStringLiteral("Mo_13_2"), QStringLiteral("推广应用前景与措施"));
    add(Mo_13_3, QStringLiteral("Mo_13_3"), QStringLiteral("主要技术文件目录及来源"));
    add(Mo_133, QStringLiteral("Mo_133"), QStringLiteral("评价委员会专家测试报告"));
    add(Mo_303, QStringLiteral("Mo_303"), QStringLiteral("评价意见"));
    Mo_13_2->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    return memoTabs;
}
