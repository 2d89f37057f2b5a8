#pragma once
#include "records/data/ChildRows.h"

#include <QObject>
#include <QSet>
#include <QString>
#include <QStringList>
#include <functional>
#include <memory>

class Database;
class DataSet;
class DataSetModel;
class Query;
class Table;

// Every table, query and data source of the program, over the table files of
// one data folder. Created once at start-up; every window reaches the data
// through the application context (records/forms/AppContext.h).
//
// Creation packs the table files that keep deleted rows, opens the datasets
// and notes whether the optional classification files are there. A table
// that cannot be opened makes the constructor throw DbError naming it; a
// pack that fails is reported and the file is used unpacked.
//
// The data layer shows no window: what it reports at creation goes to the
// reporter its owner hands in (start-up shows each as an error box).
class TDM : public QObject
{
    Q_OBJECT
public:
    using ProblemReporter = std::function<void(const QString &message)>;
    // Without a reporter, problems go to the debug log.
    explicit TDM(const QString &dataPath, ProblemReporter report = {}, QObject *parent = nullptr);
    ~TDM() override;

    // The folder "data" beside the program.
    static QString defaultDataPath();
    // The files packed at creation, in their order.
    static const QStringList &packedFiles();

    Database *database() const { return m_db.get(); }

    // Read-only for everyone else once created.
    QString DataPath;
    bool ZtflhPresent = false;
    bool XkflPresent = false;

    // Packs an open table; false for a closed one. Throws DbError on failure.
    bool PackTable(Table &table);
    void ReopenWithSql(Query &query, const QString &sql);

    // The list and the current record, and the scratch queries.
    Query *Qrykjcg = nullptr;
    Query *tempquery = nullptr;
    Query *Query2 = nullptr;
    // Child lists of the current record; changes are held and applied to
    // the exact rows they came from.
    Query *QryCgwcdw = nullptr;
    Query *QryCgwcr = nullptr;
    Query *QryJdwyhmd = nullptr;
    Query *QryCheckUp = nullptr;
    Query *Qryunit = nullptr;
    Query *Qrydwqk = nullptr;

    Table *Tblkjcg = nullptr;
    Table *T_temp_out = nullptr;
    Table *T_temp_in = nullptr;
    Table *TblCgwcdw = nullptr;
    Table *TblCgwcr = nullptr;
    Table *Tbljdwyhmd = nullptr;
    Table *tblzlqk = nullptr;
    Table *TblwcrNew = nullptr;
    Table *Tblzdxx = nullptr;
    Table *tblzdxx1 = nullptr;
    Table *tblLsbw = nullptr;
    Table *Tblgxjs = nullptr;
    Table *Txkfl2 = nullptr;
    Table *Tztflh2 = nullptr;
    Table *Table1 = nullptr;
    Table *TblDFJHZDXX = nullptr;
    Table *Tblunit = nullptr;
    Table *Tblexpert = nullptr;

    // Grid models.
    DataSetModel *DSQkjcg = nullptr;
    DataSetModel *DS_temp_out = nullptr;
    DataSetModel *DS_temp_in = nullptr;
    DataSetModel *DataSource2 = nullptr;
    DataSetModel *DSQcgwcdw = nullptr;
    DataSetModel *DSQcgwcr = nullptr;
    DataSetModel *DSQjdwyhmd = nullptr;
    DataSetModel *DSTcgwcr = nullptr;
    DataSetModel *DSTzlqk = nullptr;
    DataSetModel *DSTwcrNew = nullptr;
    DataSetModel *DSQunit = nullptr;
    DataSetModel *DSTexpert = nullptr;

    // The lookup fields of a child list ("V_181" the sex's name and so on)
    // on any dataset of its rows.
    void addChildLookups(ChildRows::Kind kind, DataSet &rows);

private:
    void makeDataSets();
    void makeLookupTables();
    void addLookupFields();
    void makeDataSources();
    void DataModuleCreate();
    void requireTableFiles();
    bool finishInterruptedChange();
    void checkTableFiles();
    void packTableFiles();
    void refuseDamagedTable(const QString &file, const QString &damage);
    void reopenQueries();
    void openOptionalClassifications();
    void openTables();
    void destroyDataSets();
    void reportProblem(const QString &message) const;

    // Dictionary groups behind the lookup fields (zdxx.dbf, each filtered on
    // its group).
    Table *TblCgwcr_181 = nullptr;
    Table *TblCgwcr_183 = nullptr;
    Table *TblCgwcr_184 = nullptr;
    Table *TblCgwcr_188 = nullptr;
    Table *Tbljdwyhmd_191 = nullptr;
    Table *Tbljdwyhmd_193 = nullptr;
    Table *Tbljdwyhmd_198 = nullptr;
    Table *Tblzlqk_st = nullptr;
    Table *Tblzlqk_ty = nullptr;
    Table *Tblexpert_124_1 = nullptr;

    std::unique_ptr<Database> m_db;
    ProblemReporter m_report;
    QSet<QString> m_unfitFiles;   // lower-cased names start-up found damaged
};
