#pragma once
#include "records/forms/BoundForm.h"
#include "records/forms/PageWindow.h"
#include "records/forms/SectionWindow.h"

#include <QList>

class DataSet;
class QPushButton;

// A section page of the registration form over the current record (the
// record host's current record: the main list's current row). The page
// declares a table of bindings in the order of its input check; the bound
// form fills the controls from the record, checks them, saves them, marks
// the page's section button done and asks "记录已经更改,是否保存？" when a
// changed page is left.
//
// A page configures it in its constructor:
//
//     bind(PageBindings::text("item_120", Edt_120));
//     bind(PageBindings::pick("item_1", CB_1, PageBindings::dictionary("item_1"), 3)
//              .required(PageBindings::quotedMissing("成果密级")));
//     bind(PageBindings::options("item_123", PL_123, 1, "成果体现形式")
//              .only(Serves::AppliedOnly, true));
//
// and overrides the hooks where it deviates from the common way.
class SectionPage : public PageWindow, public BoundForm, public SectionWindow
{
    Q_OBJECT
public:
    // sectionButton: the main window's button that a save marks done.
    SectionPage(const QString &objectName, const QString &sectionButton, QWidget *parent);

    // Byte limits from the list's fields.
    void wire(AppContext &context) override;

    // The main window's section button: with an empty list the new-record
    // dialog comes first; then the page is filled from the record and shown.
    void openForCurrentRecord() override;

    // Fills the page from the current record, for its category.
    void loadFromRecord();
    // Check, write, post, "存储成功！", done mark. False when nothing was
    // stored; the reason has been shown. Throws Abort when a check failed.
    bool save();

    // The current record; a page is only shown while there is one.
    DataSet &record() const;
    DataSet &boundRow() const override { return record(); }
    // Escape and the window manager's close press "退出".
    void leave() override { quit01Click(); }

    QPushButton *btnSave01 = nullptr;
    QPushButton *quit01 = nullptr;
    QPushButton *helpButton = nullptr;

public slots:
    void btnSave01Click();
    void quit01Click();
    void helpClick();

protected:
    // The buttons "储存"/"存储", "退出", "帮助", under the names the page
    // gives them.
    QWidget *makeButtonBar(const QString &saveCaption, const QString &quitName = QStringLiteral("quit01"),
                           const QString &helpName = QStringLiteral("Button3"));
    // Pages without required entries leave without a check.
    void setChecksOnLeave(bool on) { m_checksOnLeave = on; }

    void prepareLoad(const DataSet &record) override;
    // Hooks of the pages, in the order they run.
    // Fills the page before it is shown; false keeps it closed (a page that
    // reports loading errors in its own words).
    virtual bool loadForShowing();
    // After the category is known, before the controls are filled.
    virtual void beforeLoad();
    // Before the check of "存储".
    virtual void beforeSave();
    // The check "退出" runs before it asks; the input check unless a page
    // leaves some of it to the save.
    virtual void checkBeforeLeaving();
    // After the row was posted, before "存储成功！"; what it throws is shown
    // as a database error, the row stays stored.
    virtual void afterPost();
    bool saveForLeave() override { return save(); }

    void done(int result) override;

private:
    QString m_sectionButton;
    bool m_checksOnLeave = true;
};
