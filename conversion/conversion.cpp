#include "conversion.h"

#include "policy.h"

#include <limits>

namespace conv {

using rt::Integer;
using rt::Long;
using rt::Text;

namespace {

constexpr const char* kHexLetters[] = {"a", "b", "c", "d", "e", "f"};

// Len as a Long; a text beyond the Long range cannot be counted.
Long Len(const Text& text)
{
    if (text.size() > static_cast<std::size_t>(std::numeric_limits<Long>::max()))
        throw rt::Error(rt::ErrorKind::Overflow);
    return static_cast<Long>(text.size());
}

// Value of a single hex digit character: numeric text reads as itself, the
// rest goes through the letter table (which rejects anything else).
Integer digitValue(const Text& digit)
{
    if (rt::IsNumeric(digit))
        return rt::ToInteger(rt::Val(digit));
    return HexLetterToDigit(digit);
}

} // namespace

Text PadBinary(Text text)
{
    Integer count = rt::ToInteger(rt::Sub(Long{8}, Len(text)));
    if (count > 0)
        text.insert(0, static_cast<std::size_t>(count), '0');
    return text;
}

Text DenToBin(const Text& denary)
{
    Text digits;
    Text work = denary;
    while (rt::ToDouble(work) != 0) {
        Integer bit = rt::ToInteger(rt::Mod(rt::ToLong(work), 2));
        work = rt::Str(rt::IntDiv(rt::ToLong(work), 2));
        digits = rt::Str(bit) + digits;
    }
    return PadBinary(digits);
}

Text BinToDen(const Text& binary)
{
    // The position counter is an Integer: past 32,767 characters it could not
    // advance, so only the rightmost 32,767 characters are read.
    constexpr Long maxPositions = std::numeric_limits<Integer>::max();
    const Text text = binary.size() > static_cast<std::size_t>(maxPositions)
                          ? rt::Right(binary, maxPositions)
                          : binary;
    const Long length = static_cast<Long>(text.size());

    Integer total = 0;
    Integer weight = 1;
    Integer position = 0;
    while (rt::resumeTest([&] { return position < length; })) {
        rt::resumeNext([&] { position = rt::Add(position, Integer{1}); });
        rt::resumeNext([&] {
            if (position > 1)
                weight = rt::Mul(weight, Integer{2});
        });
        Text digit = text.substr(text.size() - static_cast<std::size_t>(position), 1);
        rt::resumeNext([&] { total = rt::ToInteger(rt::ToDouble(digit) * weight + total); });
    }
    return rt::Str(total);
}

Text DenToHex(const Text& denary)
{
    Text high = rt::Str(rt::IntDiv(rt::ToLong(denary), 16));
    if (rt::ToDouble(high) > 9)
        high = DigitToHexLetter(high);
    // The low part keeps any fraction: it starts from the Double, not the Long.
    Long base = rt::Mul(rt::IntDiv(rt::ToLong(denary), 16), 16);
    Text low = rt::Str(rt::ToDouble(denary) - static_cast<rt::Double>(base));
    if (rt::ToDouble(low) > 9)
        low = DigitToHexLetter(low);
    return high + low;
}

Text HexToDen(const Text& hex)
{
    Integer low = 0;
    Integer high = 0;
    Integer total = 0;
    low = digitValue(rt::Right(hex, 1));
    if (Len(hex) == 2)
        high = digitValue(rt::Left(hex, 1));
    total = rt::Add(rt::Mul(high, Integer{16}), low);
    return rt::Str(total);
}

Text DenToAscii(Integer code)
{
    Text result;
    rt::resumeNext([&] { result = rt::Chr(code); });
    return result;
}

Integer AsciiToDen(const Text& text) { return rt::Asc(text); }

Text DigitToHexLetter(const Text& text)
{
    static constexpr const char* numbers[] = {"10", "11", "12", "13", "14", "15"};
    for (int i = 0; i < 6; ++i)
        if (rt::TextEquals(text, numbers[i]))
            return kHexLetters[i];
    return text;
}

Integer HexLetterToDigit(const Text& text)
{
    for (int i = 0; i < 6; ++i)
        if (rt::TextEquals(text, kHexLetters[i]))
            return static_cast<Integer>(10 + i);
    return rt::ToInteger(text);
}

} // namespace conv
