#include "StartUp.h"

#include "DataFolderLock.h"

#include "records/widgets/AppInfo.h"
#include "engine/DbError.h"
#include "exchange/CodeManage.h"
#include "exchange/UnitDuoyu.h"
#include "exchange/Unitin.h"
#include "exchange/Unitout.h"
#include "exchange/formatitem4.h"
#include "exchange/core/WorkFolders.h"
#include "printing/PrintUnit.h"
#include "records/pages/CgwcrManage.h"
#include "records/unit/Finto11Unit.h"
#include "records/pages/Finto5Unit.h"
#include "records/pages/Finto6Unit.h"
#include "records/pages/Finto7Unit.h"
#include "records/pages/Finto8Unit.h"
#include "records/forms/AppContext.h"
#include "records/widgets/Messages.h"
#include "app/Unit1.h"
#include "records/forms/Unit2.h"
#include "records/data/UnitDM.h"
#include "app/UnitNew.h"
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
#include "records/forms/Unittree.h"
#include "records/forms/WindowStacking.h"
#include "app/Unitwel.h"
#include "records/unit/dw_Unit.h"
#include "records/forms/yyPrintUnit13.h"

#include <QApplication>
#include <QGuiApplication>
#include <QDir>
#include <QFont>
#include <QLibraryInfo>
#include <QLocale>
#include <QTranslator>
#include <QStandardPaths>
#include <cstdio>

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
    // The desktop knows the program by its name (the window class) and its
    // desktop file; every window keeps its own caption as its whole title,
    // which a display name would lengthen on some desktops.
    app.setApplicationName(AppInfo::productName());
    app.setDesktopFileName(QStringLiteral("dravik"));
    loadQtTranslations(app);
    useChineseLocale();
    WindowStacking::stackOverOpeners(app);
    QFont font(QStringLiteral("宋体"));
    font.setPixelSize(12);
    app.setFont(font);
}

// Qt's own texts (standard buttons 确定, 取消, 是, 否) in Chinese whatever
// the desktop's locale.
bool loadQtTranslations(QApplication &app)
{
    auto *translator = new QTranslator(&app);
    if (translator->load(QStringLiteral("qtbase_zh_CN"),
                         QLibraryInfo::path(QLibraryInfo::TranslationsPath)))
        return app.installTranslator(translator);
    delete translator;
    return false;
}

// Dates, sizes and file types that Qt's own dialogs show read as the user
// expects whatever the desktop's locale. What the program stores or
// exchanges never goes through a locale (ValueText), so this only changes
// what is shown.
void useChineseLocale()
{
    QLocale::setDefault(QLocale(QLocale::Chinese, QLocale::China));
}

template <class Window>
void Windows::make(const char *className)
{
    // Every other window is a child of the main window and goes with it.
    auto *window = new Window(m_main.get());
    m_made << window;
    m_order << QString::fromLatin1(className);
}

Windows::Windows(const QString &dataPath)
{
    makeWindows(dataPath);
    wireWindows();
}

Windows::~Windows() = default;

void Windows::makeWindows(const QString &dataPath)
{
    m_main = std::make_unique<TMainForm>();
    m_made << m_main.get();
    m_order << QStringLiteral("TMainForm");
    make<Tformwel>("Tformwel");
    make<TFpage6>("TFpage6");
    m_dm = std::make_unique<TDM>(dataPath, Messages::ShowErrorBox);
    m_order << QStringLiteral("TDM");
    make<TFormTree>("TFormTree");
    make<TFormout>("TFormout");
    make<TFormNew>("TFormNew");
    make<Tdw_Form>("Tdw_Form");
    make<TFinto8>("TFinto8");
    make<TFinto7>("TFinto7");
    make<TFinto6>("TFinto6");
    make<TFinto5>("TFinto5");
    make<TFormin>("TFormin");
    make<TPrintForm>("TPrintForm");
    make<TFpage1>("TFpage1");
    make<TFpage2>("TFpage2");
    make<TFpage3>("TFpage3");
    make<TFpage4>("TFpage4");
    make<TFpage5>("TFpage5");
    make<TFpage7>("TFpage7");
    make<TFpage8>("TFpage8");
    make<TFpage9>("TFpage9");
    make<THelpForm>("THelpForm");
    make<TFormDuoyu>("TFormDuoyu");
    make<TFcodeManage>("TFcodeManage");
    make<TFormWcr>("TFormWcr");
    make<THelpForm_rj>("THelpForm_rj");
    make<TFpage4a>("TFpage4a");
    make<TFpage10>("TFpage10");
    make<TFpage11>("TFpage11");
    make<TFpage12>("TFpage12");
    make<TFinto11>("TFinto11");
    make<Tformadvantage>("Tformadvantage");
    make<Tformunitintrod>("Tformunitintrod");
    make<Tformformat>("Tformformat");
    make<TFormstudy>("TFormstudy");
}

// Every window is known to the context before any is wired, so that a
// window may look up the others while it wires itself.
void Windows::wireWindows()
{
    m_context = std::make_unique<AppContext>(*m_dm);
    m_context->setMainForm(m_main.get());
    for (QWidget *window : std::as_const(m_made))
        m_context->addWindow(window);
    for (QWidget *window : std::as_const(m_made)) {
        if (auto *user = dynamic_cast<ContextWindow *>(window))
            user->wire(*m_context);
    }
}

int run(QApplication &app)
{
    setUpApplication(app);
    SingleInstance instance;
    if (!instance.tryAcquire())
        return 0;
    const QString dataPath = TDM::defaultDataPath();
    DataFolderLock folder(dataPath);
    switch (folder.acquire()) {
    case DataFolderLock::Outcome::HeldElsewhere:
        return 0;
    case DataFolderLock::Outcome::ReadOnly:
        reportFatal(folder.problem());
        return 1;
    case DataFolderLock::Outcome::Acquired:
        break;
    }
    WorkFolders::removeStale();
    Windows windows(dataPath);
    windows.mainForm()->show();
    return app.exec();
}

// Also written out, for whoever started the program from a terminal.
void reportFatal(const QString &message)
{
    fprintf(stderr, "%s\n", message.toLocal8Bit().constData());
    fflush(stderr);
    Messages::show(nullptr, AppInfo::productName(), message, QMessageBox::Critical);
}

} // namespace StartUp
