#include "SectionPage.h"

#include "engine/DataSet.h"
#include "engine/DbError.h"
#include "records/widgets/Abort.h"
#include "records/forms/EntryRoutines.h"
#include "records/forms/HelpWindow.h"
#include "records/widgets/Messages.h"

#include <QComboBox>
#include <QHBoxLayout>
#include <QLayout>
#include <QPushButton>

SectionPage::SectionPage(const QString &objectName, const QString &sectionButton, QWidget *parent)
    : PageWindow(parent), BoundForm(this), m_sectionButton(sectionButton)
{
    setObjectName(objectName);
}

void SectionPage::wire(AppContext &context)
{
    PageWindow::wire(context);
    applyFieldModel(record());
}

DataSet &SectionPage::record() const
{
    return context().recordHost().currentRecord();
}

// ---- load ---------------------------------------------------------------------

void SectionPage::openForCurrentRecord()
{
    if (!context().recordHost().ensureCurrentRecord())
        return;
    if (!loadForShowing())
        return;
    setWindowTitle(QStringLiteral("成果名称：") + record().asString(QStringLiteral("item_3")));
    // The controls of the other category group have just been hidden: the
    // page may take its own size again.
    if (layout())
        layout()->activate();
    resize(PageWidth, PageHeight);
    exec();
}

void SectionPage::loadFromRecord()
{
    loadFromRow();
}

bool SectionPage::loadForShowing()
{
    loadFromRecord();
    return true;
}

void SectionPage::prepareLoad(const DataSet &rec)
{
    // A row of another table (page 4 takes the own-unit profile) leaves the
    // record's category as it is.
    if (rec.hasField(QStringLiteral("item_cglb")))
        setCategory(rec.asString(QStringLiteral("item_cglb")).trimmed());
    beforeLoad();
    ClearOptionBoxes(this);
}

void SectionPage::beforeLoad() {}

// ---- save ---------------------------------------------------------------------------

void SectionPage::beforeSave() {}

void SectionPage::checkBeforeLeaving()
{
    checkInput();
}

void SectionPage::afterPost() {}

bool SectionPage::save()
{
    beforeSave();
    checkInput();
    try {
        writeRow();
    } catch (const DbError &e) {
        Messages::ShowError(this, e.message());
        return false;
    }
    runGuarded(this, [&] { afterPost(); });
    Messages::ShowWarning(this, Messages::Texts::stored());
    context().recordHost().markSectionDone(m_sectionButton);
    return true;
}

// ---- buttons and leaving ----------------------------------------------------------

void SectionPage::btnSave01Click()
{
    runGuarded(this, [&] { save(); });
}

// The page is left only with its checks passed; a changed page asks first,
// and a save that fails keeps the page open with what was typed.
void SectionPage::quit01Click()
{
    runGuarded(this, [&] {
        if (m_checksOnLeave)
            checkBeforeLeaving();
        if (confirmLeave(Messages::Texts::leaveQuestion()))
            accept();
    });
}

void SectionPage::helpClick()
{
    const AppContext *host = FindContext(this);
    ShowHelpFor(host, host ? host->recordHost().categoryIndex() : 0);
}

void SectionPage::done(int result)
{
    PageWindow::done(result);
    if (isWired())
        context().recordHost().pageLeft();
}

// ---- the buttons -----------------------------------------------------------------

QWidget *SectionPage::makeButtonBar(const QString &saveCaption, const QString &quitName,
                                    const QString &helpName)
{
    auto *bar = new QWidget(this);
    btnSave01 = new QPushButton(saveCaption, bar);
    btnSave01->setObjectName(QStringLiteral("btnSave01"));
    quit01 = new QPushButton(QStringLiteral("退出"), bar);
    quit01->setObjectName(quitName);
    helpButton = new QPushButton(QStringLiteral("帮助"), bar);
    helpButton->setObjectName(helpName);
    auto *row = new QHBoxLayout(bar);
    row->setContentsMargins(0, 0, 0, 0);
    row->addStretch(1);
    for (QPushButton *b : {btnSave01, quit01, helpButton}) {
        b->setAutoDefault(false);
        b->setMinimumWidth(90);
        row->addWidget(b);
        row->addSpacing(30);
    }
    row->addStretch(1);
    connect(btnSave01, &QPushButton::clicked, this, &SectionPage::btnSave01Click);
    connect(quit01, &QPushButton::clicked, this, &SectionPage::quit01Click);
    connect(helpButton, &QPushButton::clicked, this, &SectionPage::helpClick);
    return bar;
}
