#include "StartUp.h"

#include "AppInfo.h"
#include "engine/DbError.h"
#include "exchange/CodeManage.h"
#include "exchange/UnitDuoyu.h"
#include "exchange/Unitin.h"
#include "exchange/Unitout.h"
#include "exchange/formatitem4.h"
#include "printing/PrintUnit.h"
#include "records/pages/CgwcrManage.h"
#include "records/unit/Finto11Unit.h"
#include "records/pages/Finto5Unit.h"
#include "records/pages/Finto6Unit.h"
#include "records/pages/Finto7Unit.h"
#include "records/pages/Finto8Unit.h"
#include "records/forms/Messages.h"
#include "records/main/Unit1.h"
#include "records/main/Unit2.h"
#include "records/main/UnitDM.h"
#include "records/main/UnitNew.h"
#include "records/pages/UnitPage1.h"
#include "records/unit/Unitpage10.h"
#include "records/unit/Unitpage11.h"
#include "records/pages/Unitpage12.h"
#include "records/pages/Unitpage2.h"
#include "records/pages/Unitpage3.h"
#include "records/pages/Unitpage4.h"
#include "records/unit/Unitpage4a.h"
#include "records/unit/Unitpage4a1.h"
#include "records/unit/Unitpage4a3.h"
#include "records/unit/Unitpage4a5.h"
#include "records/pages/Unitpage5.h"
#include "records/pages/Unitpage6.h"
#include "records/pages/Unitpage7.h"
#include "records/pages/Unitpage8.h"
#include "records/pages/Unitpage9.h"
#include "records/main/Unittree.h"
#include "records/main/Unitwel.h"
#include "records/unit/dw_Unit.h"
#include "records/main/yyPrintUnit13.h"

#include <QApplication>
#include <QDir>
#include <QFont>
#include <QStandardPaths>

namespace StartUp {

SingleInstance::SingleInstance(const QString &folder)
{
    QString dir = folder;
    if (dir.isEmpty())
        dir = QStandardPaths::writableLocation(QStandardPaths::RuntimeLocation);
    if (dir.isEmpty())
        dir = QDir::tempPath();
    m_path = QDir(dir).filePath(AppInfo::applicationTitle() + QStringLiteral(".lock"));
}

bool SingleInstance::tryAcquire()
{
    m_lock = std::make_unique<QLockFile>(m_path);
    // Held until the process ends; a lock left by a copy that died is
    // recognised as stale by its process id and taken over.
    m_lock->setStaleLockTime(0);
    return m_lock->tryLock(0);
}

QString SingleInstance::lockPath() const
{
    return m_path;
}

void setUpApplication(QApplication &app)
{
    app.setApplicationName(AppInfo::productName());
    QFont font(QStringLiteral("宋体"));
    font.setPixelSize(12);
    app.setFont(font);
}

template <class Window, class Global>
void Windows::make(Global *&global, QWidget *parent, const char *className)
{
    global = new Window(parent);
    m_order << QString::fromLatin1(className);
}

Windows::Windows(const QString &dataPath)
{
    try {
        make<TMainForm>(MainForm, nullptr, "TMainForm");
        make<Tformwel>(formwel, MainForm, "Tformwel");
        make<TFpage6>(Fpage6, MainForm, "TFpage6");
        new TDM(dataPath);
        m_order << QStringLiteral("TDM");
        make<TFormTree>(FormTree, MainForm, "TFormTree");
        FormTree->setTable(DM->Table1);
        make<TFormout>(Formout, MainForm, "TFormout");
        make<TFormNew>(FormNew, MainForm, "TFormNew");
        make<Tdw_Form>(dw_Form, MainForm, "Tdw_Form");
        make<TFinto8>(Finto8, MainForm, "TFinto8");
        make<TFinto7>(Finto7, MainForm, "TFinto7");
        make<TFinto6>(Finto6, MainForm, "TFinto6");
        make<TFinto5>(Finto5, MainForm, "TFinto5");
        make<TFormin>(Formin, MainForm, "TFormin");
        make<TPrintForm>(PrintForm, MainForm, "TPrintForm");
        make<TFpage1>(Fpage1, MainForm, "TFpage1");
        make<TFpage2>(Fpage2, MainForm, "TFpage2");
        make<TFpage3>(Fpage3, MainForm, "TFpage3");
        make<TFpage4>(Fpage4, MainForm, "TFpage4");
        make<TFpage5>(Fpage5, MainForm, "TFpage5");
        make<TFpage7>(Fpage7, MainForm, "TFpage7");
        make<TFpage8>(Fpage8, MainForm, "TFpage8");
        make<TFpage9>(Fpage9, MainForm, "TFpage9");
        make<THelpForm>(HelpForm, MainForm, "THelpForm");
        make<TFormDuoyu>(FormDuoyu, MainForm, "TFormDuoyu");
        make<TFcodeManage>(FcodeManage, MainForm, "TFcodeManage");
        make<TFormWcr>(FormWcr, MainForm, "TFormWcr");
        make<THelpForm_rj>(HelpForm_rj, MainForm, "THelpForm_rj");
        make<TFpage4a>(Fpage4a, MainForm, "TFpage4a");
        make<TFpage10>(Fpage10, MainForm, "TFpage10");
        make<TFpage11>(Fpage11, MainForm, "TFpage11");
        make<TFpage12>(Fpage12, MainForm, "TFpage12");
        make<TFinto11>(Finto11, MainForm, "TFinto11");
        make<Tformadvantage>(formadvantage, MainForm, "Tformadvantage");
        make<Tformunitintrod>(formunitintrod, MainForm, "Tformunitintrod");
        make<Tformformat>(formformat, MainForm, "Tformformat");
        make<TFormstudy>(Formstudy, MainForm, "TFormstudy");
    } catch (...) {
        destroy();
        throw;
    }
}

Windows::~Windows()
{
    destroy();
}

// Every other window is a child of the main window; the windows go before
// the data they show.
void Windows::destroy()
{
    delete MainForm;
    MainForm = nullptr;
    formwel = nullptr;
    Fpage6 = nullptr;
    FormTree = nullptr;
    Formout = nullptr;
    FormNew = nullptr;
    dw_Form = nullptr;
    Finto8 = nullptr;
    Finto7 = nullptr;
    Finto6 = nullptr;
    Finto5 = nullptr;
    Formin = nullptr;
    PrintForm = nullptr;
    Fpage1 = nullptr;
    Fpage2 = nullptr;
    Fpage3 = nullptr;
    Fpage4 = nullptr;
    Fpage5 = nullptr;
    Fpage7 = nullptr;
    Fpage8 = nullptr;
    Fpage9 = nullptr;
    FormDuoyu = nullptr;
    FcodeManage = nullptr;
    FormWcr = nullptr;
    Fpage4a = nullptr;
    Fpage10 = nullptr;
    Fpage11 = nullptr;
    Fpage12 = nullptr;
    Finto11 = nullptr;
    formadvantage = nullptr;
    formunitintrod = nullptr;
    formformat = nullptr;
    Formstudy = nullptr;
    delete DM;
}

int run(QApplication &app)
{
    setUpApplication(app);
    SingleInstance instance;
    if (!instance.tryAcquire())
        return 0;
    Windows windows(TDM::defaultDataPath());
    MainForm->show();
    return app.exec();
}

void reportFatal(const QString &message)
{
    Messages::show(nullptr, AppInfo::productName(), message, QMessageBox::Critical);
}

} // namespace StartUp
