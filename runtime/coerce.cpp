#include "coerce.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <limits>
#include <system_error>

namespace rt {

Error::Error(ErrorKind kind) : std::runtime_error(describe(kind)), kind_(kind) {}

const char* describe(ErrorKind kind) noexcept
{
    switch (kind) {
    case ErrorKind::TypeMismatch:
        return "type mismatch";
    case ErrorKind::Overflow:
        return "overflow";
    case ErrorKind::InvalidArgument:
        return "invalid argument";
    }
    return "error";
}

namespace {

[[noreturn]] void raise(ErrorKind kind) { throw Error(kind); }

bool isBlank(char c) { return c == ' ' || c == '\t'; }
bool isDigit(char c) { return c >= '0' && c <= '9'; }

std::size_t skipBlanks(std::string_view s, std::size_t i)
{
    while (i < s.size() && isBlank(s[i]))
        ++i;
    return i;
}

// The number-shaped span at the start of a text, leading blanks skipped.
struct Scan {
    std::size_t begin = 0; // first character of the sign or mantissa
    std::size_t end = 0;   // one past the last character of the number
    bool negative = false;
    bool found = false; // at least one mantissa digit
    // Rough decimal exponent of the leading significant digit; only its sign
    // matters, to tell overflow from underflow when the parser gives up.
    long long magnitude = 0;
};

Scan scanNumber(std::string_view s)
{
    Scan r;
    std::size_t i = skipBlanks(s, 0);
    r.begin = i;
    if (i < s.size() && (s[i] == '+' || s[i] == '-')) {
        r.negative = s[i] == '-';
        ++i;
    }
    long long intDigits = 0;    // integer digits after leading zeros
    long long leadingZeros = 0; // fraction zeros before the first significant digit
    bool significant = false;
    bool any = false;
    for (; i < s.size() && isDigit(s[i]); ++i) {
        any = true;
        significant = significant || s[i] != '0';
        if (significant)
            ++intDigits;
    }
    std::size_t mantissaEnd = i;
    if (i < s.size() && s[i] == '.') {
        for (++i; i < s.size() && isDigit(s[i]); ++i) {
            any = true;
            if (!significant && s[i] == '0')
                ++leadingZeros;
            significant = significant || s[i] != '0';
        }
        if (any)
            mantissaEnd = i;
    }
    if (!any)
        return r;
    r.found = true;
    r.end = mantissaEnd;

    long long exponent = 0;
    if (i < s.size() && (s[i] == 'e' || s[i] == 'E')) {
        std::size_t j = i + 1;
        bool expNegative = false;
        if (j < s.size() && (s[j] == '+' || s[j] == '-')) {
            expNegative = s[j] == '-';
            ++j;
        }
        if (j < s.size() && isDigit(s[j])) {
            for (; j < s.size() && isDigit(s[j]); ++j)
                if (exponent < 1'000'000'000)
                    exponent = exponent * 10 + (s[j] - '0');
            if (expNegative)
                exponent = -exponent;
            r.end = j;
        }
    }
    r.magnitude = exponent + (intDigits > 0 ? intDigits : -leadingZeros);
    return r;
}

enum class Parsed { Ok, NotNumber, TooLarge };

// Parses the scanned span. from_chars takes no "+" and no blanks, so the
// sign is handled here; it never consults the locale.
Parsed parseSpan(std::string_view s, const Scan& scan, Double& out)
{
    std::size_t start = scan.begin;
    if (s[start] == '+' || s[start] == '-')
        ++start;
    const char* first = s.data() + start;
    const char* last = s.data() + scan.end;
    double value = 0;
    auto [ptr, ec] = std::from_chars(first, last, value, std::chars_format::general);
    if (ec == std::errc::result_out_of_range) {
        if (scan.magnitude > 0)
            return Parsed::TooLarge;
        value = 0; // underflow is not an error
    } else if (ec != std::errc() || ptr != last) {
        return Parsed::NotNumber;
    }
    out = scan.negative ? -value : value;
    return Parsed::Ok;
}

Parsed parseNumber(std::string_view s, Double& out)
{
    Scan scan = scanNumber(s);
    if (!scan.found || skipBlanks(s, scan.end) != s.size())
        return Parsed::NotNumber;
    return parseSpan(s, scan, out);
}

template <class T> T roundTo(Double value)
{
    // Half to even under the default rounding mode.
    Double r = std::nearbyint(value);
    constexpr Double lo = std::numeric_limits<T>::min();
    constexpr Double hi = std::numeric_limits<T>::max();
    if (!(r >= lo && r <= hi))
        raise(ErrorKind::Overflow);
    return static_cast<T>(r);
}

template <class T> T checked(long long value)
{
    if (value < std::numeric_limits<T>::min() || value > std::numeric_limits<T>::max())
        raise(ErrorKind::Overflow);
    return static_cast<T>(value);
}

} // namespace

Double ToDouble(std::string_view text)
{
    Double value = 0;
    switch (parseNumber(text, value)) {
    case Parsed::Ok:
        return value;
    case Parsed::TooLarge:
        raise(ErrorKind::Overflow);
    case Parsed::NotNumber:
        break;
    }
    raise(ErrorKind::TypeMismatch);
}

Long ToLong(std::string_view text) { return roundTo<Long>(ToDouble(text)); }
Integer ToInteger(std::string_view text) { return roundTo<Integer>(ToDouble(text)); }
Integer ToInteger(Double value) { return roundTo<Integer>(value); }
Integer ToInteger(Long value) { return checked<Integer>(value); }

Double Val(std::string_view text)
{
    Scan scan = scanNumber(text);
    if (!scan.found)
        return 0;
    Double value = 0;
    if (parseSpan(text, scan, value) == Parsed::TooLarge)
        return scan.negative ? -HUGE_VAL : HUGE_VAL;
    return value;
}

bool IsNumeric(std::string_view text)
{
    Double ignored = 0;
    return parseNumber(text, ignored) == Parsed::Ok;
}

Integer Asc(std::string_view text)
{
    if (text.empty())
        raise(ErrorKind::InvalidArgument);
    return static_cast<unsigned char>(text.front());
}

Text Chr(Long code)
{
    if (code < 0 || code > 255)
        raise(ErrorKind::InvalidArgument);
    return Text(1, static_cast<char>(static_cast<unsigned char>(code)));
}

Text Str(Integer value) { return std::to_string(value); }
Text Str(Long value) { return std::to_string(value); }

Text Str(Double value)
{
    if (value == 0)
        return "0"; // never "-0"
    // Shortest of fixed and exponent form at 15 significant digits: whole
    // values below 1e15 come out plain, the exponent reads "1E+20", "1.5E-07".
    char buf[64];
    auto [end, ec] = std::to_chars(buf, buf + sizeof buf, value, std::chars_format::general, 15);
    (void)ec; // 64 bytes always suffice
    Text out(buf, end);
    for (char& c : out)
        if (c == 'e')
            c = 'E';
    return out;
}

Text Left(std::string_view text, Long count)
{
    if (count < 0)
        raise(ErrorKind::InvalidArgument);
    return Text(text.substr(0, static_cast<std::size_t>(count)));
}

Text Right(std::string_view text, Long count)
{
    if (count < 0)
        raise(ErrorKind::InvalidArgument);
    std::size_t n = std::min(text.size(), static_cast<std::size_t>(count));
    return Text(text.substr(text.size() - n));
}

bool TextEquals(std::string_view a, std::string_view b) { return a == b; }

Integer Add(Integer a, Integer b) { return checked<Integer>(a + b); }
Integer Mul(Integer a, Integer b) { return checked<Integer>(a * b); }
Long Sub(Long a, Long b) { return checked<Long>(static_cast<long long>(a) - b); }
Long Mul(Long a, Long b) { return checked<Long>(static_cast<long long>(a) * b); }

Long IntDiv(Long a, Long b)
{
    if (b == 0)
        raise(ErrorKind::InvalidArgument);
    return checked<Long>(static_cast<long long>(a) / b); // C++ already truncates toward zero
}

Long Mod(Long a, Long b)
{
    if (b == 0)
        raise(ErrorKind::InvalidArgument);
    return static_cast<Long>(static_cast<long long>(a) % b); // widened: min % -1 is fine
}

} // namespace rt
