#pragma once
#include "DbfFile.h"

#include <QString>
#include <QVariant>

// Turning what a user or a statement supplies into the value a field stores.
// Every refusal is a DbError that names the field.
namespace FieldValue {

// A text as typed: numbers and dates in the program's text forms, a blank
// text is NULL. Text fields keep the text (checked to be GBK); the width is
// the caller's business.
QVariant fromText(const DbfField &field, const QString &text);
// A typed value (QString, number, QDate, bool or invalid for NULL).
QVariant fromVariant(const DbfField &field, const QVariant &value);

// The program's text form of a stored value: "" for NULL, numbers and dates
// in the ValueText forms.
QString toText(const QVariant &value);

// Whether the value stands for an empty field.
bool isBlank(const QVariant &value);

} // namespace FieldValue
