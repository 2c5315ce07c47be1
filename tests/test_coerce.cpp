#include "outcome.h"

#include <gtest/gtest.h>

#include <climits>
#include <cmath>

using namespace rt;

namespace {

const auto toDouble = [](const Text& t) { return ToDouble(t); };
const auto toLong = [](const Text& t) { return ToLong(t); };
const auto toInteger = [](const Text& t) { return ToInteger(t); };

TEST(ToDouble, NumberSyntax)
{
    const Row ok[] = {{"41", "41"},           {"12.5", "12.5"}, {"5.", "5"},
                      {".5", "0.5"},          {"+7", "7"},      {"-3.25", "-3.25"},
                      {" \t 8 \t", "8"},      {"007", "7"},     {"1e3", "1000"},
                      {"2.5E-1", "0.25"},     {"-.5e+1", "-5"}, {"1e-400", "0"},
                      {"1.5e308", "1.5e+308"}};
    const Row bad[] = {{"", TM},    {" ", TM},   {".", TM},     {"+", TM},     {"e5", TM},
                       {"1e", TM},  {"1 2", TM}, {"1,5", TM},   {"0x10", TM},  {"1.2.3", TM},
                       {"inf", TM}, {"4a", TM},  {"1e400", OV}, {"-2e308", OV}};
    check(toDouble, ok);
    check(toDouble, bad);
    for (int c = 0; c < 256; ++c) // a single non-digit is never a number
        EXPECT_EQ(IsNumeric(Text(1, char(c))), c >= '0' && c <= '9') << c;
}

TEST(ToWhole, RoundsHalfToEvenWithinBounds)
{
    const Row both[] = {{"2.5", "2"},         {"3.5", "4"},           {"0.5", "0"},
                        {"-2.5", "-2"},       {"-0.5", "0"},          {"2.51", "3"},
                        {"32767.4", "32767"}, {"-32768.5", "-32768"}, {"41", "41"}};
    const Row integer[] = {{"32767", "32767"}, {"-32768", "-32768"}};
    const Row longs[] = {{"2147483647", "2147483647"}, {"-2147483648.5", "-2147483648"}};
    check(toInteger, both);
    check(toLong, both);
    check(toInteger, integer);
    check(toLong, longs);
}

TEST(ToWhole, Errors)
{
    const Row integer[] = {{"32768", OV}, {"-32769", OV}, {"32767.5", OV}, {"A", TM}, {"", TM}};
    const Row longs[] = {{"2147483648", OV}, {"-2147483649", OV}, {"2147483647.5", OV}, {"4a", TM}};
    check(toInteger, integer);
    check(toLong, longs);
    EXPECT_EQ(outcome([] { return ToInteger(Long{32768}); }), OV);
    EXPECT_EQ(outcome([] { return ToLong(1e10); }), OV);
}

TEST(Val, LeadingNumberOrZero)
{
    const Row rows[] = {{"7", "7"},  {" 12abc", "12"}, {"-3.5x", "-3.5"}, {"1e3z", "1000"},
                        {"1e", "1"}, {"2e+", "2"},     {"abc", "0"},      {"", "0"},
                        {".", "0"},  {"1.2.3", "1.2"}, {"+.5", "0.5"},    {"1 2", "1"}};
    check(Val, rows);
    EXPECT_TRUE(std::isinf(Val("1e400")));
    for (const char* t : {"7", " 1.5 ", "-1e3", "5."})
        EXPECT_TRUE(IsNumeric(t)) << t;
    for (const char* t : {"a", ".", "", "1e400", "1 2", "-", "1e"})
        EXPECT_FALSE(IsNumeric(t)) << t;
}

TEST(Str, DecimalText)
{
    const std::pair<double, const char*> rows[] = {
        {15, "15"},      {-5, "-5"},         {0, "0"},           {-0.0, "0"},
        {12.5, "12.5"},  {-0.25, "-0.25"},   {17.3 - 16, "1.3"}, {0.1 + 0.2, "0.3"},
        {1e20, "1E+20"}, {1.5e-7, "1.5E-07"}};
    for (const auto& [v, want] : rows)
        EXPECT_EQ(Str(v), want);
    EXPECT_EQ(Str(1.0 / 3), "0.333333333333333");
    EXPECT_EQ(Str(123456789012345.0), "123456789012345");
    EXPECT_EQ(Str(Integer{-32768}) + Str(Long{INT_MIN}), "-32768-2147483648");
}

TEST(TextOps, AscChrLeftRightCompare)
{
    EXPECT_EQ(Asc("AB"), 65);
    EXPECT_EQ(Asc("\xff"), 255);
    EXPECT_EQ(Chr(0), Text(1, '\0'));
    for (int n = 0; n < 256; ++n)
        EXPECT_EQ(Asc(Chr(n)), n);
    EXPECT_EQ(Left("abc", 2) + Right("abc", 2), "abbc");
    EXPECT_EQ(Left("abc", 0) + Right("abc", 0) + Left("", 5), "");
    EXPECT_EQ(Left("abc", 99) + Right("abc", 3), "abcabc");
    EXPECT_TRUE(TextEquals("a", "a"));
    EXPECT_FALSE(TextEquals("a", "A") || TextEquals("a", Text("a\0b", 3)));
    EXPECT_EQ(outcome([] { return Asc(""); }), IA);
    EXPECT_EQ(outcome([] { return Chr(256); }), IA);
    EXPECT_EQ(outcome([] { return Chr(-1); }), IA);
    EXPECT_EQ(outcome([] { return Left("a", -1); }), IA);
    EXPECT_EQ(outcome([] { return Right("a", -1); }), IA);
}

// Applies one checked operation in type T: + - * and / (truncating) or % (remainder).
template <class T> std::string calc(char op, long long a, long long b)
{
    return outcome([&]() -> long long {
        const T x = static_cast<T>(a), y = static_cast<T>(b);
        switch (op) {
        case '+':
            return Add(x, y);
        case '-':
            return Sub(x, y);
        case '*':
            return Mul(x, y);
        case '/':
            return IntDiv(x, y);
        default:
            return Mod(x, y);
        }
    });
}
struct Calc {
    char op;
    long long a, b;
    std::string want;
};
template <class T, std::size_t N> void check(const Calc (&rows)[N])
{
    for (const auto& r : rows)
        EXPECT_EQ(calc<T>(r.op, r.a, r.b), r.want) << r.a << r.op << r.b;
}

TEST(Arithmetic, CheckedResults)
{
    const Calc integer[] = {{'+', 32766, 1, "32767"},    {'-', -32767, 1, "-32768"},
                            {'*', -16384, 2, "-32768"},  {'*', 181, 181, "32761"},
                            {'+', -1, -32767, "-32768"}, {'-', 0, -32767, "32767"}};
    const Calc longs[] = {{'/', -5, 2, "-2"}, {'%', -5, 2, "-1"}, {'/', 5, -2, "-2"},
                          {'%', 5, -2, "1"},  {'/', 7, 7, "1"},   {'%', INT_MIN, -1, "0"}};
    const Calc bounds[] = {{'*', -65536, 32768, "-2147483648"}, {'+', INT_MAX, 0, "2147483647"}};
    check<Integer>(integer);
    check<Long>(longs);
    check<Long>(bounds);
}

TEST(Arithmetic, Errors)
{
    const Calc integer[] = {{'+', 32767, 1, OV}, {'-', -32768, 1, OV}, {'*', 182, 181, OV}};
    const Calc longs[] = {{'+', INT_MAX, 1, OV},  {'-', INT_MIN, 1, OV}, {'*', 65536, 32768, OV},
                          {'/', INT_MIN, -1, OV}, {'/', 1, 0, IA},       {'%', 1, 0, IA}};
    check<Integer>(integer);
    check<Long>(longs);
}

} // namespace
