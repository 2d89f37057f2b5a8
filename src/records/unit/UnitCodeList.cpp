#include "UnitCodeList.h"

#include "engine/DataSet.h"
#include "records/widgets/Abort.h"
#include "records/forms/AppContext.h"
#include "records/forms/DictionaryService.h"
#include "records/forms/Unittree.h"
#include "records/unit/UnitProfile.h"
#include "records/widgets/DropDownCombo.h"

#include <QGridLayout>
#include <QGroupBox>
#include <QLineEdit>
#include <memory>

UnitCodeList UnitCodeList::build(QWidget *parent, const QString &title, const QString &field,
                                 const QString &prefix, const QString &tableFile)
{
    UnitCodeList list;
    list.panel = new QGroupBox(title, parent);
    list.field = field;
    list.prefix = prefix;
    list.tableFile = tableFile;
    const QString arrowPrefix = QStringLiteral("cb") + prefix.mid(3);
    auto *grid = new QGridLayout(list.panel);
    grid->setContentsMargins(4, 2, 4, 2);
    grid->setSpacing(0);
    for (int i = 1; i <= UnitProfile::CodeListCapacity; ++i) {
        auto *edit = new QLineEdit(list.panel);
        edit->setObjectName(prefix + QString::number(i));
        auto *arrow = new DropDownCombo(list.panel);
        arrow->setObjectName(arrowPrefix + QString::number(i));
        arrow->setFixedWidth(20);
        // Ten rows as high as their text: the pages keep their 600 pixels.
        for (QWidget *w : {static_cast<QWidget *>(edit), static_cast<QWidget *>(arrow)})
            w->setFixedHeight(edit->fontMetrics().height() + 4);
        grid->addWidget(edit, i - 1, 0);
        grid->addWidget(arrow, i - 1, 1);
        QObject::connect(arrow, &DropDownCombo::dropDown, edit, [edit, tableFile] {
            runGuarded(edit->window(), [&] { ContextOf(edit).need<TFormTree>().pick(edit, tableFile); });
        });
        list.edits << edit;
        list.arrows << arrow;
    }
    return list;
}

Binding UnitCodeList::binding() const
{
    const UnitCodeList list = *this;
    // The codes the classification table lacks, as the load showed them.
    auto bareCodes = std::make_shared<QStringList>();
    Binding b;
    b.field = list.field;
    b.widgets = {list.edits.cbegin(), list.edits.cend()};
    b.load = [list, bareCodes](const DataSet &row) {
        const DictionaryService &dictionary = ContextOf(list.panel).dictionary();
        const QStringList codes = UnitProfile::splitCodeList(row.asString(list.field));
        bareCodes->clear();
        for (int i = 0; i < list.edits.size(); ++i) {
            const QString code = codes.value(i);
            const QString entry = dictionary.classificationEntry(list.tableFile, code);
            list.edits[i]->setText(entry.isEmpty() ? code : entry);
            *bareCodes << (entry.isEmpty() ? code : QString());
        }
    };
    b.value = [list, bareCodes] {
        QString stored;
        for (int i = 0; i < list.edits.size(); ++i) {
            const QString text = list.edits[i]->text();
            const QString bare = bareCodes->value(i);
            stored += !bare.isEmpty() && text == bare ? bare + QStringLiteral(" ;")
                                                      : UnitProfile::codeListEntry(text);
        }
        return QVariant(stored);
    };
    const auto value = b.value;
    b.same = [field = list.field, value](const DataSet &row) {
        return row.asString(field) == value().toString();
    };
    // More entries than edits, an entry without its ";": kept as stored.
    return b.keepsWhatItCannotShow();
}
