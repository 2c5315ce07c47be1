#include "conversion.h"
#include "outcome.h"

#include <gtest/gtest.h>

#include <bitset>
#include <cstdio>

using namespace conv;
using rt::Text;

namespace {

TEST(Conversion, Binary)
{
    const Text max(32776, '1'); // 8 - 32776 is the Integer minimum
    const Row pad[] = {{"", "00000000"},           {"abc", "00000abc"}, {"11111111", "11111111"},
                       {"100000000", "100000000"}, {max, max},          {max + "1", OV}};
    const Row toBin[] = {{"256", "100000000"}, {"2.5", "00000010"}, {"3.5", "00000100"},
                         {"-5", "000-10-1"},   {"abc", TM},         {"3000000000", OV}};
    // Non-digits keep their position; weights stop at 16384 (16th position);
    // a sum leaving Integer is dropped; only the rightmost 32767 characters count.
    const Text ones(16, '1'), z15(15, '0'), z(32766, '0');
    const Row fromBin[] = {
        {"", "0"},          {"100000000", "256"}, {"00000090", "18"},    {"1x1", "5"},
        {ones, "32767"},    {"1" + z15, "16384"}, {"10" + z15, "16384"}, {"19000000000000", "8192"},
        {"1" + z, "16384"}, {"10" + z, "0"},      {"11" + z, "16384"}};
    check(PadBinary, pad);
    check(DenToBin, toBin);
    check(BinToDen, fromBin);
    EXPECT_EQ(BinToDen("1" + Text(99999, '0')), "0"); // must return at all
}

TEST(Conversion, HexAndCharacter)
{
    const Row toHex[] = {
        {"256", "160"}, {"12.5", "012.5"}, {"-5", "0-5"}, {"x", TM}, {"3000000000", OV}};
    const Row fromHex[] = {{"f", "15"}, {"zzf", "15"}, {"FF", TM}, {"", TM}, {"z1", TM}};
    const Row toLetter[] = {{"10", "a"}, {"15", "f"}, {"9", "9"}, {"16", "16"}, {"010", "010"}};
    const Row toDigit[] = {{"a", "10"}, {"f", "15"}, {"32767", "32767"},
                           {"A", TM},   {"ab", TM},  {"32768", OV}};
    check(DenToHex, toHex);
    check(HexToDen, fromHex);
    check(DigitToHexLetter, toLetter);
    check(HexLetterToDigit, toDigit);
    EXPECT_EQ(DenToAscii(65) + DenToAscii(255) + DenToAscii(256) + DenToAscii(-1), "A\xff");
    check(AsciiToDen, {{"AB", "65"}, {"\x80", "128"}, {"", IA}});
}

TEST(Conversion, RoundTripAllByteValues)
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
