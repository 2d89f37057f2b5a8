#pragma once
// Every message box a test causes, recorded and answered without a screen.

#include "records/widgets/Messages.h"

#include <QList>
#include <QStringList>
#include <functional>

// Every box shown, answered from `answers` in turn, else with `answer`, else
// with Yes when offered, else OK.
class BoxLog
{
public:
    BoxLog() { install(); }
    ~BoxLog() { Messages::setAnswerer({}); }

    // Answers boxes again after a test showed one for real.
    void install()
    {
        Messages::setAnswerer([this](const Messages::Request &request) {
            boxes << request;
            if (onBox)
                onBox(request);
            if (!answers.isEmpty())
                return answers.takeFirst();
            if (answer != QMessageBox::NoButton)
                return answer;
            return request.buttons.testFlag(QMessageBox::Yes) ? QMessageBox::Yes : QMessageBox::Ok;
        });
    }

    QList<Messages::Request> boxes;
    QList<QMessageBox::StandardButton> answers;
    QMessageBox::StandardButton answer = QMessageBox::NoButton;
    // Runs while the box is up (what the box's taking the focus does).
    std::function<void(const Messages::Request &)> onBox;

    QStringList texts() const
    {
        QStringList list;
        for (const Messages::Request &r : boxes)
            list << r.text;
        return list;
    }
    QString last() const { return boxes.isEmpty() ? QString() : boxes.last().text; }
    QString lastCaption() const { return boxes.isEmpty() ? QString() : boxes.last().caption; }
    void clear()
    {
        boxes.clear();
        answers.clear();
        answer = QMessageBox::NoButton;
        onBox = {};
    }
};
