#pragma once
// The caption printed beside each option box of the form. The groups whose
// options the entry pages name print those names (records/data/FormOptions);
// the others are the code dictionary's texts. An option without a caption
// prints none: never its bare code, which tells the reader nothing.

#include <QString>

class CodeLookup;

namespace OptionCaptions {

// The caption of `code` in the option group `group` (a dictionary key such
// as "item_21_l"); empty when neither the form nor the dictionary names it.
QString caption(const CodeLookup *codes, const QString &group, const QString &code);

} // namespace OptionCaptions
