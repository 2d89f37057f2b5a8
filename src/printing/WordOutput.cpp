#include "WordOutput.h"

#include "records/forms/Messages.h"

// Until the documents are built, each button says so.
namespace WordOutput {

namespace {
void notYet(QWidget *window)
{
    Messages::ShowWarning(window, QStringLiteral("Word文档输出尚未完成。"));
}
} // namespace

void RJ_ButtonClick(QWidget *window) { notYet(window); }
void YY_ButtonClick(QWidget *window) { notYet(window); }
void RJ_SButtonClick(QWidget *window) { notYet(window); }
void YY_SButtonClick(QWidget *window) { notYet(window); }
void Button5Click(QWidget *window) { notYet(window); }
void Button6Click(QWidget *window) { notYet(window); }

} // namespace WordOutput
