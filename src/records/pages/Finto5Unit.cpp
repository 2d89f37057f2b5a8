#include "Finto5Unit.h"

#include "engine/DataSet.h"
#include "records/widgets/Abort.h"
#include "records/forms/AppContext.h"
#include "records/widgets/ByteLimitedEdit.h"
#include "records/widgets/DigitInput.h"

#include <QGridLayout>
#include <QLabel>
#include <QLineEdit>

TFinto5::TFinto5(QWidget *parent)
    : ChildListDialog(parent)
{
    setObjectName(QStringLiteral("Finto5"));
    buildControls();
    declareBindings();
    setFixedSize(500, 250);
}

void TFinto5::buildControls()
{
    edtdw_170 = MakeFieldEdit(this, QStringLiteral("edtdw_170"));
    edtdw_171 = MakeFieldEdit(this, QStringLiteral("edtdw_171"));
    // Digits only, so six characters are six bytes.
    edtdw_172 = new QLineEdit(this);
    edtdw_172->setObjectName(QStringLiteral("edtdw_172"));
    AcceptOnlyDigits(edtdw_172, false, 6);
    edtdw_173 = MakeFieldEdit(this, QStringLiteral("edtdw_173"));
    edt_176 = new QLineEdit(this);
    edt_176->setObjectName(QStringLiteral("edt_176"));
    LimitTypedLength(edt_176, 10);
    for (QLineEdit *shortEdit : {edtdw_172, edt_176})
        shortEdit->setFixedWidth(90);

    auto *grid = new QGridLayout;
    grid->setVerticalSpacing(10);
    const QList<std::pair<const char *, QLineEdit *>> rows = {
        {"单位名称", edtdw_170}, {"通讯地址", edtdw_171}, {"邮政编码", edtdw_172},
        {"联系人", edtdw_173},   {"序号", edt_176}};
    int row = 0;
    for (const auto &[caption, edit] : rows) {
        auto *label = new QLabel(QString::fromUtf8(caption), this);
        labelControl(label, edit);
        grid->addWidget(label, row, 0);
        grid->addWidget(edit, row, 1, Qt::AlignLeft);
        ++row;
    }
    grid->setColumnStretch(1, 1);
    for (QLineEdit *wide : {static_cast<QLineEdit *>(edtdw_170), static_cast<QLineEdit *>(edtdw_171),
                            static_cast<QLineEdit *>(edtdw_173)})
        wide->setMinimumWidth(360);
    layOutWithButtons(grid, QMargins(20, 18, 20, 14));
}

// The four texts are the entry, then the number; the store checks only
// the number.
void TFinto5::declareBindings()
{
    using namespace PageBindings;
    Binding name = text(QStringLiteral("item_170"), edtdw_170);
    name.value = [this] { return QVariant(edtdw_170->text().trimmed()); };
    bind(name.partOfEntry());
    bind(text(QStringLiteral("item_171"), edtdw_171).partOfEntry());
    bind(text(QStringLiteral("item_172"), edtdw_172).partOfEntry());
    bind(text(QStringLiteral("item_173"), edtdw_173).partOfEntry());
    bind(ChildList::serialBinding(this, QStringLiteral("item_176"), edt_176));
}

// A new unit gets the next number and keeps it; a unit being modified may
// be given another.
void TFinto5::loadControls(ChildList::Mode mode)
{
    ChildListDialog::loadControls(mode);
    edt_176->setReadOnly(mode == ChildList::Mode::Add);
}

void TFinto5::presetForAdd()
{
    const DataSet *units = list() ? list()->rows() : nullptr;
    const int count = units && units->isOpen() ? units->recordCount() : 0;
    edt_176->setText(QString::number(count + 1));
}

// Every store writes the record's key, so a unit always belongs to the
// record the list shows.
void TFinto5::beforePost(DataSet &row)
{
    const DataSet &record = context().recordHost().currentRecord();
    row.setString(QStringLiteral("item_4"), record.asString(QStringLiteral("item_4")));
    row.setString(QStringLiteral("item_dqdm"), record.asString(QStringLiteral("item_dqdm")));
}
