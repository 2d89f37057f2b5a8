#include "SqlModule.h"

#include "Database.h"
#include "DbError.h"
#include "DbfFile.h"
#include "FieldValue.h"
#include "GbkText.h"
#include "ValueText.h"

#include <sqlite3.h>

#include <QDate>
#include <QStringList>
#include <algorithm>
#include <charconv>
#include <cstring>
#include <limits>
#include <string_view>

// The virtual table never keeps its table file between statements: a cursor
// takes the shared handle from the Database when it opens and lets it go when
// it closes, so that a file can be packed or replaced between statements.

namespace {

struct DbfTable : sqlite3_vtab
{
    Database *database = nullptr;
    QString fileName;
    QList<DbfField> fields;
};

struct DbfCursor : sqlite3_vtab_cursor
{
    std::shared_ptr<DbfFile> file;
    int recno = 0;
    int end = 0;
};

QString quoteIdentifier(const QString &name)
{
    return QLatin1Char('"') + QString(name).replace(QLatin1Char('"'), QLatin1String("\"\""))
           + QLatin1Char('"');
}

QString columnType(const DbfField &field)
{
    switch (field.type) {
    case 'C':
    case 'M':
        return QStringLiteral("TEXT COLLATE GBK");
    case 'N':
        return field.decimals == 0 ? QStringLiteral("INTEGER") : QStringLiteral("REAL");
    case 'F':
        return QStringLiteral("REAL");
    case 'I':
    case 'L':
        return QStringLiteral("INTEGER");
    default:
        return QStringLiteral("TEXT");
    }
}

QString unquoteArgument(QString arg)
{
    arg = arg.trimmed();
    if (arg.size() >= 2 && (arg.front() == QLatin1Char('\'') || arg.front() == QLatin1Char('"'))
        && arg.back() == arg.front()) {
        const QChar q = arg.front();
        arg = arg.mid(1, arg.size() - 2).replace(QString(2, q), QString(q));
    }
    return arg;
}

// What a statement says when a callback failed with something that is not
// an exception of the standard library.
constexpr char UnknownFailure[] = "读写表文件时发生未知错误。";

void setError(sqlite3_vtab *vtab, const QString &message)
{
    sqlite3_free(vtab->zErrMsg);
    vtab->zErrMsg = nullptr;
    vtab->zErrMsg = sqlite3_mprintf("%s", message.toUtf8().constData());
}

// The exception being handled as the statement's error. Whatever it is,
// it ends here: a text that cannot even be made is out of memory.
int setCurrentError(sqlite3_vtab *vtab) noexcept
{
    try {
        try {
            throw;
        } catch (const std::bad_alloc &) {
            return SQLITE_NOMEM;
        } catch (const DbError &e) {
            setError(vtab, e.message());
        } catch (const std::exception &e) {
            setError(vtab, QString::fromLocal8Bit(e.what()));
        } catch (...) {
            setError(vtab, QString::fromUtf8(UnknownFailure));
        }
        return SQLITE_ERROR;
    } catch (...) {
        return SQLITE_NOMEM;
    }
}

// Every callback of the module is called from SQLite's C code, through which no
// exception may pass: a failing read (a damaged or shortened file, a batch
// of appends that cannot be written) becomes the statement's error, which
// SqlStatement turns back into a DbError with the same text.
template<typename Work>
int guarded(sqlite3_vtab *vtab, Work work) noexcept
{
    try {
        work();
        return SQLITE_OK;
    } catch (...) {
        return setCurrentError(vtab);
    }
}

std::shared_ptr<DbfFile> acquire(sqlite3_vtab *vtab)
{
    auto *table = static_cast<DbfTable *>(vtab);
    return table->database->file(table->fileName);
}

int connect(sqlite3 *db, void *aux, int argc, const char *const *argv, sqlite3_vtab **out,
            char **error)
{
    if (argc < 4) {
        *error = sqlite3_mprintf("dbf: a table file name is needed");
        return SQLITE_ERROR;
    }
    auto *table = new (std::nothrow) DbfTable();
    if (!table)
        return SQLITE_NOMEM;
    table->database = static_cast<Database *>(aux);
    table->fileName = unquoteArgument(QString::fromUtf8(argv[3]));
    const int opened = guarded(table, [&] { table->fields = table->database->file(table->fileName)->fields(); });
    if (opened != SQLITE_OK) {
        *error = sqlite3_mprintf("%s", table->zErrMsg ? table->zErrMsg : "out of memory");
        sqlite3_free(table->zErrMsg);
        delete table;
        return opened;
    }
    QStringList columns;
    for (const DbfField &field : std::as_const(table->fields))
        columns.append(quoteIdentifier(field.name) + QLatin1Char(' ') + columnType(field));
    const QByteArray ddl = ("CREATE TABLE x(" + columns.join(QLatin1String(", ")) + ")").toUtf8();
    const int rc = sqlite3_declare_vtab(db, ddl.constData());
    if (rc != SQLITE_OK) {
        *error = sqlite3_mprintf("%s", sqlite3_errmsg(db));
        delete table;
        return rc;
    }
    *out = table;
    return SQLITE_OK;
}

int disconnect(sqlite3_vtab *vtab)
{
    sqlite3_free(vtab->zErrMsg);
    delete static_cast<DbfTable *>(vtab);
    return SQLITE_OK;
}

// A lookup by rowid reads one row; anything else scans the file.
int bestIndex(sqlite3_vtab *vtab, sqlite3_index_info *info)
{
    for (int i = 0; i < info->nConstraint; ++i) {
        const auto &c = info->aConstraint[i];
        if (c.usable && c.iColumn == -1 && c.op == SQLITE_INDEX_CONSTRAINT_EQ) {
            info->aConstraintUsage[i].argvIndex = 1;
            info->aConstraintUsage[i].omit = 1;
            info->idxNum = 1;
            info->estimatedCost = 1;
            info->estimatedRows = 1;
            info->idxFlags = SQLITE_INDEX_SCAN_UNIQUE;
            return SQLITE_OK;
        }
    }
    double rows = 100000;
    // A file that cannot be opened is reported when the statement opens its cursor.
    if (guarded(vtab, [&] { rows = qMax(1, acquire(vtab)->recordCount()); }) != SQLITE_OK) {
        sqlite3_free(vtab->zErrMsg);
        vtab->zErrMsg = nullptr;
    }
    info->idxNum = 0;
    info->estimatedCost = rows;
    info->estimatedRows = sqlite3_int64(rows);
    return SQLITE_OK;
}

int openCursor(sqlite3_vtab *vtab, sqlite3_vtab_cursor **out)
{
    auto cursor = std::make_unique<DbfCursor>();
    const int rc = guarded(vtab, [&] { cursor->file = acquire(vtab); });
    if (rc == SQLITE_OK)
        *out = cursor.release();
    return rc;
}

int closeCursor(sqlite3_vtab_cursor *cur)
{
    delete static_cast<DbfCursor *>(cur);
    return SQLITE_OK;
}

void skipDeleted(DbfCursor *cursor)
{
    while (cursor->recno < cursor->end && cursor->file->isDeleted(cursor->recno))
        ++cursor->recno;
}

// The one record whose number the value gives, or none.
void positionOnRowid(DbfCursor *cursor, sqlite3_value *value)
{
    cursor->recno = cursor->end = 0;
    const int type = sqlite3_value_numeric_type(value);
    if (type != SQLITE_INTEGER && type != SQLITE_FLOAT)
        return;
    const double wanted = sqlite3_value_double(value);
    if (wanted < 0 || wanted >= cursor->file->recordCount() || wanted != double(qint64(wanted)))
        return;
    cursor->recno = int(wanted);
    cursor->end = cursor->recno + 1;
}

int filter(sqlite3_vtab_cursor *cur, int idxNum, const char *, int argc, sqlite3_value **argv)
{
    auto *cursor = static_cast<DbfCursor *>(cur);
    return guarded(cur->pVtab, [&] {
        if (idxNum == 1 && argc == 1) {
            positionOnRowid(cursor, argv[0]);
        } else {
            // Rows appended while the statement runs are not visited.
            cursor->recno = 0;
            cursor->end = cursor->file->recordCount();
        }
        skipDeleted(cursor);
    });
}

int next(sqlite3_vtab_cursor *cur)
{
    auto *cursor = static_cast<DbfCursor *>(cur);
    return guarded(cur->pVtab, [&] {
        ++cursor->recno;
        skipDeleted(cursor);
    });
}

int eof(sqlite3_vtab_cursor *cur)
{
    const auto *cursor = static_cast<DbfCursor *>(cur);
    return cursor->recno >= cursor->end;
}

int rowid(sqlite3_vtab_cursor *cur, sqlite3_int64 *out)
{
    *out = static_cast<DbfCursor *>(cur)->recno;
    return SQLITE_OK;
}

// Bytes of a field without the blanks around it.
std::string_view trimmedBytes(const QByteArray &raw, bool left)
{
    const char *p = raw.constData();
    qsizetype begin = 0;
    qsizetype end = raw.size();
    while (end > 0 && (p[end - 1] == ' ' || p[end - 1] == '\0'))
        --end;
    while (left && begin < end && p[begin] == ' ')
        ++begin;
    return std::string_view(p + begin, size_t(end - begin));
}

// Text straight from the record bytes, decoded once.
void resultText(sqlite3_context *ctx, const QByteArray &raw)
{
    const std::string_view text = trimmedBytes(raw, false);
    if (text.empty()) {
        sqlite3_result_null(ctx);
        return;
    }
    const bool ascii = std::all_of(text.begin(), text.end(), [](char c) { return uchar(c) < 0x80; });
    if (ascii) {  // codes and numbers: no copy needed
        sqlite3_result_text(ctx, text.data(), int(text.size()), SQLITE_TRANSIENT);
        return;
    }
    const QByteArray utf8 = GbkText::decodeToUtf8(text.data(), int(text.size()));
    sqlite3_result_text(ctx, utf8.constData(), int(utf8.size()), SQLITE_TRANSIENT);
}

void resultNumber(sqlite3_context *ctx, const DbfField &field, const QByteArray &raw)
{
    const std::string_view text = trimmedBytes(raw, true);
    const char *begin = text.data();
    const char *end = begin + text.size();
    if (begin != end && *begin == '+')
        ++begin;
    if (field.type == 'N' && field.decimals == 0) {
        long long whole = 0;
        const auto [at, ec] = std::from_chars(begin, end, whole);
        if (ec == std::errc() && at == end && begin != end) {
            sqlite3_result_int64(ctx, whole);
            return;
        }
    }
    double number = 0;
    const auto [at, ec] = std::from_chars(begin, end, number);
    if (ec == std::errc() && at == end && begin != end)
        sqlite3_result_double(ctx, number);
    else
        sqlite3_result_null(ctx);
}

void resultDate(sqlite3_context *ctx, const QByteArray &raw)
{
    const std::string_view text = trimmedBytes(raw, true);
    bool digits = text.size() == 8;
    for (size_t i = 0; i < text.size() && digits; ++i)
        digits = text[i] >= '0' && text[i] <= '9';
    if (!digits) {
        sqlite3_result_null(ctx);
        return;
    }
    char iso[10];
    std::memcpy(iso, text.data(), 4);
    iso[4] = '-';
    std::memcpy(iso + 5, text.data() + 4, 2);
    iso[7] = '-';
    std::memcpy(iso + 8, text.data() + 6, 2);
    sqlite3_result_text(ctx, iso, 10, SQLITE_TRANSIENT);
}

void resultVariant(sqlite3_context *ctx, const QVariant &value)
{
    if (FieldValue::isBlank(value)) {
        sqlite3_result_null(ctx);
    } else if (value.typeId() == QMetaType::Bool || value.typeId() == QMetaType::Int
               || value.typeId() == QMetaType::LongLong) {
        sqlite3_result_int64(ctx, value.toLongLong());
    } else if (value.typeId() == QMetaType::Double) {
        sqlite3_result_double(ctx, value.toDouble());
    } else {
        const QByteArray utf8 = value.toString().toUtf8();
        sqlite3_result_text(ctx, utf8.constData(), int(utf8.size()), SQLITE_TRANSIENT);
    }
}

int column(sqlite3_vtab_cursor *cur, sqlite3_context *ctx, int index)
{
    // An UPDATE asks for the columns it leaves alone; they are not read.
    if (sqlite3_vtab_nochange(ctx))
        return SQLITE_OK;
    auto *cursor = static_cast<DbfCursor *>(cur);
    if (index >= cursor->file->fieldCount()) {
        sqlite3_result_null(ctx);
        return SQLITE_OK;
    }
    const DbfField &field = cursor->file->field(index);
    try {
        switch (field.type) {
        case 'C':
            resultText(ctx, cursor->file->rawField(cursor->recno, index));
            break;
        case 'N':
        case 'F':
            resultNumber(ctx, field, cursor->file->rawField(cursor->recno, index));
            break;
        case 'D':
            resultDate(ctx, cursor->file->rawField(cursor->recno, index));
            break;
        default:
            resultVariant(ctx, cursor->file->value(cursor->recno, index));
        }
    } catch (const DbError &e) {
        sqlite3_result_error(ctx, e.message().toUtf8().constData(), -1);
        return SQLITE_ERROR;
    } catch (const std::bad_alloc &) {
        sqlite3_result_error_nomem(ctx);
        return SQLITE_NOMEM;
    } catch (const std::exception &e) {
        sqlite3_result_error(ctx, e.what(), -1);
        return SQLITE_ERROR;
    } catch (...) {
        sqlite3_result_error(ctx, UnknownFailure, -1);
        return SQLITE_ERROR;
    }
    return SQLITE_OK;
}

QVariant fromSqlValue(sqlite3_value *value)
{
    switch (sqlite3_value_type(value)) {
    case SQLITE_INTEGER:
        return qlonglong(sqlite3_value_int64(value));
    case SQLITE_FLOAT:
        return sqlite3_value_double(value);
    case SQLITE_NULL:
        return {};
    default:
        return QString::fromUtf8(reinterpret_cast<const char *>(sqlite3_value_text(value)),
                                 sqlite3_value_bytes(value));
    }
}

// The values of an INSERT or UPDATE, converted by field type; columns that an
// UPDATE leaves alone are not written (a memo is not copied onto itself).
QList<QPair<int, QVariant>> rowValues(const DbfTable *table, sqlite3_value **argv, bool update)
{
    QList<QPair<int, QVariant>> values;
    for (int i = 0; i < table->fields.size(); ++i) {
        sqlite3_value *value = argv[2 + i];
        if (update && sqlite3_value_nochange(value))
            continue;
        values.append({i, FieldValue::fromVariant(table->fields[i], fromSqlValue(value))});
    }
    return values;
}

int recnoOf(sqlite3_value *value)
{
    const sqlite3_int64 r = sqlite3_value_int64(value);
    if (r < 0 || r > std::numeric_limits<int>::max())
        throw DbError(QStringLiteral("记录号%1无效。").arg(r));
    return int(r);
}

int update(sqlite3_vtab *vtab, int argc, sqlite3_value **argv, sqlite3_int64 *newRowid)
{
    auto *table = static_cast<DbfTable *>(vtab);
    return guarded(vtab, [&] {
        auto file = acquire(vtab);
        if (argc == 1) {
            file->setDeleted(recnoOf(argv[0]), true);
            return;
        }
        const bool insert = sqlite3_value_type(argv[0]) == SQLITE_NULL;
        if (insert) {
            if (sqlite3_value_type(argv[1]) != SQLITE_NULL)
                throw DbError(QStringLiteral("新增记录时不能指定记录号。"));
            *newRowid = file->append(rowValues(table, argv, false));
            return;
        }
        const int recno = recnoOf(argv[0]);
        if (sqlite3_value_int64(argv[1]) != recno)
            throw DbError(QStringLiteral("记录号不能修改。"));
        file->update(recno, rowValues(table, argv, true));
    });
}

// A statement that wrote to the table ends with its rows on the disk.
int syncTable(sqlite3_vtab *vtab)
{
    return guarded(vtab, [&] { acquire(vtab)->sync(); });
}

int noTransactionWork(sqlite3_vtab *)
{
    return SQLITE_OK;
}

// Text columns order as their GBK bytes; trailing blanks do not count, as
// they never did in a blank-padded field.
int compareGbk(void *, int lengthA, const void *a, int lengthB, const void *b)
{
    const char *pa = static_cast<const char *>(a);
    const char *pb = static_cast<const char *>(b);
    while (lengthA > 0 && pa[lengthA - 1] == ' ')
        --lengthA;
    while (lengthB > 0 && pb[lengthB - 1] == ' ')
        --lengthB;
    return GbkText::compareUtf8AsGbk(pa, lengthA, pb, lengthB);
}

const sqlite3_module &dbfModule()
{
    static sqlite3_module module = [] {
        sqlite3_module m{};
        m.iVersion = 1;
        m.xCreate = connect;
        m.xConnect = connect;
        m.xBestIndex = bestIndex;
        m.xDisconnect = disconnect;
        m.xDestroy = disconnect;
        m.xOpen = openCursor;
        m.xClose = closeCursor;
        m.xFilter = filter;
        m.xNext = next;
        m.xEof = eof;
        m.xColumn = column;
        m.xRowid = rowid;
        m.xUpdate = update;
        // Without xBegin the statement's end would not reach the table.
        m.xBegin = noTransactionWork;
        m.xSync = syncTable;
        m.xCommit = noTransactionWork;
        m.xRollback = noTransactionWork;
        return m;
    }();
    return module;
}

} // namespace

namespace SqlModule {

void install(sqlite3 *db, Database *database)
{
    if (sqlite3_create_collation_v2(db, "GBK", SQLITE_UTF8, nullptr, compareGbk, nullptr) != SQLITE_OK
        || sqlite3_create_module_v2(db, "dbf", &dbfModule(), database, nullptr) != SQLITE_OK) {
        throw DbError(QStringLiteral("无法建立SQL连接：%1").arg(QString::fromUtf8(sqlite3_errmsg(db))));
    }
}

QString createStatement(const QString &sqlName, const QString &fileName)
{
    return QStringLiteral("CREATE VIRTUAL TABLE %1 USING dbf('%2')")
        .arg(quoteIdentifier(sqlName), Database::escapeSql(fileName));
}

} // namespace SqlModule
