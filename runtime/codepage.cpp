#include "codepage.h"

#include <array>

namespace rt::codepage {
namespace {

// 0x80..0x9F; 0 marks an unassigned position.
constexpr std::array<char16_t, 32> kHigh = {
    0x20AC, 0,      0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
    0x2039, 0x0152, 0,      0x017D, 0,      0,      0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
    0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0,      0x017E, 0x0178,
};

} // namespace

char32_t toUnicode(unsigned char byte) noexcept
{
    if (byte >= 0x80 && byte <= 0x9F && kHigh[byte - 0x80] != 0)
        return kHigh[byte - 0x80];
    return byte;
}

std::optional<unsigned char> fromUnicode(char32_t ch) noexcept
{
    if (ch < 0x80 || (ch >= 0xA0 && ch <= 0xFF))
        return static_cast<unsigned char>(ch);
    for (unsigned i = 0; i < kHigh.size(); ++i) {
        const char32_t mapped = kHigh[i] != 0 ? kHigh[i] : 0x80 + i;
        if (mapped == ch)
            return static_cast<unsigned char>(0x80 + i);
    }
    return std::nullopt;
}

char32_t displayForm(unsigned char byte) noexcept
{
    if (byte < 0x20)
        return 0x2400 + byte;
    if (byte == 0x7F)
        return 0x2421;
    return toUnicode(byte);
}

} // namespace rt::codepage
