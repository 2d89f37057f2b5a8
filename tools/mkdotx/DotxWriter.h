#pragma once
#include "FormSource.h"

#include <QHash>
#include <QStringList>

class DocxPackage;

// Lays a form out as a Word template: A4, Song face, tables with ruled
// cells, each bookmark an empty point in its cell. rowCounts gives each
// repeated list its number of rows. placed receives every bookmark written.
DocxPackage buildTemplate(const QList<FormBlock> &blocks, const QHash<QString, int> &rowCounts,
                          QStringList *placed);
