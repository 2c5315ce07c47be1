// The nine pure conversion routines between decimal, binary, hexadecimal and
// character text. They touch no field and check no range; the window's
// handlers do that. BinToDen and DenToAscii never throw; the others let the
// coercions' rt::Error reach the caller unchanged.
#pragma once

#include "coerce.h"

namespace conv {

rt::Text PadBinary(rt::Text text);
rt::Text DenToBin(const rt::Text& denary);
rt::Text BinToDen(const rt::Text& binary);
rt::Text DenToHex(const rt::Text& denary);
rt::Text HexToDen(const rt::Text& hex);
rt::Text DenToAscii(rt::Integer code);
rt::Integer AsciiToDen(const rt::Text& text);
rt::Text DigitToHexLetter(const rt::Text& text);
rt::Integer HexLetterToDigit(const rt::Text& text);

} // namespace conv
