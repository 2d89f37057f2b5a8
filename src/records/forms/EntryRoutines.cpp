#include "EntryRoutines.h"

#include "engine/Clock.h"
#include "engine/DataSet.h"
#include "records/widgets/Abort.h"
#include "records/widgets/Messages.h"
#include "records/widgets/OptionGroup.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDate>
#include <QLineEdit>
#include <QRadioButton>

namespace {

const QString BlankItem = QStringLiteral(" ");
const QString ItemSeparator = QStringLiteral("  ");
// The one group for which any number of ticked codes is allowed.
const QString UnlimitedGroupLabel = QStringLiteral("知识产权形式");

QString quoted(const QString &value)
{
    return QLatin1Char('\'') + EscapeSqlQuotes(value) + QLatin1Char('\'');
}

// Replaces the table's filter and makes sure it is open and filtered.
void filterTable(Table &table, const QString &expression)
{
    table.setFiltered(false);
    table.setFilter(expression);
    table.setFiltered(true);
    if (!table.isOpen())
        table.open();
}

template <class RowAction>
void forEachRow(DataSet &dataSet, RowAction action)
{
    const int count = dataSet.recordCount();
    for (int row = 0; row < count; ++row) {
        dataSet.moveTo(row);
        action();
    }
}

void fillFromDictionary(Table &dictionary, const QString &group, bool noBlank, QComboBox *combo,
                        bool keepEarlierVersions)
{
    filterTable(dictionary, QStringLiteral("zddm =") + quoted(group));
    combo->clear();
    forEachRow(dictionary, [&] {
        const QString code = dictionary.asString(QStringLiteral("xxdm"));
        const QString text = dictionary.asString(QStringLiteral("xxmc"));
        if (code.isEmpty() || text.isEmpty())
            return;
        if (!keepEarlierVersions && text.startsWith(QStringLiteral("**")))
            return;
        combo->addItem(code + ItemSeparator + text);
    });
    if (!noBlank)
        combo->addItem(BlankItem);
}

// The text before the first separator; empty when there is none.
QString beforeSeparator(const QString &text, QChar separator)
{
    const int at = text.indexOf(separator);
    return at < 0 ? QString() : text.left(at);
}

// The text after the first separator; the whole text when there is none.
QString afterSeparator(const QString &text, QChar separator)
{
    const int at = text.indexOf(separator);
    return at < 0 ? text : text.mid(at + 1);
}

// A code of two or more characters read as a number; a code that is not one
// is reported and leaves the number unset (the codes then keep their order).
bool readCodeNumber(QWidget *parent, const QString &code, int *number)
{
    if (code.length() < 2)
        return false;
    bool ok = false;
    *number = code.toInt(&ok);
    if (!ok)
        Messages::ShowWarning(parent, QLatin1Char('\'') + code + QLatin1Char('\'')
                                          + QStringLiteral("不是数字格式！"));
    return ok;
}

QString tickedCodes(QWidget *panel, int n)
{
    QString result;
    for (QAbstractButton *box : OptionBoxesOf(panel)) {
        if (!box->isChecked())
            continue;
        if (qobject_cast<QRadioButton *>(box))
            result += OptionCode(box, n);
        else
            result += OptionCode(box, n) + QLatin1Char(';');
    }
    return result;
}

void splitPeriodPart(const QString &part, QLineEdit *year, QLineEdit *month)
{
    const int dot = part.indexOf(QLatin1Char('.'));
    year->setText(dot < 0 ? QString() : part.left(dot));
    month->setText(dot < 0 ? part : part.mid(dot + 1));
}

} // namespace

QString RequireText(QWidget *parent, const QString &text, const QString &message)
{
    const QString trimmed = text.trimmed();
    if (trimmed.isEmpty()) {
        Messages::ShowWarning(parent, message);
        throw Abort{};
    }
    return trimmed;
}

void ReopenQuery(Query &query, const QString &sql)
{
    query.close();
    query.setSql(sql);
    query.open();
}

void FillComboFromDict(Table &dictionary, const QString &group, bool noBlank, QComboBox *combo)
{
    fillFromDictionary(dictionary, group, noBlank, combo, false);
}

void FillComboFromDictAll(Table &dictionary, const QString &group, bool noBlank, QComboBox *combo)
{
    fillFromDictionary(dictionary, group, noBlank, combo, true);
}

void FillComboFromTable(Table &table, QComboBox *combo, bool noBlank, const QString &nameField,
                        const QString &codeField)
{
    table.setFiltered(false);
    table.setFilter(QString());
    if (!table.isOpen())
        table.open();
    combo->clear();
    forEachRow(table, [&] {
        if (table.isNull(codeField) || table.isNull(nameField))
            return;
        combo->addItem(table.asString(codeField) + QStringLiteral("  (")
                       + table.asString(nameField) + QLatin1Char(')'));
    });
    if (!noBlank)
        combo->addItem(BlankItem);
}

void ShowComboItems(QComboBox *combo, const QStringList &items)
{
    if (!combo->isEditable() && combo->count() == items.size()) {
        bool same = true;
        for (int i = 0; same && i < items.size(); ++i)
            same = combo->itemText(i) == items.at(i);
        if (same)
            return;
    }
    combo->clear();
    combo->addItems(items);
}

void FillComboFromField(DataSet &dataSet, QComboBox *combo, const QString &field)
{
    combo->clear();
    forEachRow(dataSet, [&] {
        if (!dataSet.isNull(field))
            combo->addItem(dataSet.asString(field));
    });
}

QString CodeOfItem(const QString &itemText)
{
    const int at = itemText.indexOf(ItemSeparator);
    return at < 0 ? QString() : itemText.left(at).trimmed();
}

void SelectComboByCode(const QString &code, QComboBox *combo)
{
    const QString wanted = code.trimmed();
    int match = -1;
    for (int i = 0; i < combo->count(); ++i) {
        const QString item = combo->itemText(i);
        if (item != BlankItem && CodeOfItem(item) == wanted)
            match = i;
    }
    if (match >= 0)
        combo->setCurrentIndex(match);
}

void ShowDictCode(Table &classification, const QString &code, QLineEdit *edit)
{
    classification.close();
    filterTable(classification, QStringLiteral("xxdm=") + quoted(code));
    const QStringList fields = classification.fieldNames();
    if (classification.isEmpty() || fields.size() < 3) {
        edit->clear();
        return;
    }
    classification.first();
    edit->setText(classification.asString(fields.at(1)) + ItemSeparator
                  + classification.asString(fields.at(2)));
}

void ClearOptionBoxes(QWidget *window)
{
    const auto buttons = window->findChildren<QAbstractButton *>();
    for (QAbstractButton *button : buttons) {
        if (qobject_cast<QCheckBox *>(button) || qobject_cast<QRadioButton *>(button))
            SetOptionTicked(button, false);
    }
}

void CheckOptionByCode(QWidget *panel, const QString &code, int n)
{
    for (QAbstractButton *box : OptionBoxesOf(panel)) {
        if (OptionCode(box, n) == code)
            SetOptionTicked(box, true);
    }
}

void CheckOptionsByCodes(QWidget *panel, const QString &stored, int n)
{
    if (stored.isEmpty())
        return;
    if (!stored.contains(QLatin1Char(';'))) {
        CheckOptionByCode(panel, stored, n);
        return;
    }
    QStringList parts = stored.split(QLatin1Char(';'));
    parts.removeLast();  // the part after the last ";" is not a code
    for (int i = 0; i < parts.size() && i < 3; ++i) {
        const QString code = parts.at(i).trimmed();
        if (!code.isEmpty())
            CheckOptionByCode(panel, code, n);
    }
}

QStringList TickedOptionCodes(QWidget *panel, int n)
{
    QStringList codes;
    for (QAbstractButton *box : OptionBoxesOf(panel)) {
        if (box->isChecked())
            codes << OptionCode(box, n);
    }
    return codes;
}

bool HasOptionCode(QWidget *panel, const QString &code, int n)
{
    for (QAbstractButton *box : OptionBoxesOf(panel)) {
        if (OptionCode(box, n) == code)
            return true;
    }
    return false;
}

QString CollectCheckedCodes(QWidget *parent, QWidget *panel, const QString &label, int n)
{
    const QString result = tickedCodes(panel, n);
    const QChar semicolon(QLatin1Char(';'));

    int firstNumber = 0;
    const bool firstSet = readCodeNumber(parent, beforeSeparator(result, semicolon), &firstNumber);

    const QString rest = afterSeparator(result, semicolon);
    QString second;
    int secondNumber = 0;
    bool secondSet = false;
    if (rest.length() >= 2) {
        second = beforeSeparator(rest, semicolon);
        secondSet = readCodeNumber(parent, second, &secondNumber);
    }

    const bool thirdTicked = rest.contains(semicolon)
                             && afterSeparator(rest, semicolon).contains(semicolon);
    if (thirdTicked && label != UnlimitedGroupLabel) {
        Messages::show(parent, QStringLiteral("提示"),
                       QLatin1Char('\'') + label + QLatin1Char('\'')
                           + QStringLiteral("项目为复选项目，但至多选择二项！"),
                       QMessageBox::Question, QMessageBox::Ok);
        throw Abort{};
    }

    // Two codes are stored smaller first; with a third code (allowed for one
    // group only) the text stays as ticked so that no code is lost.
    if (!thirdTicked && firstSet && secondSet && firstNumber >= 1 && secondNumber >= 1
        && secondNumber < firstNumber) {
        const QString first = beforeSeparator(result, semicolon);
        return second + semicolon + first + semicolon;
    }
    return result;
}

void SplitCodesToEdits(const QString &text, QLineEdit *first, QLineEdit *second, QLineEdit *third)
{
    first->clear();
    second->clear();
    third->clear();
    const QChar semicolon(QLatin1Char(';'));
    if (!text.contains(semicolon)) {
        first->setText(text);
        return;
    }
    first->setText(beforeSeparator(text, semicolon));
    const QString rest = afterSeparator(text, semicolon);
    if (!rest.contains(semicolon)) {
        second->setText(rest);
        return;
    }
    second->setText(beforeSeparator(rest, semicolon));
    const QString last = afterSeparator(rest, semicolon);
    third->setText(last.contains(semicolon) ? beforeSeparator(last, semicolon) : last);
}

void SplitStartEndTime(const QString &period, QLineEdit *startYear, QLineEdit *startMonth,
                       QLineEdit *endYear, QLineEdit *endMonth)
{
    const QString text = period.trimmed();
    if (text.length() > 15) {
        splitPeriodPart(text.left(7).trimmed(), startYear, startMonth);
        splitPeriodPart(text.right(7).trimmed(), endYear, endMonth);
        return;
    }
    const QDate today = Clock::today();
    const QString year = QString::number(today.year());
    const QString month = QStringLiteral("%1").arg(today.month(), 2, 10, QLatin1Char('0'));
    startYear->setText(year);
    startMonth->setText(month);
    endYear->setText(year);
    endMonth->setText(month);
}

QString DotDateToDashDate(const QString &text)
{
    return text.mid(0, 4) + QLatin1Char('-') + text.mid(5, 2) + QLatin1Char('-') + text.mid(8, 2);
}

QString TabsToSpaces(const QString &text)
{
    QString result = text;
    result.replace(QLatin1Char('\t'), QLatin1Char(' '));
    return result;
}

QString MemoTextToStore(const QString &shown)
{
    QString text = MemoTextToShow(shown);
    text.replace(QLatin1Char('\n'), QStringLiteral("\r\n"));
    return TabsToSpaces(text);
}

QString MemoTextToShow(const QString &stored)
{
    QString text = stored;
    text.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    text.replace(QLatin1Char('\r'), QLatin1Char('\n'));
    return text;
}

QString EscapeSqlQuotes(const QString &text)
{
    QString result = text;
    result.replace(QLatin1Char('\''), QStringLiteral("''"));
    return result;
}
