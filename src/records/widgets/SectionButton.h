#pragma once
#include <QPushButton>

// A section button of the main window: its caption names a section of the
// registration form, its glyph (right of the caption) tells whether the
// section of the current record is done (tick) or not (question mark).
class SectionButton : public QPushButton
{
    Q_OBJECT
public:
    enum Kind { Done, NotDone };

    SectionButton(const QString &objectName, const QString &caption, QWidget *parent = nullptr);

    Kind kind() const { return m_kind; }
    bool isDone() const { return m_kind == Done; }
    // Changes the glyph; the caption stays.
    void setKind(Kind kind);

private:
    Kind m_kind = Done;
};
