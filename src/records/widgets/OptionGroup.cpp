#include "OptionGroup.h"

#include <QButtonGroup>
#include <QCheckBox>
#include <QRadioButton>

QList<QAbstractButton *> OptionBoxesOf(QWidget *panel)
{
    QList<QAbstractButton *> boxes;
    if (!panel)
        return boxes;
    for (QObject *child : panel->children()) {
        if (qobject_cast<QCheckBox *>(child) || qobject_cast<QRadioButton *>(child))
            boxes.append(static_cast<QAbstractButton *>(child));
    }
    return boxes;
}

QString OptionCode(const QAbstractButton *box, int n)
{
    return box->objectName().right(n);
}

void SetOptionTicked(QAbstractButton *box, bool ticked)
{
    if (box->isChecked() == ticked)
        return;
    if (ticked) {
        box->setChecked(true);
        return;
    }
    // Qt refuses to untick the ticked member of an exclusive group; the
    // forms untick radio buttons freely, so lift the exclusivity briefly.
    QButtonGroup *group = box->group();
    const bool groupExclusive = group && group->exclusive();
    const bool autoExclusive = box->autoExclusive();
    if (groupExclusive)
        group->setExclusive(false);
    box->setAutoExclusive(false);
    box->setChecked(false);
    box->setAutoExclusive(autoExclusive);
    if (groupExclusive)
        group->setExclusive(true);
}

void UncheckOtherCheckBoxes(QWidget *panel, const QString &keepName, const QStringList &alsoKeep)
{
    for (QAbstractButton *box : OptionBoxesOf(panel)) {
        if (!qobject_cast<QCheckBox *>(box) || !box->isChecked())
            continue;
        if (box->objectName() == keepName || alsoKeep.contains(box->objectName()))
            continue;
        box->setChecked(false);
    }
}

void KeepOneCheckBoxTicked(QWidget *panel)
{
    for (QAbstractButton *box : OptionBoxesOf(panel)) {
        if (!qobject_cast<QCheckBox *>(box))
            continue;
        QObject::connect(box, &QAbstractButton::toggled, panel, [panel, box](bool on) {
            if (on)
                UncheckOtherCheckBoxes(panel, box->objectName());
        });
    }
}

void SetRadioButtonsEnabled(QWidget *panel, bool enabled)
{
    for (QAbstractButton *box : OptionBoxesOf(panel)) {
        if (!qobject_cast<QRadioButton *>(box))
            continue;
        if (!enabled)
            SetOptionTicked(box, false);
        box->setEnabled(enabled);
    }
}
