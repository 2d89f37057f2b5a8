#include "DigitInput.h"

#include <QLineEdit>
#include <QPointer>
#include <QValidator>

namespace {

// QLineEdit validates every change, setText included; a change the user
// made is the one that leaves the edit modified.
class TypedInput : public QValidator
{
public:
    explicit TypedInput(QLineEdit *edit) : QValidator(edit), m_edit(edit)
    {
        QObject::connect(edit, &QLineEdit::textChanged, this,
                         [this](const QString &text) { m_before = text; });
    }

    enum class Characters { Any, Digits, DigitsAndPoint };
    void setRules(Characters characters, int maxTyped)
    {
        m_characters = characters;
        m_maxTyped = maxTyped;
    }

    State validate(QString &input, int &) const override
    {
        if (!m_edit || !m_edit->isModified())
            return Acceptable;
        if (!allowed(input))
            return Invalid;
        // A stored text longer than the limit may still be shortened.
        if (m_maxTyped > 0 && input.size() > m_maxTyped && input.size() > m_before.size())
            return Invalid;
        return Acceptable;
    }

private:
    bool allowed(const QString &input) const
    {
        if (m_characters == Characters::Any)
            return true;
        for (QChar c : input) {
            const bool ok = (c >= QLatin1Char('0') && c <= QLatin1Char('9'))
                            || (c == QLatin1Char('.') && m_characters == Characters::DigitsAndPoint);
            if (!ok)
                return false;
        }
        return true;
    }

    QPointer<QLineEdit> m_edit;
    QString m_before;
    Characters m_characters = Characters::Any;
    int m_maxTyped = 0;
};

TypedInput *typedInputOf(QLineEdit *edit)
{
    auto *existing = dynamic_cast<TypedInput *>(const_cast<QValidator *>(edit->validator()));
    if (existing)
        return existing;
    auto *validator = new TypedInput(edit);
    edit->setValidator(validator);
    return validator;
}

} // namespace

void AcceptOnlyDigits(QLineEdit *edit, bool allowPoint, int maxTyped)
{
    typedInputOf(edit)->setRules(allowPoint ? TypedInput::Characters::DigitsAndPoint
                                            : TypedInput::Characters::Digits,
                                 maxTyped);
}

void LimitTypedLength(QLineEdit *edit, int maxTyped)
{
    typedInputOf(edit)->setRules(TypedInput::Characters::Any, maxTyped);
}
