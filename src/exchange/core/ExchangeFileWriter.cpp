#include "ExchangeFile.h"

#include "engine/DataSet.h"
#include "engine/DbError.h"
#include "engine/GbkText.h"

#include <QDir>

using ExchangeText::LastValue;

namespace {

// Lines are gathered up to this size before they go to the file.
constexpr qsizetype BlockSize = qsizetype(1) << 20;
constexpr int ExpertColumns = 7;

const QByteArray LineEnd = QByteArrayLiteral("\r\n");

// Which columns of a dataset a line holds and how it ends; worked out once
// per file, not per row.
struct LinePlan
{
    QStringList names;
    LastValue last = LastValue::Plain;
    int sjdcColumn = -1;   // written as "0" (KJCG)
};

LinePlan planFor(const DataSet &row, ExchangeLine kind)
{
    LinePlan plan;
    plan.names = row.fieldNames();
    switch (kind) {
    case ExchangeLine::Child:
        if (!plan.names.isEmpty()
            && plan.names.last().compare(QLatin1String("ITEM_188"), Qt::CaseInsensitive) == 0)
            plan.last = LastValue::Flag188;
        break;
    case ExchangeLine::Kjcg:
        if (!plan.names.isEmpty())
            plan.names.removeLast();
        plan.last = LastValue::TrailingTab;
        for (int i = 0; i < plan.names.size(); ++i) {
            if (plan.names.at(i).compare(QLatin1String("ITEM_SJDC"), Qt::CaseInsensitive) == 0)
                plan.sjdcColumn = i;
        }
        break;
    case ExchangeLine::Unit:
        plan.last = LastValue::Quoted;
        break;
    case ExchangeLine::Expert:
        plan.names = plan.names.mid(0, ExpertColumns);
        break;
    }
    return plan;
}

QString lineText(const DataSet &row, const LinePlan &plan)
{
    QStringList values;
    values.reserve(plan.names.size());
    for (const QString &name : plan.names)
        values.append(row.asString(name));
    if (plan.sjdcColumn >= 0)
        values[plan.sjdcColumn] = QStringLiteral("0");
    return ExchangeText::joinLine(values, plan.last);
}

QString shown(const QString &path)
{
    return QDir::toNativeSeparators(path);
}

} // namespace

QString ExchangeLineText(const DataSet &row, ExchangeLine kind)
{
    return lineText(row, planFor(row, kind));
}

ExchangeFileWriter::ExchangeFileWriter(const QString &path)
    : m_file(path)
{
    if (!m_file.open(QIODevice::WriteOnly)) {
        throw DbError(QStringLiteral("无法创建文件“%1”：%2")
                          .arg(shown(path), m_file.errorString()));
    }
    m_buffer.reserve(BlockSize + BlockSize / 4);
}

ExchangeFileWriter::~ExchangeFileWriter() = default;   // QSaveFile drops an uncommitted file

QString ExchangeFileWriter::path() const
{
    return m_file.fileName();
}

void ExchangeFileWriter::writeLine(const QString &line)
{
    ++m_lines;
    bool ok = true;
    const QByteArray bytes = GbkText::encode(line, &ok);
    if (!ok) {
        throw DbError(QStringLiteral("文件“%1”的第 %2 条记录含有 GBK 不能表示的字符“%3”，无法写出。")
                          .arg(shown(path()))
                          .arg(m_lines)
                          .arg(GbkText::firstUnencodable(line)));
    }
    m_buffer.append(bytes);
    m_buffer.append(LineEnd);
    if (m_buffer.size() >= BlockSize)
        writeBuffer();
}

void ExchangeFileWriter::writeRow(const DataSet &row, ExchangeLine kind)
{
    writeLine(ExchangeLineText(row, kind));
}

void ExchangeFileWriter::writeBuffer()
{
    if (m_buffer.isEmpty())
        return;
    if (m_file.write(m_buffer) != m_buffer.size()) {
        throw DbError(QStringLiteral("写入文件“%1”出错：%2")
                          .arg(shown(path()), m_file.errorString()));
    }
    m_buffer.resize(0);
}

void ExchangeFileWriter::commit()
{
    writeBuffer();
    if (!m_file.commit()) {
        throw DbError(QStringLiteral("无法保存文件“%1”：%2")
                          .arg(shown(path()), m_file.errorString()));
    }
}

void WriteExchangeFile(DataSet &data, const QString &fileName, ExchangeLine kind)
{
    ExchangeFileWriter writer(fileName);
    const LinePlan plan = planFor(data, kind);
    for (data.first(); !data.eof(); data.next())
        writer.writeLine(lineText(data, plan));
    writer.commit();
}
