#include "conversion.h"

#include <gtest/gtest.h>

#include <bitset>
#include <chrono>
#include <cstdio>
#include <optional>

using namespace conv;
using rt::ErrorKind;
using rt::Text;

namespace rt {
void PrintTo(ErrorKind k, std::ostream* os)
{
    *os << describe(k);
}
} // namespace rt

namespace {

template <class F> std::optional<ErrorKind> failure(F f)
{
    try {
        f();
    } catch (const rt::Error& e) {
        return e.kind();
    }
    return std::nullopt;
}

struct Row
{
    Text in, out;
};
struct Bad
{
    Text in;
    ErrorKind kind;
};
constexpr auto TM = ErrorKind::TypeMismatch, OV = ErrorKind::Overflow;

template <class F> void check(F f, std::initializer_list<Row> rows)
{
    for (const auto& r : rows)
        EXPECT_EQ(f(r.in), r.out) << '"' << r.in << '"';
}

template <class F> void checkFails(F f, std::initializer_list<Bad> rows)
{
    for (const auto& r : rows)
        EXPECT_EQ(failure([&] { f(r.in); }), r.kind) << '"' << r.in.substr(0, 20) << '"';
}

TEST(PadBinary, PadsNeverCuts)
{
    check(PadBinary, {{"", "00000000"},
                      {"1", "00000001"},
                      {"abc", "00000abc"},
                      {"11111111", "11111111"},
                      {"100000000", "100000000"},
                      {Text(32776, '1'), Text(32776, '1')}});
    checkFails(PadBinary, {{Text(32777, '1'), OV}, {Text(100000, '1'), OV}});
}

TEST(DenToBin, Digits)
{
    check(DenToBin, {{"0", "00000000"},
                     {"1", "00000001"},
                     {"128", "10000000"},
                     {"256", "100000000"},
                     {"2.5", "00000010"},
                     {"3.5", "00000100"},
                     {"0.4", "00000000"},
                     {"-5", "000-10-1"},
                     {" 1e1 ", "00001010"}});
    checkFails(DenToBin, {{"", TM}, {"abc", TM}, {"3000000000", OV}, {"1e400", OV}});
}

TEST(BinToDen, WeightsAndSkippedSteps)
{
    const Text ones16(16, '1');
    check(BinToDen, {{"", "0"},
                     {"00000000", "0"},
                     {"101", "5"},
                     {"100000000", "256"},
                     {"00000012", "4"},
                     {"00000090", "18"},
                     {"1x1", "5"},
                     {"1 -1", "9"},
                     {ones16, "32767"},
                     {ones16 + "1", "32767"},
                     {"1000000000000000", "16384"},
                     {"10000000000000000", "16384"}, // the 17th position weighs 16384 too
                     {"9000000000000", "0"},         // 9 x 4096 overflows: skipped
                     {"19000000000000", "8192"}});
}

TEST(BinToDen, ReadsOnlyTheRightmost32767Characters)
{
    const auto leadingOne = [](std::size_t n) {
        Text t(n, '0');
        t[0] = '1';
        return t;
    };
    EXPECT_EQ(BinToDen(leadingOne(32767)), "16384");
    EXPECT_EQ(BinToDen(leadingOne(32768)), "0");
    const auto start = std::chrono::steady_clock::now();
    EXPECT_EQ(BinToDen(leadingOne(100000)), "0");
    EXPECT_EQ(BinToDen(Text(100000, '1')), "32767");
    EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(2));
}

TEST(DenToHex, Digits)
{
    check(DenToHex, {{"0", "00"},
                     {"9", "09"},
                     {"10", "0a"},
                     {"15", "0f"},
                     {"16", "10"},
                     {"127", "7f"},
                     {"255", "ff"},
                     {"256", "160"},
                     {"300", "18c"},
                     {"12.5", "012.5"},
                     {"2.5", "02.5"},
                     {"-5", "0-5"}});
    checkFails(DenToHex, {{"", TM}, {"x", TM}, {"3000000000", OV}});
}

TEST(HexToDen, Digits)
{
    check(HexToDen, {{"41", "65"},
                     {"ff", "255"},
                     {"0f", "15"},
                     {"10", "16"},
                     {"a0", "160"},
                     {"f", "15"},
                     {"7", "7"},
                     {"1ff", "15"},
                     {"100", "0"},
                     {"zzf", "15"}});
    checkFails(HexToDen, {{"FF", TM}, {"0F", TM}, {"", TM}, {"g", TM}, {"z1", TM}, {" ", TM}});
}

TEST(DigitToHexLetter, ExactMatchesOnly)
{
    check(DigitToHexLetter, {{"10", "a"},
                             {"11", "b"},
                             {"12", "c"},
                             {"13", "d"},
                             {"14", "e"},
                             {"15", "f"},
                             {"9", "9"},
                             {"16", "16"},
                             {"010", "010"},
                             {" 10", " 10"},
                             {"10.0", "10.0"}});
}

TEST(HexLetterToDigit, LettersThenNumbers)
{
    const std::pair<Text, int> rows[] = {{"a", 10}, {"b", 11}, {"e", 14},       {"f", 15},
                                         {"7", 7},  {"0", 0},  {"32767", 32767}};
    for (const auto& [in, want] : rows)
        EXPECT_EQ(HexLetterToDigit(in), want) << in;
    checkFails(HexLetterToDigit, {{"A", TM}, {"g", TM}, {"", TM}, {"ab", TM}, {"32768", OV}});
}

TEST(Character, CodesAndText)
{
    EXPECT_EQ(DenToAscii(65) + DenToAscii(97) + DenToAscii(32), "Aa ");
    EXPECT_EQ(DenToAscii(0), Text(1, '\0'));
    EXPECT_EQ(DenToAscii(255), "\xff");
    EXPECT_EQ(DenToAscii(256) + DenToAscii(-1) + DenToAscii(-32768), "");
    EXPECT_EQ(AsciiToDen("A"), 65);
    EXPECT_EQ(AsciiToDen("AB"), 65);
    EXPECT_EQ(AsciiToDen("0"), 48);
    EXPECT_EQ(AsciiToDen("\x80"), 128);
    EXPECT_EQ(failure([] { AsciiToDen(""); }), ErrorKind::InvalidArgument);
}

TEST(RoundTrip, AllByteValues)
{
    for (int n = 0; n < 256; ++n) {
        const Text t = std::to_string(n);
        char hex[3];
        std::snprintf(hex, sizeof hex, "%02x", n);
        EXPECT_EQ(DenToBin(t), std::bitset<8>(n).to_string()) << n;
        EXPECT_EQ(DenToHex(t), hex) << n;
        EXPECT_EQ(BinToDen(DenToBin(t)), t);
        EXPECT_EQ(HexToDen(DenToHex(t)), t);
    }
    for (rt::Integer n = 0; n < 128; ++n)
        EXPECT_EQ(AsciiToDen(DenToAscii(n)), n);
}

} // namespace
