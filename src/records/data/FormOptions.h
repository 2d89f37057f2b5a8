#pragma once
#include <QString>

#include <span>

// An option box of a form: its code (the end of its object name) and caption.
struct OptionText
{
    const char *code;
    const char *caption;
};

// The options the entry forms name, by dictionary key ("item_123"): the
// pages build their boxes from them and the printed form ticks them under
// the same captions. Empty for a group the forms do not name.
namespace FormOptions {
std::span<const OptionText> of(const QString &group);
}
