#include "PrintUnit.h"

#include "CodeLookup.h"
#include "WordOutput.h"
#include "engine/DataSet.h"
#include "records/widgets/Messages.h"
#include "records/widgets/Abort.h"
#include "records/forms/AppContext.h"
#include "records/forms/DictionaryService.h"
#include "records/data/UnitDM.h"
#include "records/widgets/NamedControls.h"
#include "report/ReportOutput.h"

#include <QFrame>
#include <QGridLayout>
#include <QLabel>
#include <QPushButton>
#include <QShowEvent>
#include <QVBoxLayout>

namespace {

const QStringList CommitteeFields = {
    QStringLiteral("ITEM_4"),   QStringLiteral("ITEM_DQDM"), QStringLiteral("ITEM_190"),
    QStringLiteral("ITEM_191"), QStringLiteral("ITEM_192"),  QStringLiteral("ITEM_193"),
    QStringLiteral("ITEM_194"), QStringLiteral("ITEM_195"),  QStringLiteral("ITEM_196"),
    QStringLiteral("ITEM_197"), QStringLiteral("ITEM_198"),  QStringLiteral("ITEM_199")};
const QStringList PersonFields = {
    QStringLiteral("ITEM_4"),   QStringLiteral("ITEM_DQDM"), QStringLiteral("ITEM_187"),
    QStringLiteral("ITEM_180"), QStringLiteral("ITEM_181"),  QStringLiteral("ITEM_182"),
    QStringLiteral("ITEM_183"), QStringLiteral("ITEM_184"),  QStringLiteral("ITEM_185"),
    QStringLiteral("ITEM_186"), QStringLiteral("ITEM_188")};
const QStringList UnitFields = {
    QStringLiteral("ITEM_4"),   QStringLiteral("ITEM_DQDM"), QStringLiteral("ITEM_176"),
    QStringLiteral("ITEM_170"), QStringLiteral("ITEM_171"),  QStringLiteral("ITEM_172"),
    QStringLiteral("ITEM_173"), QStringLiteral("ITEM_174"),  QStringLiteral("ITEM_175")};

// One button of a page panel: its name, caption, page and footer.
struct PageButton
{
    const char *name;
    const char *caption;
    const char *page;
    const char *pageLabel;      // nullptr: the footer is left as it is
    const char *counterPrefix;  // list pages only
};

const PageButton AppliedPreview[] = {
    {"BitBtn28", "封面1", "Tyyfm1", nullptr, nullptr},
    {"BitBtn31", "封面2", "Tyyfm2", nullptr, nullptr},
    {"BitBtn32", "1", "TyyPrint01", nullptr, nullptr},
    {"BitBtn29", "2", "TyyPrint02", nullptr, nullptr},
    {"BitBtn30", "3", "TyyPrint03", "3", nullptr},
    {"BitBtn33", "4", "TyyPrint04", nullptr, nullptr},
    {"BitBtn34", "5", "TyyPrint05", "5", nullptr},
    {"BitBtn35", "6", "TyyPrint06", nullptr, nullptr},
    {"BitBtn36", "7", "TyyPrint07", "7", nullptr},
    {"BitBtn37", "8", "TyyPrint08", "8", nullptr},
    {"BitBtn38", "9", "TyyPrint09", "9", nullptr},
    {"BitBtn40", "10", "TyyPrint10", "10", "10--"},
    {"BitBtn39", "11", "TyyPrint11", "11", "11--"},
    {"BitBtn41", "12", "TyyPrint12", nullptr, nullptr},
    {"BitBtn1", "13", "TyyPrint14", nullptr, nullptr},
};

const PageButton TheoryPreview[] = {
    {"BitBtn15", "封面1", "Trjfm1", nullptr, nullptr},
    {"BitBtn18", "封面2", "Trjfm2", nullptr, nullptr},
    {"BitBtn19", "1", "TrjPrint01", nullptr, nullptr},
    {"BitBtn16", "2", "TrjPrint02", nullptr, nullptr},
    {"BitBtn17", "3", "TrjPrint03", "3", nullptr},
    {"BitBtn20", "4", "TrjPrint04", nullptr, nullptr},
    {"BitBtn21", "5", "TrjPrint05", "5", nullptr},
    {"BitBtn22", "6", "TrjPrint06", "6", nullptr},
    {"BitBtn23", "7", "TrjPrint07", "7", nullptr},
    {"BitBtn24", "8", "TrjPrint08", "8", "8--"},
    {"BitBtn25", "9", "TrjPrint09", "9", "9--"},
    {"BitBtn27", "10", "TrjPrint10", nullptr, nullptr},
    {"BitBtn26", "11", "TrjPrint11", nullptr, nullptr},
};

// In direct print the body pages are numbered from 1; the order is that of
// "全文打印".
const PageButton AppliedDirect[] = {
    {"zBitBtn5", "封面", "Tyyfm1", nullptr, nullptr},
    {"zBitBtn6", "成果概况，立项情况", "TyyPrint03", "1", nullptr},
    {"zBitBtn7", "评价情况，知识产权状况，成果应用情况", "TyyPrint05", "2", nullptr},
    {"zBitBtn8", "成果完成单位情况", "TyyPrint07", "3", nullptr},
    {"zBitBtn9", "批准登记单位意见", "TyyPrint08", "4", nullptr},
    {"zBitBtn10", "成果简介", "TyyPrint09", "5", nullptr},
    {"zBitBtn2", "成果完成人员名单", "TyyPrint10", "6", "6--"},
    {"zBitBtn11", "评价委员会名单", "TyyPrint11", "7", "7--"},
};

const PageButton TheoryDirect[] = {
    {"zBitBtn13", "封面", "Trjfm1", nullptr, nullptr},
    {"zBitBtn14", "成果概况，立项情况", "TrjPrint03", "1", nullptr},
    {"zBitBtn42", "评价情况，成果完成单位情况", "TrjPrint05", "2", nullptr},
    {"zBitBtn43", "批准登记单位意见", "TrjPrint06", "3", nullptr},
    {"zBitBtn44", "成果简介", "TrjPrint07", "4", nullptr},
    {"zBitBtn45", "成果完成人员名单", "TrjPrint08", "5", "5--"},
    {"zBitBtn46", "评价委员会名单", "TrjPrint09", "6", "6--"},
};

template <size_t N>
const PageButton *findButton(const PageButton (&table)[N], const QString &page)
{
    for (const PageButton &b : table) {
        if (page == QLatin1String(b.page))
            return &b;
    }
    return nullptr;
}

// What the desktop names the print job and offers as the PDF file's name:
// the record's number and the page as its preview button names it
// ("登记表_2021000001_封面2"), not the layout's own name.
QString jobName(const QString &className, const QString &item4)
{
    const PageButton *b = findButton(AppliedPreview, className);
    if (!b)
        b = findButton(TheoryPreview, className);
    const QString page = b ? QString::fromUtf8(b->caption) : className;
    return item4.isEmpty() ? QStringLiteral("登记表_%1").arg(page)
                           : QStringLiteral("登记表_%1_%2").arg(item4, page);
}

// List pages are printed one page per job.
bool isListPage(const QString &className)
{
    static const QStringList lists = {QStringLiteral("TyyPrint10"), QStringLiteral("TyyPrint11"),
                                      QStringLiteral("TrjPrint08"), QStringLiteral("TrjPrint09")};
    return lists.contains(className);
}

QLabel *note(QWidget *parent, const QString &name, const QString &text)
{
    auto *label = new QLabel(text, parent);
    label->setObjectName(name);
    return label;
}

} // namespace

TPrintForm::TPrintForm(QWidget *parent)
    : QDialog(parent),
      ClientDataSet1(CommitteeFields),
      ClientDataSet2(PersonFields),
      ClientDataSet3(UnitFields),
      m_output(std::make_unique<report::PrinterOutput>(this))
{
    setObjectName(QStringLiteral("PrintForm"));
    setWindowTitle(QStringLiteral("数据打印"));
    setWindowFlags(Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint);
    setFixedSize(560, 400);
    Panel1 = makePanel(QStringLiteral("Panel1"));
    Panel2 = makePanel(QStringLiteral("Panel2"));
    Panel3 = makePanel(QStringLiteral("Panel3"));
    Panel4 = makePanel(QStringLiteral("Panel4"));
    Panel5 = makePanel(QStringLiteral("Panel5"));
    buildStartPage();
    buildPreviewPanel(Panel2, true);
    buildPreviewPanel(Panel1, false);
    buildDirectPanel(Panel3, true);
    buildDirectPanel(Panel4, false);
    ShowPanel(5);
}

TPrintForm::~TPrintForm() = default;

QWidget *TPrintForm::makePanel(const QString &name)
{
    auto *panel = new QWidget(this);
    panel->setObjectName(name);
    panel->setGeometry(rect());
    return panel;
}

QPushButton *TPrintForm::addButton(QWidget *panel, const QString &name, const QString &caption,
                                   std::function<void()> action)
{
    QPushButton *button = MakeButton(panel, name, caption);
    button->setMinimumHeight(28);
    connect(button, &QPushButton::clicked, this, [this, action] { guarded(action); });
    return button;
}

// The notes on what the page is for stand in a frame at the top; below
// them the two ways of printing the form, then the Word documents under
// their heading, and "退出" at the foot like every other window.
void TPrintForm::buildStartPage()
{
    auto *layout = new QVBoxLayout(Panel5);
    layout->setContentsMargins(24, 20, 24, 16);
    layout->setSpacing(0);
    layout->addWidget(buildStartNotes());
    layout->addStretch(1);

    auto *printing = new QHBoxLayout;
    printing->setSpacing(16);
    printing->addWidget(addButton(Panel5, QStringLiteral("Button4"), QStringLiteral("直接打印"),
                                  [this] { Button4Click(); }));
    printing->addWidget(addButton(Panel5, QStringLiteral("Button7"), QStringLiteral("自定义打印"),
                                  [this] { Button7Click(); }));
    layout->addLayout(printing);
    layout->addStretch(1);

    auto *heading = note(Panel5, QStringLiteral("Label1"), QStringLiteral("输出文档(Word文档不是正式上报文档)"));
    QFont big = heading->font();
    big.setPixelSize(14);
    big.setBold(true);
    heading->setFont(big);
    layout->addWidget(heading);
    layout->addSpacing(8);
    layout->addWidget(buildWordButtons());
    layout->addStretch(2);

    auto *foot = new QHBoxLayout;
    foot->addStretch();
    QPushButton *quit = addButton(Panel5, QStringLiteral("Button3"), QStringLiteral("退出"),
                                  [this] { close(); });
    quit->setMinimumWidth(96);
    foot->addWidget(quit);
    layout->addLayout(foot);
    for (QPushButton *button : Panel5->findChildren<QPushButton *>()) {
        if (button != quit)
            button->setMinimumHeight(34);
    }
}

QWidget *TPrintForm::buildStartNotes()
{
    auto *notes = new QFrame(Panel5);
    notes->setFrameShape(QFrame::StyledPanel);
    auto *lines = new QVBoxLayout(notes);
    lines->setContentsMargins(14, 10, 14, 10);
    lines->setSpacing(6);
    lines->addWidget(note(notes, QStringLiteral("Label2"), QStringLiteral("注意：此页用于打印登记表或生成Word文档，")));
    lines->addWidget(note(notes, QStringLiteral("Label3"), QStringLiteral("生成管理机构认可的上报文件需使用“导出”功能")));
    lines->addWidget(note(notes, QStringLiteral("Label4"),
                          QStringLiteral("打印科技成果登记表请使用“直接打印”或“自定义打印”  ")));
    return notes;
}

// Only one button of each registration-form pair is shown at a time, so a
// pair shares its cell and the row never has a gap.
QWidget *TPrintForm::buildWordButtons()
{
    auto *frame = new QFrame(Panel5);
    frame->setFrameShape(QFrame::StyledPanel);
    auto *grid = new QGridLayout(frame);
    grid->setContentsMargins(14, 12, 14, 12);
    grid->setHorizontalSpacing(16);
    grid->setVerticalSpacing(12);
    YY_Button = addButton(frame, QStringLiteral("YY_Button"), QStringLiteral("科技成果登记表(Word)"),
                          [this] { YY_ButtonClick(); });
    RJ_Button = addButton(frame, QStringLiteral("RJ_Button"), QStringLiteral("科技成果登记表(Word)"),
                          [this] { RJ_ButtonClick(); });
    YY_SButton = addButton(frame, QStringLiteral("YY_SButton"),
                           QStringLiteral("打印科技成果登记表(Word)正文"), [this] { YY_SButtonClick(); });
    RJ_SButton = addButton(frame, QStringLiteral("RJ_SButton"),
                           QStringLiteral("打印科技成果登记表(Word)正文"), [this] { RJ_SButtonClick(); });
    Button5 = addButton(frame, QStringLiteral("Button5"), QStringLiteral("科学技术成果鉴定申请表(Word)"),
                        [this] { Button5Click(); });
    Button6 = addButton(frame, QStringLiteral("Button6"), QStringLiteral("科学技术成果鉴定证书(Word)"),
                        [this] { Button6Click(); });
    grid->addWidget(YY_Button, 0, 0);
    grid->addWidget(RJ_Button, 0, 0);
    grid->addWidget(YY_SButton, 0, 1);
    grid->addWidget(RJ_SButton, 0, 1);
    grid->addWidget(Button5, 1, 0);
    grid->addWidget(Button6, 1, 1);
    return frame;
}

void TPrintForm::buildPreviewPanel(QWidget *panel, bool applied)
{
    auto *layout = new QVBoxLayout(panel);
    layout->setContentsMargins(24, 16, 24, 16);
    auto *heading = note(panel, applied ? QStringLiteral("LabelYy") : QStringLiteral("LabelRj"),
                         applied ? QStringLiteral("应用技术成果")
                                 : QStringLiteral("“基础理论、软科学类”成果"));
    QFont big = heading->font();
    big.setPixelSize(16);
    heading->setFont(big);
    heading->setAlignment(Qt::AlignCenter);
    layout->addWidget(heading);
    auto *notePanel = new QWidget(panel);
    notePanel->setObjectName(applied ? QStringLiteral("Panel6") : QStringLiteral("Panel7"));
    auto *noteLayout = new QVBoxLayout(notePanel);
    noteLayout->setContentsMargins(0, 0, 0, 0);
    noteLayout->addWidget(note(notePanel, QString(), QStringLiteral("标*的按钮代表正文")));
    layout->addWidget(notePanel);
    layout->addSpacing(12);
    // Page buttons large enough to fill the page as the start page does.
    auto *grid = new QGridLayout;
    grid->setSpacing(10);
    const PageButton *table = applied ? AppliedPreview : TheoryPreview;
    const int count = applied ? int(std::size(AppliedPreview)) : int(std::size(TheoryPreview));
    for (int i = 0; i < count; ++i) {
        const PageButton b = table[i];
        QPushButton *button = addButton(panel, QLatin1String(b.name), QString::fromUtf8(b.caption),
                                        [this, b] {
                                            previewPage(QLatin1String(b.page),
                                                        {QString::fromUtf8(b.pageLabel),
                                                         QString::fromUtf8(b.counterPrefix)});
                                        });
        button->setMinimumHeight(44);
        grid->addWidget(button, i / 5, i % 5);
    }
    layout->addLayout(grid);
    layout->addStretch();
    auto *row = new QHBoxLayout;
    row->addStretch();
    row->addWidget(addButton(panel, applied ? QStringLiteral("Button1") : QStringLiteral("Button2"),
                             QStringLiteral("返回"),
                             [this, applied] { applied ? Button1Click() : Button2Click(); }));
    row->addWidget(addButton(panel, applied ? QStringLiteral("BitBtn2") : QStringLiteral("BitBtn3"),
                             QStringLiteral("退出"), [this] { close(); }));
    layout->addLayout(row);
}

void TPrintForm::buildDirectPanel(QWidget *panel, bool applied)
{
    auto *layout = new QVBoxLayout(panel);
    layout->setContentsMargins(24, 12, 24, 12);
    layout->setSpacing(4);
    const PageButton *table = applied ? AppliedDirect : TheoryDirect;
    const int count = applied ? int(std::size(AppliedDirect)) : int(std::size(TheoryDirect));
    for (int i = 0; i < count; ++i) {
        const PageButton b = table[i];
        layout->addWidget(addButton(panel, QLatin1String(b.name), QString::fromUtf8(b.caption),
                                    [this, b] {
                                        printPage(QLatin1String(b.page),
                                                  {QString::fromUtf8(b.pageLabel),
                                                   QString::fromUtf8(b.counterPrefix)});
                                    }));
    }
    layout->addWidget(addButton(panel, applied ? QStringLiteral("zBitBtn4") : QStringLiteral("zBitBtn12"),
                                QStringLiteral("全文打印"), [this] { PrintWholeForm(); }));
    auto *row = new QHBoxLayout;
    row->addStretch();
    row->addWidget(addButton(panel, applied ? QStringLiteral("zBitBtn3") : QStringLiteral("zBitBtn1"),
                             QStringLiteral("返回"), [this] { ShowPanel(5); }));
    row->addWidget(addButton(panel, applied ? QStringLiteral("BitBtn4a") : QStringLiteral("zBitBtn4z"),
                             QStringLiteral("退出"), [this] { close(); }));
    layout->addLayout(row);
}

void TPrintForm::setData(const PrintData &data)
{
    m_data = data;
    m_data.committeeRows = &ClientDataSet1;
    m_data.personRows = &ClientDataSet2;
    m_data.unitRows = &ClientDataSet3;
}

void TPrintForm::setOutput(std::unique_ptr<report::Output> output)
{
    m_output = std::move(output);
}

void TPrintForm::wire(AppContext &context)
{
    ContextWindow::wire(context);
    TDM &dm = context.dm();
    m_codes = std::make_unique<DatabaseCodes>(dm.database(), &context.dictionary());
    PrintData data;
    data.record = dm.Qrykjcg;
    data.units = dm.QryCgwcdw;
    data.persons = dm.QryCgwcr;
    data.committee = dm.QryJdwyhmd;
    data.patents = dm.tblzlqk;
    data.codes = m_codes.get();
    setData(data);
}

bool TPrintForm::appliedRecord() const
{
    return m_data.field(QStringLiteral("item_cglb")) == QLatin1String("1");
}

void TPrintForm::showEvent(QShowEvent *event)
{
    QDialog::showEvent(event);
    if (!event->spontaneous())
        FormShow();
}

void TPrintForm::FormShow()
{
    ShowPanel(5);
    const bool applied = appliedRecord();
    YY_Button->setVisible(applied);
    YY_SButton->setVisible(applied);
    RJ_Button->setVisible(!applied);
    RJ_SButton->setVisible(!applied);
}

void TPrintForm::ShowPanel(int number)
{
    const QList<QWidget *> panels = {Panel1, Panel2, Panel3, Panel4, Panel5};
    for (int i = 0; i < panels.size(); ++i)
        panels[i]->setVisible(i + 1 == number);
}

void TPrintForm::Button4Click()
{
    ShowPanel(appliedRecord() ? 3 : 4);
}

void TPrintForm::Button7Click()
{
    ShowPanel(appliedRecord() ? 2 : 1);
}

void TPrintForm::Button1Click()
{
    YY_Button->setVisible(true);
    RJ_Button->setVisible(false);
    ShowPanel(5);
}

void TPrintForm::Button2Click()
{
    YY_Button->setVisible(false);
    RJ_Button->setVisible(true);
    ShowPanel(5);
}

void TPrintForm::RJ_ButtonClick()
{
    WordOutput::RJ_ButtonClick(this);
}

void TPrintForm::YY_ButtonClick()
{
    WordOutput::YY_ButtonClick(this);
}

void TPrintForm::RJ_SButtonClick()
{
    WordOutput::RJ_SButtonClick(this);
}

void TPrintForm::YY_SButtonClick()
{
    WordOutput::YY_SButtonClick(this);
}

void TPrintForm::Button5Click()
{
    WordOutput::Button5Click(this);
}

void TPrintForm::Button6Click()
{
    WordOutput::Button6Click(this);
}

report::Document TPrintForm::layOut(const QString &className, const Footer &footer)
{
    if (!ReportPages::kind(className))
        throw report::ReportError(QStringLiteral("此页（%1）尚不能打印。").arg(className));
    report::Report &page = m_pages.prepare(className, m_data);
    if (!footer.pageLabel.isEmpty()) {
        for (const char *name : {"QRPage", "QRpage"}) {
            if (report::Element *label = page.find(QLatin1String(name)))
                label->text = footer.pageLabel;
        }
    }
    if (!footer.counterPrefix.isEmpty())
        page.setText(QStringLiteral("QRSysData1"), footer.counterPrefix);
    report::Document doc = report::paginate(page);
    doc.jobName = jobName(className, m_data.field(QStringLiteral("item_4")).trimmed());
    return doc;
}

report::Document TPrintForm::previewDocument(const QString &className)
{
    const PageButton *b = findButton(AppliedPreview, className);
    if (!b)
        b = findButton(TheoryPreview, className);
    return layOut(className, b ? Footer{QString::fromUtf8(b->pageLabel), QString::fromUtf8(b->counterPrefix)}
                               : Footer{});
}

report::Document TPrintForm::printDocument(const QString &className)
{
    const PageButton *b = findButton(AppliedDirect, className);
    if (!b)
        b = findButton(TheoryDirect, className);
    return layOut(className, b ? Footer{QString::fromUtf8(b->pageLabel), QString::fromUtf8(b->counterPrefix)}
                               : Footer{});
}

void TPrintForm::previewPage(const QString &className, const Footer &footer)
{
    m_output->preview(layOut(className, footer));
}

// A list is sent one page per job, pages 1..N of this record in order; the
// page count is known because the pages are laid out first.
void TPrintForm::printPage(const QString &className, const Footer &footer)
{
    const report::Document doc = layOut(className, footer);
    if (!isListPage(className)) {
        m_output->print(doc, 1, doc.pageCount());
        return;
    }
    for (int page = 1; page <= doc.pageCount(); ++page)
        m_output->print(doc, page, page);
}

void TPrintForm::PrintWholeForm()
{
    printWholeForm(appliedRecord());
}

// Pages that cannot be laid out yet are left out and named at the end, so
// that the rest of the form is printed all the same.
void TPrintForm::printWholeForm(bool applied)
{
    const PageButton *table = applied ? AppliedDirect : TheoryDirect;
    const int count = applied ? int(std::size(AppliedDirect)) : int(std::size(TheoryDirect));
    QStringList missing;
    for (int i = 0; i < count; ++i) {
        const PageButton &b = table[i];
        if (!ReportPages::kind(QLatin1String(b.page))) {
            missing << QString::fromUtf8(b.caption);
            continue;
        }
        printPage(QLatin1String(b.page),
                  {QString::fromUtf8(b.pageLabel), QString::fromUtf8(b.counterPrefix)});
    }
    if (!missing.isEmpty())
        throw report::ReportError(QStringLiteral("以下各页尚不能打印，没有打印：\n")
                                  + missing.join(QStringLiteral("\n")));
}

void TPrintForm::guarded(const std::function<void()> &handler)
{
    runGuarded(this, handler);
}
