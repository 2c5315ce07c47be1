#include "conversion.h"
#include "outcome.h"

#include <gtest/gtest.h>

#include <bitset>
#include <cstdio>

using namespace conv;
using rt::Text;

namespace {

TEST(PadBinary, PadsNeverCuts)
{
    const Row ok[] = {{"", "00000000"},           {"1", "00000001"},
                      {"abc", "00000abc"},        {"11111111", "11111111"},
                      {"100000000", "100000000"}, {Text(32776, '1'), Text(32776, '1')}};
    const Row bad[] = {{Text(32777, '1'), OV}, {Text(100000, '1'), OV}};
    check(PadBinary, ok);
    check(PadBinary, bad);
}

TEST(DenToBin, Digits)
{
    const Row ok[] = {{"0", "00000000"},    {"1", "00000001"},   {"128", "10000000"},
                      {"256", "100000000"}, {"2.5", "00000010"}, {"3.5", "00000100"},
                      {"0.4", "00000000"},  {"-5", "000-10-1"}};
    const Row bad[] = {{"", TM}, {"abc", TM}, {"3000000000", OV}, {"1e400", OV}};
    check(DenToBin, ok);
    check(DenToBin, bad);
}

TEST(BinToDen, WeightsAndSkippedSteps)
{
    const Row digits[] = {
        {"", "0"},         {"00000000", "0"},  {"101", "5"},      {"100000000", "256"},
        {"00000012", "4"}, {"00000090", "18"}, {"01000001", "65"}};
    // Non-digits keep their position; from the 16th position on every weight
    // is 16384; a sum that would leave the Integer range is dropped.
    const Row skipped[] = {{"1x1", "5"},
                           {"1 -1", "9"},
                           {Text(16, '1'), "32767"},
                           {Text(17, '1'), "32767"},
                           {"1000000000000000", "16384"},
                           {"10000000000000000", "16384"},
                           {"9000000000000", "0"},
                           {"19000000000000", "8192"}};
    check(BinToDen, digits);
    check(BinToDen, skipped);
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
    // Must return at all: the test's time-out catches a loop that never ends.
    EXPECT_EQ(BinToDen(leadingOne(100000)), "0");
    EXPECT_EQ(BinToDen(Text(100000, '1')), "32767");
}

TEST(DenToHex, Digits)
{
    const Row ok[] = {{"0", "00"},    {"9", "09"},       {"10", "0a"},    {"15", "0f"},
                      {"16", "10"},   {"127", "7f"},     {"255", "ff"},   {"256", "160"},
                      {"300", "18c"}, {"12.5", "012.5"}, {"2.5", "02.5"}, {"-5", "0-5"}};
    const Row bad[] = {{"", TM}, {"x", TM}, {"3000000000", OV}};
    check(DenToHex, ok);
    check(DenToHex, bad);
}

TEST(HexToDen, Digits)
{
    const Row ok[] = {{"41", "65"}, {"ff", "255"}, {"0f", "15"},  {"10", "16"}, {"a0", "160"},
                      {"f", "15"},  {"7", "7"},    {"1ff", "15"}, {"100", "0"}, {"zzf", "15"}};
    const Row bad[] = {{"FF", TM}, {"0F", TM}, {"", TM}, {"g", TM}, {"z1", TM}, {" ", TM}};
    check(HexToDen, ok);
    check(HexToDen, bad);
}

TEST(HexLetters, BothDirections)
{
    const Row toLetter[] = {{"10", "a"},  {"11", "b"},    {"15", "f"},    {"9", "9"},
                            {"16", "16"}, {"010", "010"}, {" 10", " 10"}, {"10.0", "10.0"}};
    const Row toDigit[] = {{"a", "10"}, {"f", "15"}, {"7", "7"}, {"32767", "32767"}};
    const Row bad[] = {{"A", TM}, {"g", TM}, {"", TM}, {"ab", TM}, {"32768", OV}};
    check(DigitToHexLetter, toLetter);
    check(HexLetterToDigit, toDigit);
    check(HexLetterToDigit, bad);
}

TEST(Character, CodesAndText)
{
    EXPECT_EQ(DenToAscii(65) + DenToAscii(97) + DenToAscii(32) + DenToAscii(255), "Aa \xff");
    EXPECT_EQ(DenToAscii(0), Text(1, '\0'));
    EXPECT_EQ(DenToAscii(256) + DenToAscii(-1), "");
    const Row rows[] = {{"A", "65"}, {"AB", "65"}, {"0", "48"}, {"\x80", "128"}};
    check(AsciiToDen, rows);
    EXPECT_EQ(outcome([] { return AsciiToDen(""); }), IA);
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
