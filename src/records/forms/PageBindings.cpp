#include "PageBindings.h"

#include "engine/DataSet.h"
#include "engine/GbkText.h"
#include "records/widgets/Abort.h"
#include "records/forms/EntryRoutines.h"
#include "records/widgets/Messages.h"
#include "records/forms/AppContext.h"
#include "records/forms/DictionaryService.h"
#include "records/forms/Unittree.h"
#include "records/widgets/ByteLimitedEdit.h"
#include "records/widgets/ClearableDate.h"
#include "records/widgets/DropDownCombo.h"
#include "records/widgets/MoneyEdit.h"

#include <QAbstractButton>
#include <QComboBox>
#include <QDateTimeEdit>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QRegularExpression>

#include <memory>

// ---- Binding ----------------------------------------------------------------

bool Binding::servesCategory(const QString &category) const
{
    switch (serves) {
    case Serves::AppliedOnly:
        return category == QLatin1String("1");
    case Serves::OthersOnly:
        return category != QLatin1String("1");
    case Serves::AllCategories:
        break;
    }
    return true;
}

Binding &Binding::withLabel(QWidget *label)
{
    widgets.append(label);
    return *this;
}

Binding &Binding::only(Serves categories, bool clearForOthers)
{
    serves = categories;
    clearedForOthers = clearForOthers;
    return *this;
}

Binding &Binding::required(const QString &message)
{
    auto isBlank = blank;
    return checkedBy([isBlank, message] { return isBlank && isBlank() ? message : QString(); });
}

Binding &Binding::checkedBy(std::function<QString()> extra)
{
    auto before = check;
    check = [before, extra] {
        const QString failed = before ? before() : QString();
        return failed.isEmpty() ? extra() : failed;
    };
    return *this;
}

Binding &Binding::follows(QWidget *control)
{
    alsoFollows.append(control);
    return *this;
}

Binding &Binding::keepsWhatItCannotShow()
{
    keepsStored = [](const DataSet &) { return true; };
    return *this;
}

Binding &Binding::partOfEntry(int parts)
{
    entryParts = parts;
    return *this;
}

Binding &Binding::trimmed()
{
    auto untrimmed = value;
    value = [untrimmed] { return QVariant(untrimmed().toString().trimmed()); };
    const QString f = field;
    const auto trimmedValue = value;
    same = [f, trimmedValue](const DataSet &record) {
        return record.asString(f).trimmed() == trimmedValue().toString();
    };
    return *this;
}

namespace PageBindings {

namespace {

const QString CodeSeparator = QStringLiteral("  ");

constexpr int TypedCodeBytes = 10;

// The codes in any order, each once, without blanks.
QStringList codeSet(const QStringList &codes)
{
    QStringList set;
    for (const QString &code : codes) {
        if (!code.trimmed().isEmpty())
            set << code.trimmed();
    }
    set.sort();
    set.removeDuplicates();
    return set;
}

QStringList storedCodeSet(const QString &codes)
{
    return codeSet(codes.split(QLatin1Char(';')));
}

QString storedText(const DataSet &record, const QString &field)
{
    return record.asString(field).trimmed();
}

QString twoDigitMonth(const QString &month)
{
    return month.size() == 1 ? QLatin1Char('0') + month : month;
}

QString withoutTrailingBlanks(QString text)
{
    while (text.endsWith(QLatin1Char(' ')))
        text.chop(1);
    return text;
}

// A text field reads back without the blanks that pad it.
QString readBack(const DataSet &record, const QString &field, const QString &text)
{
    return record.fieldType(field) == 'C' ? withoutTrailingBlanks(text) : text;
}

// A line edit given the text it shows and untouched since would only lay
// it out anew: a page filled again from its record sets most texts again.
void showText(QLineEdit *edit, const QString &text)
{
    const bool untouched = edit->inputMask().isEmpty() && !edit->isModified() && !edit->hasSelectedText()
                           && !edit->isUndoAvailable() && !edit->isRedoAvailable()
                           && edit->cursorPosition() == text.size();
    if (untouched && edit->text() == text)
        return;
    edit->setText(text);
}

} // namespace

QString faceOf(const QWidget *w)
{
    if (const auto *date = qobject_cast<const ClearableDate *>(w))
        return date->dotText() + QLatin1Char('|') + date->date().toString(Qt::ISODate)
               + (date->isCleared() ? QLatin1Char('x') : QLatin1Char('-'));
    if (const auto *picker = qobject_cast<const QDateTimeEdit *>(w))
        return picker->dateTime().toString(Qt::ISODate);
    if (const auto *combo = qobject_cast<const QComboBox *>(w))
        return QString::number(combo->currentIndex()) + QLatin1Char('|') + combo->currentText();
    if (const auto *edit = qobject_cast<const QLineEdit *>(w))
        return edit->text();
    if (const auto *memo = qobject_cast<const QPlainTextEdit *>(w))
        return memo->toPlainText();
    if (const auto *button = qobject_cast<const QAbstractButton *>(w))
        return button->isChecked() ? QStringLiteral("1") : QStringLiteral("0");
    if (qobject_cast<const QLabel *>(w))
        return {};
    QString ticked;
    for (const QAbstractButton *box : w->findChildren<QAbstractButton *>()) {
        if (box->isCheckable() && box->isChecked())
            ticked += box->objectName() + QLatin1Char(';');
    }
    return ticked;
}

QString quotedMissing(const QString &label)
{
    return QLatin1Char('"') + label + QLatin1Char('"') + QStringLiteral("不能为空！");
}

namespace {

bool isBlankValue(const QVariant &value)
{
    return !value.isValid() || value.isNull()
           || (value.typeId() == QMetaType::QString && value.toString().trimmed().isEmpty());
}

QDate dateOfValue(const QVariant &value)
{
    if (value.typeId() == QMetaType::QDate)
        return value.toDate();
    const QString text = value.toString().trimmed();
    for (const char *format : {"yyyy.MM.dd", "yyyy-MM-dd", "yyyyMMdd"}) {
        const QDate date = QDate::fromString(text, QString::fromLatin1(format));
        if (date.isValid())
            return date;
    }
    return {};
}

bool sameNumber(const DataSet &record, const QString &field, const QVariant &value)
{
    bool ok = false;
    const double wanted = value.typeId() == QMetaType::QString ? value.toString().trimmed().toDouble(&ok)
                                                               : value.toDouble(&ok);
    if (!ok || record.isNull(field))
        return false;
    const double held = record.asNumber(field);
    return qAbs(wanted - held) <= 1e-9 * qMax(1.0, qMax(qAbs(wanted), qAbs(held)));
}

} // namespace

bool storesAs(const DataSet &record, const QString &field, const QVariant &value)
{
    switch (record.fieldType(field)) {
    case 'C':
        return withoutTrailingBlanks(record.asString(field)) == withoutTrailingBlanks(value.toString());
    case 'M':
        return record.asString(field) == value.toString();
    case 'D':
        return isBlankValue(value) ? record.isNull(field) : record.asDate(field) == dateOfValue(value);
    case 'L':
        return record.value(field).toBool() == value.toBool();
    default:
        return isBlankValue(value) ? record.isNull(field) : sameNumber(record, field, value);
    }
}

// ---- plain kinds ------------------------------------------------------------

Binding text(const QString &field, QLineEdit *edit)
{
    Binding b;
    b.field = field;
    b.sizedByField = qobject_cast<ByteLimitedEdit *>(edit) != nullptr;
    b.widgets = {edit};
    b.load = [field, edit](const DataSet &record) { showText(edit, record.asString(field)); };
    b.value = [edit] { return QVariant(edit->text()); };
    b.same = [field, edit](const DataSet &record) {
        return record.asString(field) == readBack(record, field, edit->text());
    };
    b.blank = [edit] { return edit->text().isEmpty(); };
    return b.keepsWhatItCannotShow();
}

Binding memo(const QString &field, QPlainTextEdit *memo)
{
    Binding b;
    b.field = field;
    b.widgets = {memo};
    b.load = [field, memo](const DataSet &record) {
        memo->setPlainText(MemoTextToShow(record.asString(field)));
    };
    b.value = [memo] {
        const QString text = memo->toPlainText();
        if (text.contains(QLatin1Char('\t')))
            memo->setPlainText(TabsToSpaces(text));
        return QVariant(MemoTextToStore(text));
    };
    b.same = [field, memo](const DataSet &record) {
        return MemoTextToShow(record.asString(field)).trimmed() == memo->toPlainText().trimmed();
    };
    b.writesAsStored = [field, memo](const DataSet &record) {
        return record.asString(field) == MemoTextToStore(memo->toPlainText());
    };
    b.blank = [memo] { return memo->toPlainText().trimmed().isEmpty(); };
    return b.keepsWhatItCannotShow();
}

Binding pick(const QString &field, QComboBox *combo, FillList fill, int codeChars)
{
    // A stored code that the list no longer offers (an item of an earlier
    // version of the form) is kept until the user chooses an item, the
    // blank one included, so that saving another change does not erase it.
    auto kept = std::make_shared<QString>();
    QObject::connect(combo, &QComboBox::activated, combo, [kept] { kept->clear(); });
    const auto chosen = [combo, codeChars] { return combo->currentText().left(codeChars).trimmed(); };
    const auto code = [chosen, kept] {
        const QString c = chosen();
        return c.isEmpty() ? *kept : c;
    };
    Binding b;
    b.field = field;
    b.widgets = {combo};
    b.load = [field, combo, fill, kept](const DataSet &record) {
        fill(combo);
        combo->setCurrentIndex(-1);  // a record without a code shows no choice
        SelectComboByCode(record.asString(field), combo);
        *kept = combo->currentIndex() < 0 ? storedText(record, field) : QString();
    };
    b.value = [code] { return QVariant(code()); };
    b.same = [field, code](const DataSet &record) { return storedText(record, field) == code(); };
    b.blank = [chosen] { return chosen().isEmpty(); };
    return b.keepsWhatItCannotShow();
}

// A list filled for the record before holds the same items when the record
// is filled again; its item is chosen after the fill in every case.
FillList dictionary(const QString &group, bool withBlankItem)
{
    return [group, withBlankItem](QComboBox *combo) {
        ShowComboItems(combo, ContextOf(combo).dictionary().items(group, !withBlankItem));
    };
}

Binding dictionaryPick(const QString &field, QComboBox *combo, int codeChars, bool withBlankItem)
{
    return pick(field, combo, dictionary(field, withBlankItem), codeChars);
}

Binding options(const QString &field, QWidget *panel, int codeLength, const QString &label)
{
    Binding b;
    b.field = field;
    b.widgets = {panel};
    const auto codes = [panel, codeLength, label] {
        return CollectCheckedCodes(panel->window(), panel, label, codeLength);
    };
    b.load = [field, panel, codeLength](const DataSet &record) {
        CheckOptionsByCodes(panel, storedText(record, field), codeLength);
    };
    b.value = [codes] { return QVariant(codes()); };
    b.same = [field, codes](const DataSet &record) { return storedText(record, field) == codes(); };
    b.blank = [codes] { return codes().isEmpty(); };
    // The boxes show every code they have, and the rules of their clicks
    // may untick some on loading: then the save writes what is ticked. A
    // stored code without a box is kept.
    b.writesAsStored = [field, panel, codeLength](const DataSet &record) {
        return storedCodeSet(storedText(record, field)) == codeSet(TickedOptionCodes(panel, codeLength));
    };
    b.keepsStored = [field, panel, codeLength](const DataSet &record) {
        for (const QString &code : storedCodeSet(storedText(record, field))) {
            if (!HasOptionCode(panel, code, codeLength))
                return true;
        }
        return false;
    };
    return b;
}

Binding constant(const QString &field, const QString &value)
{
    Binding b;
    b.field = field;
    b.value = [value] { return QVariant(value); };
    return b;
}

Binding money(const QString &field, MoneyEdit *edit)
{
    Binding b = text(field, edit);
    b.value = [edit] { return edit->storedValue(); };
    return b;
}

Binding clearableDate(const QString &field, ClearableDate *date,
                      std::function<QString(const QString &stored)> badTextMessage)
{
    Binding b;
    b.field = field;
    b.widgets = {date};
    b.load = [field, date, badTextMessage](const DataSet &record) {
        const QString stored = storedText(record, field);
        if (!date->setDotText(stored))
            Messages::ShowWarning(date->window(), badTextMessage(stored));
    };
    b.value = [date] { return QVariant(date->dotText()); };
    b.same = [field, date](const DataSet &record) {
        return storedText(record, field) == date->dotText();
    };
    b.blank = [date] { return date->dotText().isEmpty(); };
    return b.keepsWhatItCannotShow();
}

// ---- classification codes ---------------------------------------------------

QString classificationCode(const QString &editText)
{
    const int at = editText.indexOf(CodeSeparator);
    return (at < 0 ? editText : editText.left(at)).trimmed();
}

Binding classification(const QString &field, ByteLimitedEdit *edit, DropDownCombo *opener,
                       const QString &tableFile)
{
    QObject::connect(opener, &DropDownCombo::dropDown, edit, [edit, tableFile] {
        runGuarded(edit->window(),
                   [&] { ContextOf(edit).need<TFormTree>().pick(edit, tableFile); });
    });
    const auto present = [edit, tableFile] {
        return ContextOf(edit).dictionary().hasClassification(tableFile);
    };
    Binding b;
    b.field = field;
    b.widgets = {edit};
    b.load = [field, edit, opener, tableFile, present](const DataSet &record) {
        const bool withTable = present();
        opener->setVisible(withTable);
        edit->setReadOnly(withTable);
        edit->setMaxBytes(withTable ? 0 : TypedCodeBytes);
        const QString code = storedText(record, field);
        if (!withTable) {
            edit->setText(code);
            return;
        }
        // A code the table does not know is kept, not erased by the next save.
        const QString entry = ContextOf(edit).dictionary().classificationEntry(tableFile, code);
        edit->setText(entry.isEmpty() ? code : entry);
    };
    // Without the table the edit takes at most ten typed bytes; a longer
    // stored code is kept whole.
    b.value = [edit, present] {
        return QVariant(present() ? classificationCode(edit->text()) : edit->text());
    };
    const auto value = b.value;
    b.same = [field, value](const DataSet &record) {
        return storedText(record, field) == value().toString().trimmed();
    };
    b.blank = [value] { return value().toString().trimmed().isEmpty(); };
    return b.keepsWhatItCannotShow();
}

// ---- research period ----------------------------------------------------------

QString periodText(const QString &startYear, const QString &startMonth, const QString &endYear,
                   const QString &endMonth)
{
    return periodEnd(startYear, startMonth) + QStringLiteral("   至") + periodEnd(endYear, endMonth);
}

QString periodEnd(const QString &year, const QString &month)
{
    return year + QLatin1Char('.') + twoDigitMonth(month);
}

Binding researchPeriod(const QString &field, QLineEdit *startYear, QLineEdit *startMonth,
                       QLineEdit *endYear, QLineEdit *endMonth, std::function<QDate()> latestEnd)
{
    const QList<QLineEdit *> edits = {startYear, startMonth, endYear, endMonth};
    Binding b;
    b.field = field;
    b.widgets = {startYear, startMonth, endYear, endMonth};
    static const QRegularExpression period(
        QStringLiteral("^(\\d{4})\\.(\\d{1,2})\\s*至\\s*(\\d{4})\\.(\\d{1,2})$"));
    b.load = [field, edits](const DataSet &record) {
        const QString stored = storedText(record, field);
        const QRegularExpressionMatch match = period.match(stored);
        if (match.hasMatch()) {
            for (int i = 0; i < 4; ++i)
                edits[i]->setText(i % 2 ? twoDigitMonth(match.captured(i + 1)) : match.captured(i + 1));
            return;
        }
        if (!stored.isEmpty())
            Messages::ShowWarning(edits[0]->window(),
                                  QStringLiteral("项目中”起止时间“") + Messages::Texts::badTimeReplaced());
        SplitStartEndTime(QString(), edits[0], edits[1], edits[2], edits[3]);
    };
    b.value = [edits] {
        return QVariant(periodText(edits[0]->text(), edits[1]->text(), edits[2]->text(),
                                   edits[3]->text()));
    };
    const auto value = b.value;
    b.same = [field, value](const DataSet &record) {
        return storedText(record, field) == value().toString();
    };
    b.blank = [edits] {
        for (QLineEdit *e : edits) {
            if (e->text().isEmpty())
                return true;
        }
        return false;
    };
    // A period written untidily (a one-digit month, other blanks) is kept;
    // a text that is no period is replaced on loading, with its message.
    b.keepsStored = [field](const DataSet &record) {
        return period.match(storedText(record, field)).hasMatch();
    };
    b.check = [edits, latestEnd]() -> QString {
        for (QLineEdit *e : edits)
            e->setText(e->text().trimmed());
        for (QLineEdit *e : edits) {
            if (e->text().isEmpty())
                return QStringLiteral("研究起止时间为必填项！");
        }
        const QString start = periodEnd(edits[0]->text(), edits[1]->text()).left(7);
        const QString end = periodEnd(edits[2]->text(), edits[3]->text()).left(7);
        if (latestEnd && end > latestEnd().toString(QStringLiteral("yyyy.MM")))
            return QStringLiteral("所填写的研究终止时间不应大于登记日期！");
        if (start > end)
            return QStringLiteral("所填写的研究起始时间不应大于研究终止时间！");
        if (start == end)
            return QStringLiteral("所填写的研究起始时间不应等于研究终止时间！");
        return {};
    };
    return b;
}

// ---- key words ------------------------------------------------------------------

QString joinKeyWords(const QList<QLineEdit *> &edits)
{
    QStringList words;
    for (QLineEdit *e : edits) {
        if (e->text().trimmed().isEmpty())
            break;
        words << e->text();
    }
    return words.join(QLatin1Char(';'));
}

Binding keyWords(const QString &field, const QList<QLineEdit *> &edits, int maxBytes,
                 const QString &tooLongMessage)
{
    // Each edit is open only while the one before it holds a word.
    const auto followFirst = [edits] {
        for (int i = 1; i < edits.size(); ++i) {
            const bool open = edits[i - 1]->isEnabled() && !edits[i - 1]->text().trimmed().isEmpty();
            if (!open)
                edits[i]->clear();
            edits[i]->setEnabled(open);
        }
    };
    for (QLineEdit *e : edits)
        QObject::connect(e, &QLineEdit::textChanged, e, followFirst);
    followFirst();

    Binding b;
    b.field = field;
    b.widgets = {edits.begin(), edits.end()};
    b.load = [field, edits](const DataSet &record) {
        SplitCodesToEdits(record.asString(field), edits.value(0), edits.value(1), edits.value(2));
    };
    b.value = [edits] { return QVariant(joinKeyWords(edits)); };
    b.same = [field, edits](const DataSet &record) {
        return record.asString(field) == joinKeyWords(edits);
    };
    b.blank = [edits] { return joinKeyWords(edits).isEmpty(); };
    b.keepsWhatItCannotShow();
    b.check = [edits, maxBytes, tooLongMessage] {
        int bytes = 0;
        for (QLineEdit *e : edits)
            bytes += GbkText::byteLength(e->text());
        return bytes > maxBytes ? tooLongMessage : QString();
    };
    return b;
}

} // namespace PageBindings
