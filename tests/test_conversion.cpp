#include "conversion.h"
#include "outcome.h"

using namespace conv;
using rt::Text;

namespace {

const Text kLongest(32776, '1'); // 8 - 32776 is the Integer minimum

TEST(Conversion, Binary)
{
    check(PadBinary, {{"", "00000000"},
                      {"1000000", "01000000"},
                      {"abc", "00000abc"},
                      {"100000000", "100000000"},
                      {kLongest, kLongest},
                      {kLongest + "1", OV}});
    check(DenToBin, {{"256", "100000000"},
                     {"2.5", "00000010"},
                     {"3.5", "00000100"},
                     {"-5", "000-10-1"},
                     {"abc", TM},
                     {"", TM},
                     {"3000000000", OV}});
    // Non-digits keep their position; weights stop at 16384 (16th position);
    // a sum leaving Integer is dropped; only the rightmost 32767 characters count.
    const Text ones(16, '1'), z15(15, '0'), z(32766, '0');
    check(BinToDen, {{"", "0"},
                     {"100000000", "256"},
                     {"00000090", "18"},
                     {"1x1", "5"},
                     {ones, "32767"},
                     {"1" + z15, "16384"},
                     {"10" + z15, "16384"},
                     {"19000000000000", "8192"},
                     {"1" + z, "16384"},
                     {"10" + z, "0"},
                     {"11" + z, "16384"},
                     {"1" + Text(99999, '0'), "0"}});
}

TEST(Conversion, Hex)
{
    check(DenToHex, {{"239", "ef"},
                     {"256", "160"},
                     {"300", "18c"},
                     {"12.5", "012.5"},
                     {"-5", "0-5"},
                     {"x", TM},
                     {"", TM},
                     {"3000000000", OV}});
    check(HexToDen, {{"4a", "74"},
                     {"f", "15"},
                     {"zzf", "15"},
                     {"1ff", "15"},
                     {"100", "0"},
                     {"FF", TM},
                     {"", TM},
                     {"z1", TM},
                     {"0F", TM}});
    check(DigitToHexLetter, {{"10", "a"}, {"15", "f"}, {"9", "9"}, {"16", "16"}, {"010", "010"}});
    check(HexLetterToDigit, {{"a", "10"},
                             {"f", "15"},
                             {"32767", "32767"},
                             {"A", TM},
                             {"ab", TM},
                             {"g", TM},
                             {"32768", OV}});
}

TEST(Conversion, Character)
{
    // code, character; outside 0..255 the empty text
    const std::pair<rt::Integer, Text> rows[] = {
        {65, "A"}, {255, "\xff"}, {0, Text(1, '\0')}, {256, ""}, {-1, ""}};
    for (const auto& [code, text] : rows)
        EXPECT_EQ(DenToAscii(code), text) << code;
    check(AsciiToDen, {{"AB", "65"}, {"\x80", "128"}, {"", IA}});
}

} // namespace
