#pragma once
#include "DbfFile.h"

#include <QByteArray>
#include <QByteArrayView>
#include <QVariant>

// The stored forms of field values (all but memo blocks, which DbfFile
// writes through the memo file).
namespace DbfFieldCodec {

// The value of a field of any type but M, read from its bytes.
QVariant read(const DbfField &field, const char *bytes);
// Blank padded GBK text of a C or M field, trimmed on the right.
QString readText(const char *bytes, int width);
// The same bytes undecoded.
QByteArrayView textBytes(const char *bytes, int width);
// The text of an N or F field's value (ValueText::formatNumber of what
// read() gives, empty when blank), where the stored digits show it as they
// stand: a plain decimal ("  30.470000" gives "30.47") of at most 15
// significant digits. False for any other form (an exponent, a sign "+",
// leading zeros, more digits, damage): read() and format the value then.
bool plainNumberText(const char *bytes, int width, QByteArrayView *text);

// Fills the field's bytes (field.width of them) with the value. Throws
// DbError naming the field when the value cannot be stored there.
void write(const DbfField &field, const QVariant &value, char *bytes);
// Fills a field of any type but C and M from a value as a text file
// brings it (GBK bytes read as text): what write() of
// FieldValue::fromText() of the decoded text does, without that detour
// for plain numbers and dates.
void writeFromText(const DbfField &field, QByteArrayView gbk, char *bytes);
// Throws DbError naming the field when the stored text holds a control
// character (other than TAB, CR and LF).
void refuseControlCharacters(const DbfField &field, const QByteArray &gbk);
// The GBK bytes a memo value is stored as; empty for NULL or empty text.
QByteArray memoBytes(const DbfField &field, const QVariant &value);

} // namespace DbfFieldCodec
