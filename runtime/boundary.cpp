#include "boundary.h"

#include "codepage.h"

namespace rt {
namespace {

std::u16string widen(const Text& text, char32_t (*map)(unsigned char) noexcept)
{
    std::u16string out(text.size(), u'\0');
    for (std::size_t i = 0; i < text.size(); ++i)
        out[i] = static_cast<char16_t>(map(static_cast<unsigned char>(text[i])));
    return out;
}

bool isHighSurrogate(char16_t u) { return u >= 0xD800 && u <= 0xDBFF; }
bool isLowSurrogate(char16_t u) { return u >= 0xDC00 && u <= 0xDFFF; }

} // namespace

std::u16string toDisplay(const Text& text) { return widen(text, codepage::displayForm); }

std::u16string toUtf16(const Text& text) { return widen(text, codepage::toUnicode); }

Integer keyCode(char32_t ch) { return codepage::fromUnicode(ch).value_or('?'); }

Text fromUtf16(std::u16string_view text)
{
    Text out;
    out.reserve(text.size());
    for (std::size_t i = 0; i < text.size(); ++i) {
        char32_t ch = text[i];
        if (isHighSurrogate(text[i]) && i + 1 < text.size() && isLowSurrogate(text[i + 1])) {
            ch = 0x10000 + ((ch - 0xD800) << 10) + (text[i + 1] - 0xDC00);
            ++i;
        }
        out.push_back(static_cast<char>(keyCode(ch)));
    }
    return out;
}

bool isCommand(KeyModifiers modifiers)
{
    return (modifiers.control || modifiers.meta) && !modifiers.alt;
}

bool typesCharacter(KeyModifiers modifiers, char32_t ch)
{
    return !isCommand(modifiers) || ch < 0x20;
}

} // namespace rt
