#include "Unittree.h"

#include "engine/DataSet.h"
#include "engine/DbError.h"
#include "records/widgets/NamedControls.h"
#include "records/widgets/Abort.h"
#include "records/data/UnitDM.h"
#include "records/widgets/DropDownCombo.h"

#include <QHBoxLayout>
#include <QLineEdit>
#include <QPainter>
#include <QPixmap>
#include <QPushButton>
#include <QTreeWidget>
#include <QVBoxLayout>


namespace {

const int SelectedGlyph = 5;
const int DeepestGlyph = 4;

// The image list of the chooser: 0 the root, 1 to 4 the levels, 5 a
// selected entry. Drawn here so that no picture files are needed.
QPixmap drawGlyph(int index)
{
    static const QColor colours[] = {QColor(0x2f, 0x5f, 0xb3), QColor(0xc0, 0x8a, 0x20),
                                     QColor(0x3a, 0x8f, 0x3a), QColor(0x8a, 0x4f, 0xb0),
                                     QColor(0x20, 0x8f, 0x9f), QColor(0xe8, 0xc0, 0x30)};
    QPixmap pixmap(16, 16);
    pixmap.fill(Qt::transparent);
    QPainter painter(&pixmap);
    painter.setRenderHint(QPainter::Antialiasing);
    const QColor colour = colours[qBound(0, index, SelectedGlyph)];
    painter.setPen(colour.darker(150));
    painter.setBrush(colour);
    if (index == 0) {  // a closed book
        painter.drawRoundedRect(QRectF(3.5, 1.5, 10, 13), 1.5, 1.5);
        painter.setPen(Qt::white);
        painter.drawLine(QPointF(5.5, 4.5), QPointF(11.5, 4.5));
    } else {  // a folder, open when selected
        painter.drawRect(QRectF(1.5, 3.5, 6, 3));
        painter.drawRect(QRectF(1.5, 5.5, 13, 9));
        if (index == SelectedGlyph) {
            painter.setBrush(colour.lighter(130));
            painter.drawPolygon(QPolygonF({QPointF(3.5, 8.5), QPointF(15.5, 8.5),
                                           QPointF(13.5, 14.5), QPointF(1.5, 14.5)}));
        }
    }
    return pixmap;
}

QIcon nodeIcon(int level)
{
    QIcon icon(drawGlyph(level == 0 ? 0 : qMin(level, DeepestGlyph)));
    icon.addPixmap(drawGlyph(level == 0 ? 0 : SelectedGlyph), QIcon::Selected);
    return icon;
}

QTreeWidgetItem *addNode(QTreeWidgetItem *parent, const QString &text, int level)
{
    auto *item = new QTreeWidgetItem(parent, QStringList(text));
    item->setIcon(0, nodeIcon(level));
    return item;
}

// The node a row of the given level hangs on: the last node of the level
// above, or of the nearest level above that has one. lastByLevel[0] is the root.
QTreeWidgetItem *parentFor(const QList<QTreeWidgetItem *> &lastByLevel, int level)
{
    for (int above = qMin(level - 1, int(lastByLevel.size()) - 1); above > 0; --above) {
        if (lastByLevel.at(above))
            return lastByLevel.at(above);
    }
    return lastByLevel.at(0);
}

void rememberNode(QList<QTreeWidgetItem *> &lastByLevel, int level, QTreeWidgetItem *node)
{
    while (lastByLevel.size() <= level)
        lastByLevel.append(nullptr);
    lastByLevel[level] = node;
}

int levelOf(const DataSet &dataSet, const QString &field)
{
    const QString text = dataSet.asString(field).trimmed();
    bool ok = false;
    const int level = text.toInt(&ok);
    if (!ok)
        throw DbError(QStringLiteral("分类表第%1行的级别“%2”不是整数！")
                          .arg(dataSet.recNo() + 1)
                          .arg(text));
    return level;
}

void fillRows(DataSet &dataSet, QTreeWidgetItem *root)
{
    const QStringList fields = dataSet.fieldNames();
    if (fields.size() < 3)
        throw DbError(QStringLiteral("分类表应有级别、代码、名称三列！"));
    QList<QTreeWidgetItem *> lastByLevel{root};
    const int count = dataSet.recordCount();
    for (int row = 0; row < count; ++row) {
        dataSet.moveTo(row);
        const int level = levelOf(dataSet, fields.at(0));
        if (level <= 0)
            continue;
        const QString text = dataSet.asString(fields.at(1)).trimmed() + QStringLiteral("  ")
                             + dataSet.asString(fields.at(2)).trimmed();
        rememberNode(lastByLevel, level, addNode(parentFor(lastByLevel, level), text, level));
    }
}

} // namespace

QString ClassTreeRootText()
{
    return QStringLiteral("详细分类");
}

void FillClassTree(DataSet &dataSet, QTreeWidget *tree)
{
    tree->clear();
    auto *root = new QTreeWidgetItem(tree, QStringList(ClassTreeRootText()));
    root->setIcon(0, nodeIcon(0));
    try {
        if (!dataSet.isOpen())
            dataSet.open();
        fillRows(dataSet, root);
    } catch (...) {
        dataSet.close();
        root->setExpanded(true);
        throw;
    }
    dataSet.close();
    root->setExpanded(true);
}

TFormTree::TFormTree(QWidget *parent)
    : QDialog(parent),
      TreeView1(new QTreeWidget(this)),
      Button1(new QPushButton(QStringLiteral("确认"), this)),
      Button2(new QPushButton(QStringLiteral("取消"), this))
{
    setObjectName(QStringLiteral("FormTree"));
    setWindowTitle(QStringLiteral("分类选择"));
    TreeView1->setObjectName(QStringLiteral("TreeView1"));
    TreeView1->setHeaderHidden(true);
    Button1->setObjectName(QStringLiteral("Button1"));
    Button2->setObjectName(QStringLiteral("Button2"));
    Button1->setAutoDefault(false);
    Button2->setAutoDefault(false);

    QHBoxLayout *buttons = ButtonRow({Button1, Button2});
    auto *layout = new QVBoxLayout(this);
    layout->addWidget(TreeView1, 1);
    layout->addLayout(buttons);
    resize(420, 480);

    connect(Button1, &QPushButton::clicked, this, &TFormTree::Button1Click);
    connect(Button2, &QPushButton::clicked, this, &TFormTree::Button2Click);
}

void TFormTree::wire(AppContext &context)
{
    ContextWindow::wire(context);
    setTable(context.dm().Table1);
}

void TFormTree::setTable(Table *table)
{
    m_table = table;
}

Table *TFormTree::table() const
{
    return m_table;
}

void TFormTree::setTarget(QLineEdit *edit, const QString &tableFile)
{
    m_target = edit;
    m_targetTable = tableFile;
}

QLineEdit *TFormTree::target() const
{
    return m_target;
}

QString TFormTree::targetTable() const
{
    return m_targetTable;
}

bool TFormTree::pick(QLineEdit *edit, const QString &tableFile)
{
    setTarget(edit, tableFile);
    // A table that cannot be opened is not offered: the error was shown.
    if (!runGuarded(this, [this] { FormShow(); }))
        return false;
    return exec() == QDialog::Accepted;
}

void TFormTree::attach(DropDownCombo *combo, QLineEdit *edit, const QString &tableFile)
{
    QPointer<QLineEdit> guard(edit);
    connect(combo, &DropDownCombo::dropDown, this, [this, guard, tableFile] {
        if (guard)
            pick(guard, tableFile);
    });
}

void TFormTree::FormShow()
{
    TreeView1->clear();
    if (!m_table)
        throw DbError(QStringLiteral("分类表还没有打开！"));
    m_table->close();
    if (!m_targetTable.isEmpty())
        m_table->setTableName(m_targetTable);
    m_table->open();
    // A row whose level is not a whole number ends the reading: the error
    // is told and the entries read before it are offered.
    runGuarded(this, [this] { FillClassTree(*m_table, TreeView1); });
    TreeView1->setCurrentItem(TreeView1->topLevelItem(0));
}

void TFormTree::Button1Click()
{
    QTreeWidgetItem *chosen = TreeView1->currentItem();
    QString text = chosen ? chosen->text(0) : QString();
    if (text == ClassTreeRootText())
        text.clear();
    if (m_target)
        m_target->setText(text);
    accept();
}

void TFormTree::Button2Click()
{
    reject();
}

void TFormTree::done(int result)
{
    TreeView1->clear();
    QDialog::done(result);
}
