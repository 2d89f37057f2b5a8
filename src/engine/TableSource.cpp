#include "TableSource.h"

#include "engine/DbError.h"
#include "engine/GbkText.h"
#include "engine/ValueText.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QHash>
#include <QRegularExpression>
#include <QStringDecoder>

#include <cmath>
#include <limits>

namespace TableSource {
namespace {

// dBase III+ header limits: a 16-bit record length, field descriptors after
// a 32-byte header.
constexpr int MaxFields = 255;
constexpr int MaxRecordLength = 65535;
constexpr int MaxTextWidth = 254;
constexpr int MaxNumberWidth = 20;

[[noreturn]] void fail(const QString &path, int line, const QString &message)
{
    throw DbError(QStringLiteral("%1:%2: %3").arg(path).arg(line).arg(message));
}

[[noreturn]] void fail(const QString &path, const QString &message)
{
    throw DbError(QStringLiteral("%1: %2").arg(path, message));
}

// The lines of a UTF-8 text file, without line ends and without a leading
// byte-order mark.
QStringList readLines(const QString &path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        fail(path, QStringLiteral("无法打开文件：%1").arg(file.errorString()));
    QStringDecoder decoder(QStringDecoder::Utf8);
    QString text = decoder(file.readAll());
    if (decoder.hasError())
        fail(path, QStringLiteral("文件不是 UTF-8 文本"));
    if (text.startsWith(QChar(0xFEFF)))
        text.remove(0, 1);
    QStringList lines = text.split(QLatin1Char('\n'));
    if (!lines.isEmpty() && lines.last().isEmpty())
        lines.removeLast();
    for (QString &line : lines) {
        if (line.endsWith(QLatin1Char('\r')))
            line.chop(1);
    }
    return lines;
}

bool isValidFieldName(const QString &name)
{
    static const QRegularExpression pattern(QStringLiteral("^[A-Za-z][A-Za-z0-9_]{0,9}$"));
    return pattern.match(name).hasMatch();
}

bool isValidTableFileName(const QString &name)
{
    static const QRegularExpression pattern(QStringLiteral("^[A-Za-z0-9_]+\\.[dD][bB][fF]$"));
    return pattern.match(name).hasMatch();
}

int parseCount(const QString &token, bool *ok)
{
    static const QRegularExpression digits(QStringLiteral("^[0-9]{1,5}$"));
    *ok = digits.match(token).hasMatch();
    return *ok ? token.toInt() : 0;
}

// Width and decimals of one field line; returns an error text or nothing.
QString applySize(DbfField &field, const QStringList &sizes)
{
    bool ok = true;
    const int width = sizes.size() > 0 ? parseCount(sizes[0], &ok) : -1;
    if (!ok)
        return QStringLiteral("宽度“%1”不是整数").arg(sizes[0]);
    const int decimals = sizes.size() > 1 ? parseCount(sizes[1], &ok) : 0;
    if (!ok)
        return QStringLiteral("小数位数“%1”不是整数").arg(sizes[1]);
    if (sizes.size() > 1 && field.type != 'N' && field.type != 'F')
        return QStringLiteral("只有 N、F 类型的字段有小数位数");

    static const QHash<char, int> fixedWidths = {{'D', 8}, {'L', 1}, {'M', 10}, {'I', 4}};
    if (fixedWidths.contains(field.type)) {
        const int fixed = fixedWidths.value(field.type);
        if (width != -1 && width != fixed)
            return QStringLiteral("%1 类型的字段宽度只能是 %2").arg(QLatin1Char(field.type)).arg(fixed);
        field.width = fixed;
        return {};
    }
    if (width == -1)
        return QStringLiteral("%1 类型的字段必须给出宽度").arg(QLatin1Char(field.type));
    const int maxWidth = field.type == 'C' ? MaxTextWidth : MaxNumberWidth;
    if (width < 1 || width > maxWidth)
        return QStringLiteral("宽度 %1 超出范围 1～%2").arg(width).arg(maxWidth);
    if (decimals > 0 && decimals > width - 2)
        return QStringLiteral("小数位数 %1 对宽度 %2 太大").arg(decimals).arg(width);
    field.width = width;
    field.decimals = decimals;
    return {};
}

// "field NAME TYPE [WIDTH [DECIMALS]]"; returns an error text or nothing.
QString parseField(const QStringList &tokens, DbfField *field)
{
    if (tokens.size() < 3 || tokens.size() > 5)
        return QStringLiteral("字段行的格式是“field 名称 类型 [宽度 [小数位数]]”");
    if (!isValidFieldName(tokens[1]))
        return QStringLiteral("字段名“%1”不合法（字母开头，字母、数字或下划线，至多 10 个字符）").arg(tokens[1]);
    const QString type = tokens[2].toUpper();
    if (type.size() != 1 || !QStringLiteral("CNFDLMI").contains(type))
        return QStringLiteral("未知的字段类型“%1”").arg(tokens[2]);
    field->name = tokens[1];
    field->type = type[0].toLatin1();
    return applySize(*field, tokens.mid(3));
}

int recordLength(const QList<DbfField> &fields)
{
    int length = 1;  // the deletion flag
    for (const DbfField &field : fields)
        length += field.width;
    return length;
}

QString unescape(const QString &value, QString *error)
{
    QString result;
    result.reserve(value.size());
    for (int i = 0; i < value.size(); ++i) {
        const QChar c = value[i];
        if (c != QLatin1Char('\\')) {
            result += c;
            continue;
        }
        const QChar next = i + 1 < value.size() ? value[i + 1] : QChar();
        switch (next.unicode()) {
        case 'n': result += QLatin1Char('\n'); break;
        case 'r': result += QLatin1Char('\r'); break;
        case 't': result += QLatin1Char('\t'); break;
        case '\\': result += QLatin1Char('\\'); break;
        default:
            *error = QStringLiteral("未知的转义“\\%1”（只有 \\n、\\r、\\t、\\\\）").arg(next);
            return {};
        }
        ++i;
    }
    return result;
}

QString escape(const QString &value)
{
    // CR LF is one line break and is written as one "\n"; a lone CR keeps
    // its own escape.
    QString text = value;
    text.replace(QLatin1String("\r\n"), QLatin1String("\n"));
    QString result;
    result.reserve(text.size());
    for (const QChar c : text) {
        switch (c.unicode()) {
        case '\\': result += QLatin1String("\\\\"); break;
        case '\t': result += QLatin1String("\\t"); break;
        case '\n': result += QLatin1String("\\n"); break;
        case '\r': result += QLatin1String("\\r"); break;
        default: result += c;
        }
    }
    return result;
}

QVariant textValue(const DbfField &field, const QString &text, QString *error)
{
    // A line break is stored as CR LF, the form that the exchange files carry.
    QString stored = text;
    stored.replace(QLatin1String("\r\n"), QLatin1String("\n"));
    stored.replace(QLatin1Char('\n'), QLatin1String("\r\n"));
    bool ok = true;
    const QByteArray gbk = GbkText::encode(stored, &ok);
    if (!ok) {
        *error = QStringLiteral("字段 %1 的文字含有 GBK 无法表示的字符“%2”")
                     .arg(field.name, GbkText::firstUnencodable(stored));
        return {};
    }
    if (field.type == 'C' && gbk.size() > field.width) {
        *error = QStringLiteral("字段 %1 的文字有 %2 字节，超过字段宽度 %3")
                     .arg(field.name).arg(gbk.size()).arg(field.width);
        return {};
    }
    return stored;
}

QVariant numberValue(const DbfField &field, const QString &text, QString *error)
{
    double number = 0;
    if (!ValueText::parseNumber(text, &number)) {
        *error = QStringLiteral("字段 %1 的值“%2”不是数字").arg(field.name, text);
        return {};
    }
    if (field.type == 'I') {
        if (number != std::trunc(number) || std::abs(number) > std::numeric_limits<int>::max()) {
            *error = QStringLiteral("字段 %1 的值“%2”不是整数").arg(field.name, text);
            return {};
        }
        return static_cast<int>(number);
    }
    const QString stored = QString::number(number, 'f', field.decimals);
    if (stored.size() > field.width) {
        *error = QStringLiteral("字段 %1 的值“%2”超出宽度 %3").arg(field.name, text).arg(field.width);
        return {};
    }
    return number;
}

QVariant logicalValue(const DbfField &field, const QString &text, QString *error)
{
    const QString upper = text.trimmed().toUpper();
    if (upper == QLatin1String("T") || upper == QLatin1String("Y") || upper == QLatin1String("1"))
        return true;
    if (upper == QLatin1String("F") || upper == QLatin1String("N") || upper == QLatin1String("0"))
        return false;
    *error = QStringLiteral("字段 %1 的值“%2”不是逻辑值（T 或 F）").arg(field.name, text);
    return {};
}

// The stored value of one text of a .rows file; an empty text is a blank
// field. On a fault *error is set.
QVariant convertValue(const DbfField &field, const QString &text, QString *error)
{
    if (text.isEmpty())
        return {};
    switch (field.type) {
    case 'C':
    case 'M':
        return textValue(field, text, error);
    case 'N':
    case 'F':
    case 'I':
        return numberValue(field, text, error);
    case 'D': {
        const QDate date = ValueText::parseDate(text);
        if (!date.isValid())
            *error = QStringLiteral("字段 %1 的值“%2”不是日期").arg(field.name, text);
        return date;
    }
    case 'L':
        return logicalValue(field, text, error);
    }
    *error = QStringLiteral("字段 %1 的类型未知").arg(field.name);
    return {};
}

int findField(const QList<DbfField> &fields, const QString &name)
{
    for (int i = 0; i < fields.size(); ++i) {
        if (fields[i].name.compare(name, Qt::CaseInsensitive) == 0)
            return i;
    }
    return -1;
}

// Positions in the table of the columns named by the first line of a .rows file.
QList<int> rowsColumns(const QString &path, const QString &header, const QList<DbfField> &fields)
{
    QList<int> columns;
    for (const QString &name : header.split(QLatin1Char('\t'))) {
        const int index = findField(fields, name.trimmed());
        if (index < 0)
            fail(path, 1, QStringLiteral("表中没有字段“%1”").arg(name));
        if (columns.contains(index))
            fail(path, 1, QStringLiteral("字段“%1”出现了两次").arg(name));
        columns << index;
    }
    return columns;
}

QList<QStringList> readRows(const QString &path, const QList<DbfField> &fields)
{
    const QStringList lines = readLines(path);
    if (lines.isEmpty())
        return {};
    const QList<int> columns = rowsColumns(path, lines.first(), fields);
    QList<QStringList> rows;
    for (int n = 1; n < lines.size(); ++n) {
        const int lineNo = n + 1;
        if (lines[n].isEmpty())
            continue;
        const QStringList values = lines[n].split(QLatin1Char('\t'));
        if (values.size() != columns.size())
            fail(path, lineNo, QStringLiteral("有 %1 个值，第一行列出 %2 个字段")
                                   .arg(values.size()).arg(columns.size()));
        QStringList row(fields.size());
        for (int c = 0; c < columns.size(); ++c) {
            QString error;
            const QString text = unescape(values[c], &error);
            const DbfField &field = fields[columns[c]];
            if (error.isEmpty())
                convertValue(field, text, &error);
            if (!error.isEmpty())
                fail(path, lineNo, error);
            row[columns[c]] = text;
        }
        rows << row;
    }
    return rows;
}

QString rowsPathOf(const QString &schemaPath)
{
    const QFileInfo info(schemaPath);
    return info.dir().filePath(info.completeBaseName() + QStringLiteral(".rows"));
}

// Removes a table file and its memo file, whatever the case of their names.
void removeTableFiles(QDir dir, const QString &fileName)
{
    const QString base = QFileInfo(fileName).completeBaseName();
    const QStringList names = {base + QStringLiteral(".dbf"), base + QStringLiteral(".dbt")};
    for (const QString &entry : dir.entryList(QDir::Files)) {
        for (const QString &name : names) {
            if (entry.compare(name, Qt::CaseInsensitive) == 0 && !dir.remove(entry))
                fail(dir.filePath(entry), QStringLiteral("无法删除旧文件"));
        }
    }
}

QList<QPair<int, QVariant>> convertRow(const TableSpec &table, const QStringList &row, int rowNo)
{
    if (row.size() != table.fields.size())
        fail(table.fileName, QStringLiteral("第 %1 行数据有 %2 个值，表有 %3 个字段")
                                .arg(rowNo).arg(row.size()).arg(table.fields.size()));
    QList<QPair<int, QVariant>> values;
    for (int i = 0; i < row.size(); ++i) {
        QString error;
        const QVariant value = convertValue(table.fields[i], row[i], &error);
        if (!error.isEmpty())
            fail(table.fileName, QStringLiteral("第 %1 行数据：%2").arg(rowNo).arg(error));
        if (value.isValid())
            values.append({i, value});
    }
    return values;
}

QString dumpValue(const DbfField &field, const QVariant &value)
{
    if (!value.isValid() || value.isNull())
        return {};
    switch (field.type) {
    case 'N':
    case 'F':
        return ValueText::formatNumber(value.toDouble());
    case 'D':
        return ValueText::formatDate(value.toDate());
    case 'L':
        return value.toBool() ? QStringLiteral("T") : QStringLiteral("F");
    default:
        return escape(value.toString());
    }
}

} // namespace

TableSpec read(const QString &schemaPath)
{
    TableSpec table;
    const QStringList lines = readLines(schemaPath);
    static const QRegularExpression blanks(QStringLiteral("\\s+"));
    for (int n = 0; n < lines.size(); ++n) {
        const QString line = lines[n].trimmed();
        if (line.isEmpty() || line.startsWith(QLatin1Char('#')))
            continue;
        const QStringList tokens = line.split(blanks);
        if (tokens[0] == QLatin1String("table")) {
            if (!table.fileName.isEmpty())
                fail(schemaPath, n + 1, QStringLiteral("表名只能给出一次"));
            if (tokens.size() != 2 || !isValidTableFileName(tokens[1]))
                fail(schemaPath, n + 1, QStringLiteral("表行的格式是“table 文件名.dbf”"));
            table.fileName = tokens[1];
        } else if (tokens[0] == QLatin1String("field")) {
            if (table.fileName.isEmpty())
                fail(schemaPath, n + 1, QStringLiteral("字段行之前缺少表行“table 文件名.dbf”"));
            DbfField field;
            const QString error = parseField(tokens, &field);
            if (!error.isEmpty())
                fail(schemaPath, n + 1, error);
            if (findField(table.fields, field.name) >= 0)
                fail(schemaPath, n + 1, QStringLiteral("字段“%1”重复").arg(field.name));
            table.fields << field;
            if (table.fields.size() > MaxFields)
                fail(schemaPath, n + 1, QStringLiteral("字段超过 %1 个").arg(MaxFields));
            if (recordLength(table.fields) > MaxRecordLength)
                fail(schemaPath, n + 1, QStringLiteral("记录长度超过 %1 字节").arg(MaxRecordLength));
        } else {
            fail(schemaPath, n + 1, QStringLiteral("不认识的行“%1”（应为 table、field 或 # 注释）").arg(tokens[0]));
        }
    }
    if (table.fileName.isEmpty() || table.fields.isEmpty())
        fail(schemaPath, qMax(1, int(lines.size())), QStringLiteral("缺少表行或字段行"));

    const QString rowsPath = rowsPathOf(schemaPath);
    if (QFileInfo::exists(rowsPath))
        table.rows = readRows(rowsPath, table.fields);
    return table;
}

void build(const TableSpec &table, const QString &outDir)
{
    QDir dir(outDir);
    if (!dir.mkpath(QStringLiteral(".")))
        fail(outDir, QStringLiteral("无法建立文件夹"));
    removeTableFiles(dir, table.fileName);
    const QString path = dir.filePath(table.fileName);
    DbfFile::create(path, table.fields);
    if (table.rows.isEmpty())
        return;
    const std::shared_ptr<DbfFile> file = DbfFile::open(path);
    for (int i = 0; i < table.rows.size(); ++i) {
        const auto values = convertRow(table, table.rows[i], i + 1);
        try {
            file->append(values);
        } catch (const DbError &error) {
            fail(path, QStringLiteral("第 %1 行数据：%2").arg(i + 1).arg(error.message()));
        }
    }
}

void buildAll(const QString &srcDir, const QString &outDir)
{
    const QDir dir(srcDir);
    if (!dir.exists())
        fail(srcDir, QStringLiteral("文件夹不存在"));
    for (const QString &rows : dir.entryList({QStringLiteral("*.rows")}, QDir::Files)) {
        if (!QFileInfo::exists(dir.filePath(QFileInfo(rows).completeBaseName() + QStringLiteral(".schema"))))
            fail(dir.filePath(rows), QStringLiteral("没有同名的 .schema 文件"));
    }
    QList<TableSpec> specs;
    QHash<QString, QString> schemaOfTable;  // lower-case table file name -> schema
    for (const QString &schema : dir.entryList({QStringLiteral("*.schema")}, QDir::Files, QDir::Name)) {
        const QString schemaPath = dir.filePath(schema);
        TableSpec table = read(schemaPath);
        const QString key = table.fileName.toLower();
        if (schemaOfTable.contains(key))
            fail(schemaPath, QStringLiteral("表文件 %1 已由 %2 定义").arg(table.fileName, schemaOfTable.value(key)));
        schemaOfTable.insert(key, schemaPath);
        specs << table;
    }
    for (const TableSpec &table : specs)
        build(table, outDir);
}

QString dump(const QString &dbfPath)
{
    const std::shared_ptr<DbfFile> table = DbfFile::open(dbfPath, true);
    const QList<DbfField> &fields = table->fields();
    QStringList names;
    for (const DbfField &field : fields)
        names << field.name;
    QString out = names.join(QLatin1Char('\t')) + QLatin1Char('\n');
    for (int recno = 0; recno < table->recordCount(); ++recno) {
        if (table->isDeleted(recno))
            continue;
        QStringList values;
        for (int i = 0; i < fields.size(); ++i)
            values << dumpValue(fields[i], table->value(recno, i));
        out += values.join(QLatin1Char('\t')) + QLatin1Char('\n');
    }
    return out;
}

} // namespace TableSource
