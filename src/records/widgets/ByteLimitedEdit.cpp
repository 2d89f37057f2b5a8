#include "ByteLimitedEdit.h"

#include "GbkInput.h"
#include "engine/GbkText.h"

#include <QValidator>

// QLineEdit runs its validator on every change, setText included, and takes
// over the text the validator hands back: the place to keep the limit. A
// change the user made is the one that leaves the edit modified; setText
// clears that mark before the validator runs.
class ByteLimitedEdit::Validator : public QValidator
{
public:
    explicit Validator(ByteLimitedEdit *edit) : QValidator(edit), m_edit(edit) {}

    State validate(QString &input, int &pos) const override
    {
        if (!m_edit->isModified())
            return Acceptable;
        const int limit = m_edit->m_maxBytes;
        if ((limit <= 0 || GbkText::byteLength(input) <= limit) && GbkText::canHold(input))
            return Acceptable;
        const GbkInput::Fitted fitted = GbkInput::fit(m_edit->m_accepted, input, limit);
        input = fitted.text;
        pos = fitted.cursor;
        GbkInput::warnLater(m_edit, fitted.refused);
        return Acceptable;
    }

private:
    ByteLimitedEdit *m_edit;
};

ByteLimitedEdit::ByteLimitedEdit(QWidget *parent) : ByteLimitedEdit(0, parent) {}

ByteLimitedEdit::ByteLimitedEdit(int maxBytes, QWidget *parent)
    : QLineEdit(parent), m_maxBytes(maxBytes)
{
    setValidator(new Validator(this));
    connect(this, &QLineEdit::textChanged, this, [this](const QString &text) { m_accepted = text; });
}

void ByteLimitedEdit::setMaxBytes(int maxBytes)
{
    m_maxBytes = maxBytes;
}

int ByteLimitedEdit::maxBytes() const
{
    return m_maxBytes;
}

ByteLimitedEdit *MakeFieldEdit(QWidget *parent, const QString &name)
{
    auto *edit = new ByteLimitedEdit(parent);
    edit->setObjectName(name);
    return edit;
}
