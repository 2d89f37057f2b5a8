#include "FirstUnitFields.h"

#include "engine/DataSet.h"
#include "records/forms/BoundForm.h"
#include "records/unit/UnitBindings.h"
#include "records/unit/UnitProfile.h"
#include "records/widgets/ByteLimitedEdit.h"
#include "records/widgets/NamedControls.h"

#include <QCheckBox>
#include <QComboBox>
#include <QGridLayout>
#include <QLabel>

namespace {

const QString Maroon = QStringLiteral("color: #800000;");
const QString EnterpriseText = QStringLiteral("企业");

} // namespace

FirstUnitFields::FirstUnitFields(const Options &options, QWidget *parent)
    : QWidget(parent), m_options(options)
{
    buildControls();
    connect(cb_62, &QComboBox::activated, this, &FirstUnitFields::cb_62Change);
}

// Created in the order they stand, row by row, which is the tab order.
void FirstUnitFields::buildControls()
{
    auto *grid = new QGridLayout(this);
    grid->setContentsMargins(0, 0, 0, 0);
    grid->setHorizontalSpacing(8);
    grid->setVerticalSpacing(10);
    grid->setColumnStretch(1, 1);
    grid->setColumnStretch(3, 1);
    const auto place = [&](int row, int column, const QString &caption, bool required,
                           QWidget *control, int span = 1) {
        auto *label = new QLabel(caption, this);
        label->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
        if (required)
            label->setStyleSheet(Maroon);
        BoundForm::labelControl(label, control);
        grid->addWidget(label, row, column);
        grid->addWidget(control, row, column + 1, 1, span);
    };

    Edt_9 = MakeFieldEdit(this, QStringLiteral("Edt_9"));
    place(0, 0, QStringLiteral("单位名称"), true, Edt_9, 3);
    Edt_420 = MakeFieldEdit(this, QStringLiteral("Edt_420"));
    place(1, 0, QStringLiteral("单位法人代码"), false, Edt_420);
    cb_62 = MakePickList(this, QStringLiteral("cb_62"));
    place(1, 2, QStringLiteral("单位属性"), true, cb_62);
    ownership = MakePickList(this, m_options.ownershipName);
    place(2, 0, QStringLiteral("企业所有制属性"), true, ownership);
    cb_163 = new QCheckBox(m_options.convertedCaption, this);
    cb_163->setObjectName(QStringLiteral("cb_163"));
    grid->addWidget(cb_163, 2, 3);
    cb_64 = MakePickList(this, QStringLiteral("cb_64"));
    place(3, 0, QStringLiteral("单位所在省市"), true, cb_64);
    cb_63 = MakePickList(this, QStringLiteral("cb_63"));
    place(3, 2, QStringLiteral("隶属关系"), false, cb_63);
    Edt_37 = MakeFieldEdit(this, QStringLiteral("Edt_37"));
    place(4, 0, QStringLiteral("通讯地址"), true, Edt_37, 3);
    Edt_38 = MakeFieldEdit(this, QStringLiteral("Edt_38"));
    place(5, 0, QStringLiteral("邮政编码"), true, Edt_38);
    Edt_60 = MakeFieldEdit(this, QStringLiteral("Edt_60"));
    place(5, 2, QStringLiteral("单位网址"), false, Edt_60);
    Edt_39 = MakeFieldEdit(this, QStringLiteral("Edt_39"));
    place(6, 0, QStringLiteral("电话（含区号）"), false, Edt_39);
    Edt_40 = MakeFieldEdit(this, QStringLiteral("Edt_40"));
    place(6, 2, QStringLiteral("传真（含区号）"), false, Edt_40);
    Edt_41 = MakeFieldEdit(this, QStringLiteral("Edt_41"));
    place(7, 0, QStringLiteral("联系人"), true, Edt_41);
    Edt_41_2 = MakeFieldEdit(this, QStringLiteral("Edt_41_2"));
    place(7, 2, QStringLiteral("联系人电话"), true, Edt_41_2);
    Edt_61 = MakeFieldEdit(this, QStringLiteral("Edt_61"));
    place(8, 0, QStringLiteral("电子信箱"), false, Edt_61, 3);
}

QList<Binding> FirstUnitFields::bindings() const
{
    using namespace PageBindings;
    return {
        text(QStringLiteral("item_9"), Edt_9).required(quotedMissing(QStringLiteral("单位名称"))),
        text(QStringLiteral("item_37"), Edt_37).required(quotedMissing(QStringLiteral("通讯地址"))),
        text(QStringLiteral("item_38"), Edt_38).required(quotedMissing(QStringLiteral("邮政编码"))),
        UnitBindings::attribute(cb_62, false).required(quotedMissing(QStringLiteral("单位属性"))),
        ownershipBinding(),
        UnitBindings::province(cb_64).required(quotedMissing(QStringLiteral("单位所在省市"))),
        text(QStringLiteral("item_41"), Edt_41).required(quotedMissing(QStringLiteral("联系人"))),
        text(QStringLiteral("item_41_2"), Edt_41_2).required(quotedMissing(QStringLiteral("联系人电话"))),
        text(QStringLiteral("item_420"), Edt_420),
        text(QStringLiteral("item_39"), Edt_39),
        text(QStringLiteral("item_40"), Edt_40),
        text(QStringLiteral("item_60"), Edt_60),
        converted(),
        UnitBindings::affiliation(cb_63),
        text(QStringLiteral("item_61"), Edt_61),
    };
}

// Required only while the attribute's text names an enterprise.
Binding FirstUnitFields::ownershipBinding() const
{
    QComboBox *attribute = cb_62;
    QComboBox *own = ownership;
    Binding b = m_options.enterpriseRule
                    ? UnitBindings::ownership(own, attribute, false)
                    : PageBindings::pick(QStringLiteral("item_41_3"), own,
                                         PageBindings::dictionary(QStringLiteral("item_41_3")), 3);
    return b.checkedBy([attribute, own] {
        return attribute->currentText().contains(EnterpriseText) && own->currentText().trimmed().isEmpty()
                   ? PageBindings::quotedMissing(QStringLiteral("企业所有制属性"))
                   : QString();
    });
}

// "1" ticked, "0" not. A stored mark that is neither leaves the box as it
// is, unless the unit is an enterprise. Only a box that contradicts a "1"
// or a "0" counts as a change.
Binding FirstUnitFields::converted() const
{
    const QString field = QStringLiteral("item_163");
    QCheckBox *box = cb_163;
    QComboBox *attribute = cb_62;
    Binding b = m_options.enterpriseRule ? UnitBindings::converted(box, attribute) : Binding();
    b.field = field;
    b.widgets = {box};
    b.load = [field, box](const DataSet &row) {
        const QString mark = row.asString(field).trimmed();
        if (mark == QLatin1String("1") || mark == QLatin1String("0"))
            box->setChecked(mark == QLatin1String("1"));
        else if (row.asString(QStringLiteral("item_62")).trimmed() == UnitProfile::enterpriseAttribute())
            box->setChecked(false);
    };
    if (!m_options.enterpriseRule)
        b.value = [box] { return QVariant(box->isChecked() ? QStringLiteral("1") : QStringLiteral("0")); };
    b.same = [field, box](const DataSet &row) {
        const QString mark = row.asString(field).trimmed();
        return !(mark == QLatin1String("1") && !box->isChecked())
               && !(mark == QLatin1String("0") && box->isChecked());
    };
    return b;
}

void FirstUnitFields::openForAttribute(const QString &attributeCode)
{
    UnitBindings::openForAttribute(ownership, cb_163, attributeCode);
}

void FirstUnitFields::cb_62Change()
{
    UnitBindings::attributeChosen(cb_62, ownership, cb_163, false);
}
