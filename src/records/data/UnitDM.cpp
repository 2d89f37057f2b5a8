#include "UnitDM.h"

#include "engine/DataSet.h"
#include "engine/DataSetModel.h"
#include "engine/Database.h"
#include "engine/DbError.h"
#include "engine/TableJournal.h"
#include "errors/DiskSpace.h"
#include "records/data/TableCheck.h"

#include <QCoreApplication>
#include <QDir>
#include <QDebug>


namespace {

Table *makeTable(Database *db, const QString &file, QObject *parent)
{
    return new Table(db, file, parent);
}

Query *makeQuery(Database *db, const QString &sql, QObject *parent)
{
    auto *query = new Query(db, parent);
    query->setSql(sql);
    return query;
}

DataSetModel *makeSource(DataSet *dataSet, QObject *parent)
{
    auto *model = new DataSetModel(parent);
    model->setDataSet(dataSet);
    return model;
}

// The table files without which the data module cannot open.
const QStringList &requiredFiles()
{
    static const QStringList files = {
        QStringLiteral("kjcg.DBF"),    QStringLiteral("cgwcdw.DBF"),     QStringLiteral("cgwcr.DBF"),
        QStringLiteral("jdwyhmd.DBF"), QStringLiteral("zlqk.dbf"),       QStringLiteral("cgwcrNew.dbf"),
        QStringLiteral("CheckUp.dbf"), QStringLiteral("unit.dbf"),       QStringLiteral("unitexpert.dbf"),
        QStringLiteral("dwqk.dbf"),    QStringLiteral("zdxx.dbf"),       QStringLiteral("zdxx1.dbf"),
        QStringLiteral("province.dbf"), QStringLiteral("lsbw.dbf"),      QStringLiteral("gxjs.dbf"),
        QStringLiteral("DFJHZDXX.DBF"),
    };
    return files;
}

// Packed while closed: opened, the table would list its rows once before
// the pack and once more after it, only to be closed again. The file is
// still opened for writing first, so that one that cannot be is reported
// as before.
void packTableFile(Database *db, const QString &fileName)
{
    Table table(db, fileName);
    db->file(fileName);
    table.pack();
}


} // namespace

TDM::TDM(const QString &dataPath, ProblemReporter report, QObject *parent)
    : QObject(parent), DataPath(dataPath), m_db(std::make_unique<Database>(dataPath)),
      m_report(std::move(report))
{
    try {
        makeDataSets();
        makeLookupTables();
        addLookupFields();
        makeDataSources();
        DataModuleCreate();
    } catch (...) {
        destroyDataSets();
        throw;
    }
}

TDM::~TDM()
{
    destroyDataSets();
}

void TDM::reportProblem(const QString &message) const
{
    if (m_report)
        m_report(message);
    else
        qWarning().noquote() << message;
}

QString TDM::defaultDataPath()
{
    return QCoreApplication::applicationDirPath() + QStringLiteral("/data");
}

const QStringList &TDM::packedFiles()
{
    static const QStringList files = {
        QStringLiteral("kjcg.DBF"),       QStringLiteral("kjcgtemp.DBF"),
        QStringLiteral("cgwcr.DBF"),      QStringLiteral("cgwcrtemp.DBF"),
        QStringLiteral("jdwyhmd.DBF"),    QStringLiteral("jdwyhmdtemp.DBF"),
        QStringLiteral("cgwcdw.DBF"),     QStringLiteral("cgwcdwtemp.DBF"),
        QStringLiteral("zlqk.DBF"),       QStringLiteral("zlqktemp.DBF"),
        QStringLiteral("cgwcrNew.dbf"),   QStringLiteral("ZTFLH.dbf"),
        QStringLiteral("XKFL.dbf"),       QStringLiteral("LSBW.dbf"),
        QStringLiteral("DFJHZDXX.DBF"),   QStringLiteral("unit.dbf"),
        QStringLiteral("unitexpert.dbf"), QStringLiteral("gxjs.dbf"),
    };
    return files;
}

void TDM::makeDataSets()
{
    Database *db = m_db.get();
    const QString allKjcg = QStringLiteral("select * from kjcg");
    Qrykjcg = makeQuery(db, allKjcg, this);
    tempquery = makeQuery(db, allKjcg, this);
    Query2 = makeQuery(db, allKjcg, this);
    QryCgwcdw = makeQuery(db, QStringLiteral("select * from cgwcdw"), this);
    QryCgwcr = makeQuery(db, QStringLiteral("select * from cgwcr"), this);
    QryJdwyhmd = makeQuery(db, QStringLiteral("select * from jdwyhmd"), this);
    for (Query *childList : {QryCgwcdw, QryCgwcr, QryJdwyhmd})
        childList->setCachedUpdates(true);
    QryCheckUp = makeQuery(db, QStringLiteral("select * from CheckUp"), this);
    Qryunit = makeQuery(db, QStringLiteral("select * from unit"), this);
    Qrydwqk = makeQuery(db, QStringLiteral("select * from dwqk"), this);

    Tblkjcg = makeTable(db, QStringLiteral("kjcg.dbf"), this);
    T_temp_out = makeTable(db, QStringLiteral("kjcg.DBF"), this);
    T_temp_in = makeTable(db, QString(), this);
    TblCgwcdw = makeTable(db, QStringLiteral("cgwcdw.DBF"), this);
    TblCgwcr = makeTable(db, QStringLiteral("cgwcr.DBF"), this);
    Tbljdwyhmd = makeTable(db, QStringLiteral("jdwyhmd.DBF"), this);
    tblzlqk = makeTable(db, QStringLiteral("zlqk.dbf"), this);
    TblwcrNew = makeTable(db, QStringLiteral("cgwcrNew.dbf"), this);
    Tblzdxx = makeTable(db, QStringLiteral("zdxx.dbf"), this);
    tblzdxx1 = makeTable(db, QStringLiteral("zdxx1.dbf"), this);
    tblLsbw = makeTable(db, QStringLiteral("lsbw.dbf"), this);
    Tblgxjs = makeTable(db, QStringLiteral("gxjs.dbf"), this);
    Txkfl2 = makeTable(db, QStringLiteral("xkfl.dbf"), this);
    Tztflh2 = makeTable(db, QStringLiteral("ztflh.dbf"), this);
    Table1 = makeTable(db, QStringLiteral("ztflh.dbf"), this);
    TblDFJHZDXX = makeTable(db, QStringLiteral("DFJHZDXX.DBF"), this);
    Tblunit = makeTable(db, QStringLiteral("unit.dbf"), this);
    Tblexpert = makeTable(db, QStringLiteral("unitexpert.dbf"), this);
}

void TDM::makeLookupTables()
{
    const auto dictionaryGroup = [this](const QString &group) {
        Table *table = makeTable(m_db.get(), QStringLiteral("zdxx.dbf"), this);
        table->setFilter(QStringLiteral("zddm='") + group + QStringLiteral("'"));
        table->setFiltered(true);
        return table;
    };
    TblCgwcr_181 = dictionaryGroup(QStringLiteral("item_181"));
    TblCgwcr_183 = dictionaryGroup(QStringLiteral("item_183"));
    TblCgwcr_184 = dictionaryGroup(QStringLiteral("item_184"));
    TblCgwcr_188 = dictionaryGroup(QStringLiteral("item_188"));
    Tbljdwyhmd_191 = dictionaryGroup(QStringLiteral("item_191"));
    Tbljdwyhmd_193 = dictionaryGroup(QStringLiteral("item_193"));
    Tbljdwyhmd_198 = dictionaryGroup(QStringLiteral("item_198"));
    Tblzlqk_st = dictionaryGroup(QStringLiteral("patent_st"));
    Tblzlqk_ty = dictionaryGroup(QStringLiteral("patent_ty"));
    Tblexpert_124_1 = dictionaryGroup(QStringLiteral("item_124_1"));
}

void TDM::addLookupFields()
{
    addChildLookups(ChildRows::Kind::Persons, *TblCgwcr);
    addChildLookups(ChildRows::Kind::Committee, *Tbljdwyhmd);
    addChildLookups(ChildRows::Kind::Patents, *tblzlqk);
    const QString code = QStringLiteral("XXDM");
    const QString text = QStringLiteral("XXMC");
    Tblexpert->addLookupField(QStringLiteral("V_181"), QStringLiteral("item_181"), TblCgwcr_181,
                              code, text, QStringLiteral("性别"));
    Tblexpert->addLookupField(QStringLiteral("V_124_1"), QStringLiteral("item_124_1"),
                              Tblexpert_124_1, code, text, QStringLiteral("研究领域"));
}

void TDM::addChildLookups(ChildRows::Kind kind, DataSet &rows)
{
    const QString code = QStringLiteral("XXDM");
    const QString text = QStringLiteral("XXMC");
    switch (kind) {
    case ChildRows::Kind::Units:
        return;
    case ChildRows::Kind::Persons:
        rows.addLookupField(QStringLiteral("V_181"), QStringLiteral("ITEM_181"), TblCgwcr_181, code, text,
                            QStringLiteral("性别"));
        rows.addLookupField(QStringLiteral("V_183"), QStringLiteral("ITEM_183"), TblCgwcr_183, code, text,
                            QStringLiteral("技术职称"));
        rows.addLookupField(QStringLiteral("V_184"), QStringLiteral("ITEM_184"), TblCgwcr_184, code, text,
                            QStringLiteral("文化程度"));
        rows.addLookupField(QStringLiteral("V_188"), QStringLiteral("ITEM_188"), TblCgwcr_188, code, text,
                            QStringLiteral("是否留学归国"));
        return;
    case ChildRows::Kind::Committee:
        // The committee stores the role as text; its lookup shows the role's code.
        rows.addLookupField(QStringLiteral("V_191"), QStringLiteral("ITEM_191"), Tbljdwyhmd_191, text, code,
                            QStringLiteral("鉴定会职务"));
        rows.addLookupField(QStringLiteral("V_193"), QStringLiteral("ITEM_193"), Tbljdwyhmd_193, code, text,
                            QStringLiteral("性别"));
        rows.addLookupField(QStringLiteral("V_198"), QStringLiteral("ITEM_198"), Tbljdwyhmd_198, code, text,
                            QStringLiteral("技术职称"));
        return;
    case ChildRows::Kind::Patents:
        rows.addLookupField(QStringLiteral("V_st"), QStringLiteral("PATENT_ST"), Tblzlqk_st, code, text,
                            QStringLiteral("专利状况"));
        rows.addLookupField(QStringLiteral("V_ty"), QStringLiteral("PATENT_TY"), Tblzlqk_ty, code, text,
                            QStringLiteral("专利类型"));
        return;
    }
}

void TDM::makeDataSources()
{
    DSQkjcg = makeSource(Qrykjcg, this);
    DS_temp_out = makeSource(T_temp_out, this);
    DS_temp_in = makeSource(T_temp_in, this);
    DataSource2 = makeSource(Query2, this);
    DSQcgwcdw = makeSource(QryCgwcdw, this);
    DSQcgwcr = makeSource(QryCgwcr, this);
    DSQjdwyhmd = makeSource(QryJdwyhmd, this);
    DSTcgwcr = makeSource(TblCgwcr, this);
    DSTzlqk = makeSource(tblzlqk, this);
    DSTwcrNew = makeSource(TblwcrNew, this);
    DSQunit = makeSource(Qryunit, this);
    DSTexpert = makeSource(Tblexpert, this);
}

void TDM::DataModuleCreate()
{
    const bool finished = finishInterruptedChange();
    requireTableFiles();
    checkTableFiles();
    if (finished)
        packTableFiles();
    reopenQueries();
    T_temp_out->open();
    for (Table *group : {TblCgwcr_181, TblCgwcr_183, TblCgwcr_184, TblCgwcr_188, Tbljdwyhmd_191,
                         Tbljdwyhmd_193, Tbljdwyhmd_198, Tblzlqk_st, Tblzlqk_ty, Tblexpert_124_1})
        group->open();
    openOptionalClassifications();
    openTables();
}

bool TDM::PackTable(Table &table)
{
    if (!table.isOpen())
        return false;
    table.pack();
    return true;
}

void TDM::ReopenWithSql(Query &query, const QString &sql)
{
    query.setDatabase(m_db.get());
    query.close();
    query.setSql(sql);
    query.open();
}

// Rows deleted in the windows stay in the files until they are packed here,
// before anything has a file open. The optional classification files may be
// absent; a file that is not there has nothing to pack. A full disk fails
// every pack alike: it is said once, of the folder, and the rest wait for
// the next start.
void TDM::packTableFiles()
{
    for (const QString &file : packedFiles()) {
        if (!m_db->fileExists(file) || m_unfitFiles.contains(file.toLower()))
            continue;
        try {
            packTableFile(m_db.get(), file);
        } catch (const DbDamageError &e) {
            refuseDamagedTable(file, e.message());
        } catch (const DbError &e) {
            if (DiskSpace::isFull(DataPath)) {
                reportProblem(QStringLiteral("整理数据表时出错，数据表未整理：\n%1。")
                                  .arg(DiskSpace::fullText(DataPath)));
                return;
            }
            reportProblem(QStringLiteral("整理数据表 %1 时出错，该表未整理：\n%2")
                              .arg(file, e.message()));
        }
    }
}

// Damage that only a pack's read of every row finds keeps the table from
// every write of this run, as the check's damage does: nothing is added to
// a file that already points to what it does not hold.
void TDM::refuseDamagedTable(const QString &file, const QString &damage)
{
    m_unfitFiles.insert(file.toLower());
    try {
        m_db->file(file)->refuseWrites(damage + QStringLiteral("。不能修改。"));
    } catch (const DbError &) {
        // Not even open: nothing can write to it either.
    }
    reportProblem(QStringLiteral("整理数据表 %1 时出错，该表未整理：\n%2").arg(file, damage)
                  + QStringLiteral("。\n该表只能查看和导出，不能修改。"));
}

// A change of the tables that the program was killed in (an import storing
// its records) is completed or taken back first, so that no record is left
// half stored. When that cannot be done (the journal cannot be read, a
// table cannot be written) the user is told once, every write of this run
// is refused, and nothing is packed: the journal names rows by their place
// in the files, and whatever was written now would meet the half-done
// change or be taken back with it.
bool TDM::finishInterruptedChange()
{
    try {
        TableJournal::recover(*m_db);
        return true;
    } catch (const DbError &e) {
        const QString journal = QDir::toNativeSeparators(QDir(DataPath).filePath(TableJournal::fileName()));
        const QString whoMayFinish =
            QStringLiteral("请让做那次修改的用户（或能读写日志文件“%1”的用户）启动本程序，程序会完成或撤销那次修改。")
                .arg(journal);
        m_db->refuseWrites(QStringLiteral("上次中断的修改只完成了一半，在它完成或撤销之前不能修改数据。") + whoMayFinish);
        reportProblem(QStringLiteral("上次修改数据表时程序被中断，那次修改只完成了一半，现在既无法完成也无法撤销它：\n%1\n"
                                     "在它完成或撤销之前，数据只能查看和导出，不能修改。\n")
                          .arg(e.message())
                      + whoMayFinish);
        return false;
    }
}

// Before anything is written: a damaged table is named to the user and kept
// from every write (not packed either); its complete rows stay readable, so
// that they can be exported.
void TDM::checkTableFiles()
{
    m_unfitFiles.clear();
    for (const TableCheck::Problem &problem : TableCheck::check(*m_db)) {
        m_unfitFiles.insert(problem.fileName.toLower());
        reportProblem(TableCheck::message(problem)
                      + QStringLiteral("。\n该表只能查看和导出，不能修改。"));
    }
}

// Each file is opened on its own before any statement names it, so that one
// that is missing or cannot be read is reported by its name and what is
// wrong with it, not by the statement that would have failed.
void TDM::requireTableFiles()
{
    for (const QString &file : requiredFiles())
        m_db->file(file);
}

void TDM::reopenQueries()
{
    const QString allKjcg = QStringLiteral("select * from kjcg");
    ReopenWithSql(*Query2, allKjcg);
    Query2->setFieldTitle(QStringLiteral("ITEM_4"), QStringLiteral("成果管理编号"));
    Query2->setFieldTitle(QStringLiteral("ITEM_3"), QStringLiteral("成果名称"));
    ReopenWithSql(*Qrykjcg, allKjcg);
    Qrykjcg->setFieldTitle(QStringLiteral("NO"), QStringLiteral("序号"));
    Qrykjcg->setFieldTitle(QStringLiteral("ITEM_120"), QStringLiteral("成果管理编号"));
    Qrykjcg->setFieldTitle(QStringLiteral("ITEM_3"), QStringLiteral("成果名称"));
    Qrykjcg->setFieldTitle(QStringLiteral("ITEM_9"), QStringLiteral("成果完成单位"));
    ReopenWithSql(*QryCgwcdw, QStringLiteral("select * from cgwcdw"));
    ReopenWithSql(*QryJdwyhmd, QStringLiteral("select * from jdwyhmd"));
    ReopenWithSql(*QryCgwcr, QStringLiteral("select * from cgwcr"));
    ReopenWithSql(*Qrydwqk, QStringLiteral("select * from dwqk"));
    ReopenWithSql(*tempquery, allKjcg);
    ReopenWithSql(*QryCheckUp, QStringLiteral("select * from CheckUp"));
    ReopenWithSql(*Qryunit, QStringLiteral("select * from unit"));
}

void TDM::openOptionalClassifications()
{
    ZtflhPresent = m_db->fileExists(QStringLiteral("ztflh.dbf"));
    if (ZtflhPresent)
        Tztflh2->open();
    XkflPresent = m_db->fileExists(QStringLiteral("xkfl.dbf"));
    if (XkflPresent)
        Txkfl2->open();
}

void TDM::openTables()
{
    for (Table *table : {Tblgxjs, TblDFJHZDXX, Tblzdxx, Tblkjcg, TblCgwcdw, Tbljdwyhmd, TblCgwcr,
                         Tblunit, Tblexpert, tblzlqk, tblzdxx1, tblLsbw, TblwcrNew})
        table->open();
}

void TDM::destroyDataSets()
{
    // Models first, then the datasets, all before the database they use.
    qDeleteAll(findChildren<DataSetModel *>(QString(), Qt::FindDirectChildrenOnly));
    qDeleteAll(findChildren<DataSet *>(QString(), Qt::FindDirectChildrenOnly));
}
