#include "GbkInput.h"

#include "engine/GbkText.h"
#include "records/widgets/Messages.h"

#include <QPointer>
#include <QTimer>
#include <QWidget>

namespace GbkInput {

QString withoutUnencodable(const QString &text, QString *refused)
{
    if (GbkText::canHold(text))
        return text;
    QString kept;
    for (int i = 0; i < text.size(); ++i) {
        const int width = (text.at(i).isHighSurrogate() && i + 1 < text.size()
                           && text.at(i + 1).isLowSurrogate()) ? 2 : 1;
        const QString character = text.mid(i, width);
        if (GbkText::canHold(character))
            kept += character;
        else if (refused)
            *refused += character;
        i += width - 1;
    }
    return kept;
}

namespace {

int commonPrefix(const QString &a, const QString &b)
{
    const int limit = qMin(a.size(), b.size());
    int n = 0;
    while (n < limit && a.at(n) == b.at(n))
        ++n;
    // Never end inside a surrogate pair.
    if (n > 0 && a.at(n - 1).isHighSurrogate())
        --n;
    return n;
}

int commonSuffix(const QString &a, const QString &b, int prefix)
{
    const int limit = qMin(a.size(), b.size()) - prefix;
    int n = 0;
    while (n < limit && a.at(a.size() - 1 - n) == b.at(b.size() - 1 - n))
        ++n;
    if (n > 0 && a.at(a.size() - n).isLowSurrogate())
        --n;
    return n;
}

} // namespace

Fitted fit(const QString &previous, const QString &proposed, int maxBytes)
{
    const int prefix = commonPrefix(previous, proposed);
    const int suffix = commonSuffix(previous, proposed, prefix);
    const QString head = proposed.left(prefix);
    const QString tail = proposed.right(suffix);

    Fitted result;
    QString middle = withoutUnencodable(proposed.mid(prefix, proposed.size() - prefix - suffix),
                                        &result.refused);
    if (maxBytes > 0) {
        const int room = maxBytes - GbkText::byteLength(head) - GbkText::byteLength(tail);
        // The unchanged parts may be longer than the limit (a stored text):
        // they stay, and nothing is added to them.
        middle = room > 0 ? GbkText::cutToBytes(middle, room) : QString();
    }
    result.text = head + middle + tail;
    result.cursor = head.size() + middle.size();
    return result;
}

QString refusedMessage(const QString &refused)
{
    return QStringLiteral("“") + refused
           + QStringLiteral("”不是国标（GBK）字符集中的字符，不能存储，已经去掉！");
}

void warnLater(QWidget *edit, const QString &refused)
{
    if (refused.isEmpty())
        return;
    QPointer<QWidget> guard(edit);
    QTimer::singleShot(0, edit, [guard, refused] {
        Messages::ShowWarning(guard, refusedMessage(refused));
    });
}

} // namespace GbkInput
