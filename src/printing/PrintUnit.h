#pragma once
// The print window ("数据打印"): the start page with the ways of output,
// the preview buttons of each category's pages, the direct-print buttons,
// and the Word buttons of the record's category.

#include "PrintData.h"
#include "ReportPages.h"
#include "records/forms/AppContext.h"
#include "report/Report.h"

#include <QDialog>
#include <functional>
#include <memory>

class QLabel;
class QPushButton;
namespace report { class Output; }

class TPrintForm : public QDialog, public ContextWindow
{
    Q_OBJECT
public:
    explicit TPrintForm(QWidget *parent = nullptr);
    ~TPrintForm() override;

    // The pages come from the data module's record and child lists.
    void wire(AppContext &context) override;
    // Or from what a test hands in.
    void setData(const PrintData &data);
    PrintData &data() { return m_data; }
    // Where previews and prints go (a printer and the preview dialog unless
    // replaced, as tests do).
    void setOutput(std::unique_ptr<report::Output> output);
    ReportPages &pages() { return m_pages; }

    // The category of the current record: "1" applied technology.
    bool appliedRecord() const;

    void ShowPanel(int number);
    // The page prepared and laid out with the footer of preview or direct
    // print, as the page's button would send it.
    report::Document previewDocument(const QString &className);
    report::Document printDocument(const QString &className);

    QWidget *Panel1 = nullptr;  // preview, basic theory and soft science
    QWidget *Panel2 = nullptr;  // preview, applied technology
    QWidget *Panel3 = nullptr;  // direct print, applied technology
    QWidget *Panel4 = nullptr;  // direct print, basic theory and soft science
    QWidget *Panel5 = nullptr;  // start page

    QPushButton *YY_Button = nullptr;
    QPushButton *RJ_Button = nullptr;
    QPushButton *YY_SButton = nullptr;
    QPushButton *RJ_SButton = nullptr;
    QPushButton *Button5 = nullptr;
    QPushButton *Button6 = nullptr;

    // The in-memory rows of the list pages.
    report::DataTable ClientDataSet1;  // committee
    report::DataTable ClientDataSet2;  // persons
    report::DataTable ClientDataSet3;  // units

public slots:
    void FormShow();
    void Button4Click();  // 直接打印
    void Button7Click();  // 自定义打印
    void Button1Click();  // 返回 from the applied preview panel
    void Button2Click();  // 返回 from the other preview panel
    void RJ_ButtonClick();
    void YY_ButtonClick();
    void RJ_SButtonClick();
    void YY_SButtonClick();
    void Button5Click();
    void Button6Click();
    // "全文打印" of the record's set.
    void PrintWholeForm();

protected:
    void showEvent(QShowEvent *event) override;

private:
    struct Footer
    {
        QString pageLabel;
        QString counterPrefix;
    };
    QWidget *makePanel(const QString &name);
    void buildStartPage();
    QWidget *buildStartNotes();
    QWidget *buildWordButtons();
    void buildPreviewPanel(QWidget *panel, bool applied);
    void buildDirectPanel(QWidget *panel, bool applied);
    QPushButton *addButton(QWidget *panel, const QString &name, const QString &caption,
                           std::function<void()> action);
    report::Document layOut(const QString &className, const Footer &footer);
    void previewPage(const QString &className, const Footer &footer);
    void printPage(const QString &className, const Footer &footer);
    void printWholeForm(bool applied);
    // Runs a handler; whatever goes wrong is shown and the window stays.
    void guarded(const std::function<void()> &handler);

    PrintData m_data;
    ReportPages m_pages;
    std::unique_ptr<report::Output> m_output;
    std::unique_ptr<class CodeLookup> m_codes;
};
