#include "outcome.h"

#include <gtest/gtest.h>

#include <climits>

using namespace rt;

namespace {

const auto toLong = [](const Text& t) { return ToLong(t); };
const auto toInteger = [](const Text& t) { return ToInteger(t); };

// "a op b" in type T: + - * and / (truncating) or % (remainder).
template <class T> long long calc(const Text& t)
{
    T a = 0, b = 0;
    char op = 0;
    std::istringstream(t) >> a >> op >> b;
    return op == '+'   ? Add(a, b)
           : op == '-' ? Sub(a, b)
           : op == '*' ? Mul(a, b)
           : op == '/' ? IntDiv(a, b)
                       : Mod(a, b);
}

TEST(Coerce, NumberSyntax)
{
    const Row number[] = {{"+7", "7"},      {"-3.25", "-3.25"}, {"5.", "5"},
                          {".5", "0.5"},    {" \t 8 \t", "8"},  {"2.5E-1", "0.25"},
                          {"-.5e+1", "-5"}, {"1e-400", "0"},    {"1.5e308", "1.5e+308"},
                          {"", TM},         {".", TM},          {"e5", TM},
                          {"1e", TM},       {"1 2", TM},        {"1,5", TM},
                          {"inf", TM},      {"1e400", OV},      {"-2e308", OV}};
    check(ToDouble, number);
    for (const Row& r : number) // numeric exactly when it converts
        EXPECT_EQ(IsNumeric(r.first), r.second[0] != '!') << r.first;
    for (int c = 0; c < 256; ++c) // a single non-digit is never a number
        EXPECT_EQ(IsNumeric(Text(1, char(c))), c >= '0' && c <= '9') << c;
    const Row val[] = {{" 12abc", "12"}, {"-3.5x", "-3.5"}, {"1e3z", "1000"},
                       {"2e+", "2"},     {"", "0"},         {".", "0"},
                       {"1.2.3", "1.2"}, {"+.5", "0.5"},    {"1e400", "inf"}};
    check(Val, val); // never fails
}

TEST(Coerce, WholeNumbers)
{
    const Row both[] = {{"2.5", "2"},  {"3.5", "4"},         {"-2.5", "-2"},
                        {"2.51", "3"}, {"32767.4", "32767"}, {"-32768.5", "-32768"}};
    const Row integer[] = {{"32768", OV}, {"-32769", OV}, {"32767.5", OV}, {"A", TM}};
    const Row longs[] = {{"2147483647", "2147483647"}, {"-2147483648.5", "-2147483648"},
                         {"2147483648", OV},           {"-2147483649", OV},
                         {"2147483647.5", OV},         {"4a", TM}};
    check(toInteger, both);
    check(toLong, both);
    check(toInteger, integer);
    check(toLong, longs);
    EXPECT_EQ(outcome([] { return ToInteger(Long{32768}); }), OV);
    const Row intOps[] = {{"32766+1", "32767"}, {"32767+1", OV}, {"-1+-32767", "-32768"},
                          {"181*181", "32761"}, {"182*181", OV}, {"-16384*2", "-32768"}};
    const Row bounds[] = {{"2147483647-0", "2147483647"}, {"-65536*32768", "-2147483648"}};
    const Row longOps[] = {
        {"-2147483648-1", OV},   {"65536*32768", OV}, {"-5/2", "-2"}, {"5/-2", "-2"},
        {"-2147483648/-1", OV},  {"1/0", IA},         {"-5%2", "-1"}, {"5%-2", "1"},
        {"-2147483648%-1", "0"}, {"1%0", IA}};
    check(calc<Integer>, intOps);
    check(calc<Long>, bounds);
    check(calc<Long>, longOps);
}

TEST(Coerce, Text)
{
    const std::pair<double, const char*> rows[] = {{-5, "-5"},       {-0.0, "0"},
                                                   {-0.25, "-0.25"}, {0.1 + 0.2, "0.3"},
                                                   {1e20, "1E+20"},  {1.5e-7, "1.5E-07"}};
    for (const auto& [v, want] : rows)
        EXPECT_EQ(Str(v), want);
    EXPECT_EQ(Str(1.0 / 3) + Str(123456789012345.0), "0.333333333333333123456789012345");
    EXPECT_EQ(Str(Integer{-32768}) + Str(Long{INT_MIN}), "-32768-2147483648");
    for (int n = 0; n < 256; ++n)
        EXPECT_EQ(Asc(Chr(n) + "Z"), n); // the first byte counts
    EXPECT_EQ(Left("abc", 0) + Left("abc", 2) + Right("abc", 2) + Right("abc", 0), "abbc");
    EXPECT_EQ(Left("abc", 99) + Right("abc", 3), "abcabc");
    EXPECT_TRUE(TextEquals("a", "a") && !TextEquals("a", "A") && !TextEquals("a", Text("a\0b", 3)));
    EXPECT_EQ(outcome([] { return Asc(""); }), IA);
    check([](const Text& n) { return Chr(ToLong(n)); }, {{"-1", IA}, {"256", IA}});
    EXPECT_EQ(outcome([] { return Left("a", -1); }), IA);
    EXPECT_EQ(outcome([] { return Right("a", -1); }), IA);
}

} // namespace
