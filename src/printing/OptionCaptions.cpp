#include "OptionCaptions.h"

#include "CodeLookup.h"
#include "records/data/FormOptions.h"

namespace OptionCaptions {

QString caption(const CodeLookup *codes, const QString &group, const QString &code)
{
    const QString key = group.toLower();
    const std::span<const OptionText> named = FormOptions::of(key);
    if (!named.empty()) {
        for (const OptionText &option : named) {
            if (code == QLatin1String(option.code))
                return QString::fromUtf8(option.caption).trimmed();
        }
        return {};
    }
    return codes ? codes->optionText(key, code).trimmed() : QString();
}

} // namespace OptionCaptions
