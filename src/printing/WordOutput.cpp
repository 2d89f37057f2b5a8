#include "WordOutput.h"

#include "CodeLookup.h"
#include "WordDocumentMaker.h"
#include "records/forms/AppContext.h"
#include "records/data/UnitDM.h"

namespace WordOutput {

namespace {

QString &savingFolder()
{
    static QString folder;
    return folder;
}

Opener &savingOpener()
{
    static Opener opener;
    return opener;
}

// The data folder beside the program holds the templates with the tables.
void make(QWidget *window, WordPlans::Output output)
{
    AppContext &context = ContextOf(window);
    TDM &dm = context.dm();
    const DatabaseCodes codes(dm.database(), &context.dictionary());
    WordDocumentMaker maker(WordSources::fromDataModule(dm, codes), dm.DataPath, window);
    if (!savingFolder().isEmpty())
        maker.setFolder(savingFolder());
    if (savingOpener())
        maker.setOpener(savingOpener());
    maker.run(output);
}

} // namespace

void setSaving(const QString &folder, Opener opener)
{
    savingFolder() = folder;
    savingOpener() = std::move(opener);
}

void RJ_ButtonClick(QWidget *window) { make(window, WordPlans::Output::RjForm); }
void YY_ButtonClick(QWidget *window) { make(window, WordPlans::Output::YyForm); }
void RJ_SButtonClick(QWidget *window) { make(window, WordPlans::Output::RjFormText); }
void YY_SButtonClick(QWidget *window) { make(window, WordPlans::Output::YyFormText); }
void Button5Click(QWidget *window) { make(window, WordPlans::Output::Application); }
void Button6Click(QWidget *window) { make(window, WordPlans::Output::Certificate); }

} // namespace WordOutput
