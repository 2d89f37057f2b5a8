#include "SectionPage.h"

#include "engine/DataSet.h"
#include "engine/DbError.h"
#include "records/forms/Abort.h"
#include "records/forms/EntryRoutines.h"
#include "records/main/HelpWindow.h"
#include "records/forms/Messages.h"

#include <QComboBox>
#include <QHBoxLayout>
#include <QLayout>
#include <QPushButton>

namespace {

void dropEdit(DataSet &record)
{
    if (record.state() == DataSet::Edit || record.state() == DataSet::Insert)
        record.cancel();
}

} // namespace

SectionPage::SectionPage(const QString &objectName, const QString &sectionButton, QWidget *parent)
    : PageWindow(parent), m_sectionButton(sectionButton)
{
    setObjectName(objectName);
}

DataSet &SectionPage::record() const
{
    return context().recordHost().currentRecord();
}

void SectionPage::bind(const Binding &binding)
{
    m_bindings.append(binding);
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
    const DataSet &rec = record();
    m_category = rec.asString(QStringLiteral("item_cglb")).trimmed();
    beforeLoad();
    ClearOptionBoxes(this);
    for (const Binding &b : std::as_const(m_bindings)) {
        const bool serves = b.servesCategory(m_category);
        for (QWidget *w : b.widgets)
            w->setVisible(serves);
        if (serves && b.load)
            b.load(rec);
    }
    afterLoad(rec);
}

bool SectionPage::loadForShowing()
{
    loadFromRecord();
    return true;
}

void SectionPage::beforeLoad() {}

void SectionPage::afterLoad(const DataSet &) {}

// ---- check, compare, save -----------------------------------------------------------

void SectionPage::checkInput()
{
    for (const Binding &b : std::as_const(m_bindings)) {
        if (b.check && b.servesCategory(m_category))
            b.check(this);
    }
}

bool SectionPage::isUnchanged() const
{
    const DataSet &rec = record();
    for (const Binding &b : m_bindings) {
        if (b.same && b.servesCategory(m_category) && !b.same(rec))
            return false;
    }
    return true;
}

void SectionPage::beforeSave() {}

void SectionPage::beforePost(DataSet &) {}

void SectionPage::afterPost() {}

void SectionPage::writeFields(DataSet &rec)
{
    for (const Binding &b : std::as_const(m_bindings)) {
        if (b.field.isEmpty())
            continue;
        if (b.servesCategory(m_category))
            rec.setValue(b.field, b.value());
        else if (b.clearedForOthers)
            rec.setValue(b.field, QVariant());
    }
}

bool SectionPage::save()
{
    beforeSave();
    checkInput();
    DataSet &rec = record();
    // A row that cannot be written is not left half changed in edit mode:
    // the page keeps the input and the user may try again.
    try {
        rec.edit();
        writeFields(rec);
        beforePost(rec);
        rec.post();
    } catch (const DbError &e) {
        dropEdit(rec);
        Messages::ShowError(this, e.message());
        return false;
    } catch (...) {
        dropEdit(rec);
        throw;
    }
    runGuarded(this, [&] { afterPost(); });
    Messages::ShowWarning(this, QStringLiteral("存储成功！"));
    markDone();
    return true;
}

void SectionPage::markDone()
{
    context().recordHost().markSectionDone(m_sectionButton);
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
            checkInput();
        if (!isUnchanged()) {
            const auto answer = Messages::show(this, QStringLiteral("请注意！"),
                                               QStringLiteral("记录已经更改,是否保存？"),
                                               QMessageBox::Question,
                                               QMessageBox::Yes | QMessageBox::No);
            if (answer == QMessageBox::Yes && !save())
                return;
        }
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
