#pragma once
#include "ChineseText.h"

#include <QList>
#include <QPair>
#include <QString>
#include <QVariant>

// A row as field name and value; the appender matches names to the table's
// fields without regard to case and converts by field type.
using NamedRow = QList<QPair<QString, QVariant>>;

// One achievement with its child rows, as the program would have stored it.
struct Achievement
{
    NamedRow record;               // kjcg
    QList<NamedRow> persons;       // cgwcr, 3..10
    QList<NamedRow> units;         // cgwcdw, 0..5
    QList<NamedRow> committee;     // jdwyhmd, 0..9
    QList<NamedRow> patents;       // zlqk, 0..4
};

// Makes the rows of a unit's data folder: achievements with their children,
// the register of known persons, the unit and its discipline leaders. People
// and units come from pools, so the same names recur across records as they
// do in a real unit's data.
class RecordMaker
{
public:
    RecordMaker(std::uint32_t seed, int achievementCount);

    // rowNumber counts from 1 in file order; serial from 1 within the year.
    Achievement achievement(int rowNumber, int year, int serial);
    QList<NamedRow> personRegister() const;
    QList<NamedRow> unitRows();
    QList<NamedRow> expertRows();

private:
    struct Person
    {
        QString name, sex, birth, title, education, workUnit, abroad;
    };
    struct Unit
    {
        QString name, address, postalCode, phone, fax, contact, contactPhone, web, mail;
        QString attribute, affiliation, province, legalCode;
    };

    void fillIdentity(NamedRow &row, QChar category, int rowNumber, int year, int serial);
    void fillFirstUnit(NamedRow &row);
    void fillClassification(NamedRow &row, QChar category);
    void fillEvaluation(NamedRow &row, int year);
    void fillFunding(NamedRow &row);
    void fillMemos(NamedRow &row);
    void fillPatentSummary(NamedRow &row, const QList<NamedRow> &patents);
    QList<NamedRow> persons(const QString &key);
    QList<NamedRow> cooperatingUnits(const QString &key);
    QList<NamedRow> committee(const QString &key);
    QList<NamedRow> patents(const QString &key, int year);
    static NamedRow personRow(const Person &p);
    double money(int maxTenThousands);
    QString dotDate(int year);

    ChineseText m_text;
    QList<Person> m_people;
    QList<Unit> m_units;
    const Unit *m_firstUnit = nullptr;
};
