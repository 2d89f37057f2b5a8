#include "CodeManage.h"

#include "ArchiverProgress.h"
#include "engine/DataSet.h"
#include "engine/Database.h"
#include "engine/DbError.h"
#include "exchange/core/SafeCopy.h"
#include "exchange/core/WorkFolders.h"
#include "exchange/core/Archiver.h"
#include "exchange/core/CodeTables.h"
#include "exchange/core/ExchangeNames.h"
#include "records/widgets/Abort.h"
#include "records/forms/DictionaryService.h"
#include "records/widgets/Messages.h"
#include "records/data/UnitDM.h"
#include "records/widgets/FileChoice.h"
#include "records/widgets/NamedControls.h"

#include <QDir>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLineEdit>
#include <QPushButton>
#include <QTemporaryDir>
#include <QVBoxLayout>

struct TFcodeManage::Group
{
    QString caption;
    QLineEdit *TFcodeManage::*edit;
    const char *editName;
    const char *archiveButton;
    QString archiveCaption;
    QString archive;
    QString textFile;
    const char *tableButton;
    QString tableCaption;
    QString tableFile;       // as the window names it
    QString dataFile;        // as the data module opens it
    QString success;
    QList<Table *TDM::*> tables;  // the first is the table itself
    bool TDM::*presence;     // for an optional table, else null
};

namespace {

using Group = TFcodeManage::Group;

const QList<Group> &groups()
{
    static const QList<Group> list = {
        {QStringLiteral("中图分类选项维护"), &TFcodeManage::Edit3, "Edit3", "Button6",
         QStringLiteral("选择“ZTFLB.ARJ”更新"), QStringLiteral("ZTFLB.ARJ"), QStringLiteral("ZTFL.TXT"),
         "Button7", QStringLiteral("选择“ZTFLH.DBF”更新"), QStringLiteral("ZTFLH.DBF"),
         QStringLiteral("ztflh.dbf"), QStringLiteral("更新“中图分类号”菜单成功!"),
         {&TDM::Tztflh2, &TDM::Table1}, &TDM::ZtflhPresent},
        {QStringLiteral("学科分类选项维护"), &TFcodeManage::Edit4, "Edit4", "Button8",
         QStringLiteral("选择“XKFLB.ARJ”更新"), QStringLiteral("XKFLB.ARJ"), QStringLiteral("XKFL.TXT"),
         "Button9", QStringLiteral("选择“XKFL.DBF”更新"), QStringLiteral("XKFL.DBF"),
         QStringLiteral("xkfl.dbf"), QStringLiteral("更新“学科分类”菜单成功!"),
         {&TDM::Txkfl2, &TDM::Table1}, &TDM::XkflPresent},
        {QStringLiteral("隶属部委分类选项维护"), &TFcodeManage::Edit5, "Edit5", "Button10",
         QStringLiteral("选择“LSBWB.ARJ”更新"), QStringLiteral("LSBWB.ARJ"), QStringLiteral("LSBW.TXT"),
         "Button11", QStringLiteral("选用“LSBW.DBF”更新"), QStringLiteral("LSBW.DBF"),
         QStringLiteral("lsbw.dbf"), QStringLiteral("更新“隶属部委”菜单成功!"), {&TDM::tblLsbw}, nullptr},
        {QStringLiteral("课题来源子类维护"), &TFcodeManage::Edit1, "Edit1", "Button4",
         QStringLiteral("选择“DFJHXX.ARJ”更新"), QStringLiteral("DFJHXX.ARJ"), QStringLiteral("DFJHXX.TXT"),
         "Button2", QStringLiteral("选用“DFJHZDXX.DBF”更新"), QStringLiteral("DFJHZDXX.DBF"),
         QStringLiteral("DFJHZDXX.DBF"), QStringLiteral("更新“课题来源”下级菜单成功!"),
         {&TDM::TblDFJHZDXX}, nullptr},
    };
    return list;
}

QString defaultChooser(QWidget *parent, const QString &title)
{
    return ChooseFileToOpen(parent, title);
}

} // namespace

TFcodeManage::TFcodeManage(QWidget *parent)
    : QDialog(parent), m_chooser(defaultChooser)
{
    setObjectName(QStringLiteral("FcodeManage"));
    setWindowTitle(QStringLiteral("代码管理"));
    GroupBox1 = new QGroupBox(QStringLiteral("栏目选项维护"), this);
    GroupBox1->setObjectName(QStringLiteral("GroupBox1"));
    auto *inner = new QVBoxLayout(GroupBox1);
    for (const Group &group : groups())
        inner->addWidget(buildGroup(group));

    Button3 = MakeButton(this, QStringLiteral("Button3"), QStringLiteral("退出"), 75);
    connect(Button3, &QPushButton::clicked, this, &TFcodeManage::Button3Click);
    auto *buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(Button3);
    auto *layout = new QVBoxLayout(this);
    layout->addWidget(GroupBox1);
    layout->addLayout(buttons);
    setFixedWidth(560);
}

QGroupBox *TFcodeManage::buildGroup(const Group &group)
{
    auto *box = new QGroupBox(group.caption, GroupBox1);
    QLineEdit *&edit = this->*group.edit;
    edit = new QLineEdit(box);
    edit->setObjectName(QString::fromLatin1(group.editName));
    edit->setReadOnly(true);
    QPushButton *fromArchive = MakeButton(box, QString::fromLatin1(group.archiveButton), group.archiveCaption);
    QPushButton *fromTable = MakeButton(box, QString::fromLatin1(group.tableButton), group.tableCaption);
    connect(fromArchive, &QPushButton::clicked, this, [this, &group] { refreshFromArchive(group); });
    connect(fromTable, &QPushButton::clicked, this, [this, &group] { refreshFromTableFile(group); });
    auto *grid = new QGridLayout(box);
    grid->addWidget(edit, 0, 0, 1, 2);
    grid->addWidget(fromArchive, 1, 0);
    grid->addWidget(fromTable, 1, 1);
    return box;
}

void TFcodeManage::setFileChooser(FileChooser chooser)
{
    m_chooser = chooser ? std::move(chooser) : FileChooser(defaultChooser);
}

void TFcodeManage::setArchiverProgram(const QString &program)
{
    m_archiverProgram = program;
}

QString TFcodeManage::chooseFile()
{
    return m_chooser(this, QStringLiteral("打开"));
}

QLineEdit *TFcodeManage::editOf(const Group &group) const
{
    return this->*group.edit;
}

// The archive is unpacked in a folder of our own; its text file is read
// whole before the table changes.
void TFcodeManage::refreshFromArchive(const Group &group)
{
    const QString chosen = chooseFile();
    if (chosen.isEmpty())
        return;
    QLineEdit *edit = editOf(group);
    edit->setText(QDir::toNativeSeparators(chosen));
    if (!CodeTables::isNamed(chosen, group.archive)) {
        Messages::show(this, QStringLiteral("请注意！"),
                       QStringLiteral("请选择正确导入包,名字是%1!").arg(group.archive), QMessageBox::NoIcon);
        return;
    }
    bool replaced = false;
    runGuarded(this, [&] {
        QTemporaryDir work(WorkFolders::nameTemplate());
        RequireTemporaryFolder(work);
        const QString text = unpackText(group, chosen, work.path());
        if (text.isEmpty())
            return;
        replaceTable(group, [&] { CodeTables::replaceFromText(*dm().database(), group.dataFile, text); });
        replaced = true;
    });
    if (!replaced)
        return;
    Messages::ShowWarning(this, QStringLiteral("导入更新成功！"));
    edit->setFocus();
}

QString TFcodeManage::unpackText(const Group &group, const QString &archive, const QString &workFolder)
{
    Archiver archiver(m_archiverProgram.isEmpty() ? Archiver::locate() : m_archiverProgram);
    ArchiverProgress progress(archiver, this);
    try {
        archiver.unpack(archive, workFolder, {group.textFile});
    } catch (const ArchiverCancelled &) {
        return {};
    }
    return ExchangeNames::findFile(workFolder, group.textFile);
}

void TFcodeManage::refreshFromTableFile(const Group &group)
{
    const QString chosen = chooseFile();
    if (chosen.isEmpty())
        return;
    if (!CodeTables::isNamed(chosen, group.tableFile)) {
        Messages::ShowWarning(this, QStringLiteral("请选择正确的文件（%1）！").arg(group.tableFile));
        return;
    }
    const bool replaced = runGuarded(this, [&] {
        replaceTable(group, [&] { CodeTables::replaceFromTableFile(*dm().database(), group.dataFile, chosen); });
    });
    if (replaced)
        Messages::ShowWarning(this, group.success);
}

// The table is opened again in every case; an optional table that was
// missing is there from now on, for every window that offers it.
void TFcodeManage::replaceTable(const Group &group, const std::function<void()> &replace)
{
    TDM &data = dm();
    // The lists read from the table are read afresh afterwards.
    context().dictionary().forget();
    QList<Table *> reopen;
    for (Table *TDM::*member : group.tables) {
        Table *table = data.*member;
        if (table->isOpen() || member == group.tables.first())
            reopen << table;
        table->close();
    }
    const auto openAgain = [&] {
        if (!data.database()->fileExists(group.dataFile))
            return;
        for (Table *table : reopen)
            table->open();
        if (group.presence)
            data.*group.presence = true;
    };
    try {
        replace();
    } catch (...) {
        openAgain();
        throw;
    }
    openAgain();
}

TDM &TFcodeManage::dm() const
{
    return context().dm();
}

void TFcodeManage::Button3Click()
{
    close();
}
