#pragma once
// How many GBK bytes a user may type into each text field, written out from
// the record formats and the entry pages, never read from the table files or
// the edits: a field-sized edit narrower than this cuts what the user typed.
// Keys are lower case.

#include <QHash>
#include <QString>

namespace FieldWidths {

// The achievement record (kjcg): its text fields.
inline const QHash<QString, int> &kjcg()
{
    static const QHash<QString, int> widths = {
        {QStringLiteral("item_1"), 1},       {QStringLiteral("item_12"), 12},
        {QStringLiteral("item_12_1"), 12},   {QStringLiteral("item_120"), 20},
        {QStringLiteral("item_123"), 2},     {QStringLiteral("item_124_1"), 15},
        {QStringLiteral("item_125"), 15},    {QStringLiteral("item_125_1"), 7},
        {QStringLiteral("item_126"), 50},    {QStringLiteral("item_16"), 1},
        {QStringLiteral("item_2"), 1},       {QStringLiteral("item_200"), 15},
        {QStringLiteral("item_210"), 1},     {QStringLiteral("item_3"), 140},
        {QStringLiteral("item_33"), 1},      {QStringLiteral("item_4"), 10},
        {QStringLiteral("item_420"), 20},    {QStringLiteral("item_8"), 22},
        {QStringLiteral("item_127"), 30},    {QStringLiteral("item_201"), 1},
        {QStringLiteral("item_37"), 100},    {QStringLiteral("item_38"), 6},
        {QStringLiteral("item_39"), 30},     {QStringLiteral("item_40"), 30},
        {QStringLiteral("item_41"), 20},     {QStringLiteral("item_41_1"), 20},
        {QStringLiteral("item_41_2"), 30},   {QStringLiteral("item_41_3"), 2},
        {QStringLiteral("item_60"), 100},    {QStringLiteral("item_61"), 80},
        {QStringLiteral("item_62"), 1},      {QStringLiteral("item_63"), 3},
        {QStringLiteral("item_64"), 3},      {QStringLiteral("item_9"), 140},
        {QStringLiteral("item_32"), 3},      {QStringLiteral("item_32_1"), 10},
        {QStringLiteral("item_34"), 14},     {QStringLiteral("item_46"), 2},
        {QStringLiteral("item_47"), 2},      {QStringLiteral("item_301"), 80},
        {QStringLiteral("item_302"), 14},    {QStringLiteral("item_160"), 30},
        {QStringLiteral("item_161"), 10},    {QStringLiteral("item_163"), 4},
        {QStringLiteral("item_140"), 1},     {QStringLiteral("item_130"), 80},
        {QStringLiteral("item_21"), 1},      {QStringLiteral("item_22"), 30},
        {QStringLiteral("item_52"), 80},     {QStringLiteral("item_53"), 12},
        {QStringLiteral("item_dqdm"), 3},    {QStringLiteral("item_cglb"), 1},
        {QStringLiteral("item_128"), 80},    {QStringLiteral("item_15"), 10},
        {QStringLiteral("item_15_1"), 10},   {QStringLiteral("item_51_1"), 1},
        {QStringLiteral("item_127_1"), 140}, {QStringLiteral("item_51"), 6},
        {QStringLiteral("patent_ty"), 6},
        // The field holds 200 and each of its three key-word edits 198, but
        // the page stores at most 196 bytes of key words in all.
        {QStringLiteral("item_14"), 196},
    };
    return widths;
}

// The registering unit (unit): the unit page's edits; its name and
// legal-person code are the record's first-unit fields.
inline const QHash<QString, int> &unit()
{
    static const QHash<QString, int> widths = {
        {QStringLiteral("item_9"), 140},  {QStringLiteral("item_420"), 20},  {QStringLiteral("item_37"), 100},
        {QStringLiteral("item_38"), 6},   {QStringLiteral("item_39"), 30},   {QStringLiteral("item_40"), 30},
        {QStringLiteral("item_60"), 100}, {QStringLiteral("item_41"), 20},   {QStringLiteral("item_41_2"), 30},
        {QStringLiteral("item_61"), 80},
    };
    return widths;
}

// A discipline leader (unitexpert): the dialog's edits.
inline const QHash<QString, int> &unitExpert()
{
    static const QHash<QString, int> widths = {{QStringLiteral("item_180"), 20}, {QStringLiteral("item_186"), 160}};
    return widths;
}

} // namespace FieldWidths
