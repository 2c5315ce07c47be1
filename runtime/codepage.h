// windows-1252, the code page that field text is held in. Unicode exists only
// at the toolkit boundary; these are the two directions across it.
#pragma once

#include <optional>

namespace rt::codepage {

// The five unassigned positions map to the C1 code points of the same value.
char32_t toUnicode(unsigned char byte) noexcept;

// std::nullopt when the code page has no such character.
std::optional<unsigned char> fromUnicode(char32_t ch) noexcept;

// What a field shows for a byte: characters without a visible form (0-31,
// 127) appear as their control pictures; the text itself is unchanged.
char32_t displayForm(unsigned char byte) noexcept;

} // namespace rt::codepage
