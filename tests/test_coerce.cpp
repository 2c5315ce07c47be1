#include "outcome.h"

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

TEST(Coerce, ToDoubleAndIsNumericReadSignBlanksFractionAndExponentAndNothingElse)
{
    const std::initializer_list<std::pair<Text, std::string>> rows = {
        {"+7", "7"},      {"-3.25", "-3.25"}, {"5.", "5"},
        {".5", "0.5"},    {" \t 8 \t", "8"},  {"2.5E-1", "0.25"},
        {"-.5e+1", "-5"}, {"1e-400", "0"},    {"1.5e308", "1.5e+308"},
        {"", TM},         {".", TM},          {"e5", TM},
        {"1e", TM},       {"1 2", TM},        {"1,5", TM},
        {"inf", TM},      {"1e400", OV},      {"-2e308", OV}};
    check(ToDouble, rows);
    for (const auto& [text, want] : rows)
        EXPECT_EQ(IsNumeric(text), want != TM && want != OV) << text;
    for (int c = 0; c < 256; ++c) // a single non-digit is never a number
        EXPECT_EQ(IsNumeric(Text(1, char(c))), c >= '0' && c <= '9') << c;
}

TEST(Coerce, ValReadsTheLeadingNumberAndNeverFails)
{
    check(Val, {{" 12abc", "12"},
                {"-3.5x", "-3.5"},
                {"1e3z", "1000"},
                {"2e+", "2"},
                {"", "0"},
                {"1.2.3", "1.2"},
                {"+.5", "0.5"},
                {"1e400", "inf"}});
}

TEST(Coerce, WholeNumbersRoundHalfToEvenAndOverflowOutsideTheirType)
{
    const std::initializer_list<std::pair<Text, std::string>> both = {
        {"2.5", "2"},         {"3.5", "4"},           {"-2.5", "-2"}, {"2.51", "3"},
        {"32767.4", "32767"}, {"-32768.5", "-32768"}, {"A", TM}};
    check(toInteger, both);
    check(toLong, both);
    check(toInteger, {{"32768", OV}, {"-32769", OV}, {"32767.5", OV}});
    check(toLong, {{"2147483647", "2147483647"},
                   {"-2147483648.5", "-2147483648"},
                   {"2147483648", OV},
                   {"-2147483649", OV},
                   {"4a", TM}});
    check([](const Text& n) { return ToInteger(static_cast<Long>(std::stol(n))); },
          {{"32767", "32767"}, {"32768", OV}, {"-32769", OV}});
}

TEST(Coerce, CheckedArithmetic)
{
    check(calc<Integer>, {{"32766+1", "32767"},
                          {"-1+-32767", "-32768"},
                          {"181*181", "32761"},
                          {"-16384*2", "-32768"},
                          {"32767+1", OV},
                          {"182*181", OV}});
    check(calc<Long>, {{"-65536*32768", "-2147483648"},
                       {"-5/2", "-2"},
                       {"5/-2", "-2"},
                       {"-5%2", "-1"},
                       {"5%-2", "1"},
                       {"-2147483648%-1", "0"},
                       {"-2147483648-1", OV},
                       {"65536*32768", OV},
                       {"-2147483648/-1", OV},
                       {"1/0", IA},
                       {"1%0", IA}});
}

TEST(Coerce, DecimalTextOfNumbers)
{
    const std::pair<double, const char*> doubles[] = {{-5, "-5"},
                                                      {-0.0, "0"},
                                                      {-0.25, "-0.25"},
                                                      {0.1 + 0.2, "0.3"},
                                                      {1e20, "1E+20"},
                                                      {1.5e-7, "1.5E-07"},
                                                      {1.0 / 3, "0.333333333333333"},
                                                      {123456789012345.0, "123456789012345"}};
    for (const auto& [v, want] : doubles)
        EXPECT_EQ(Str(v), want);
    EXPECT_EQ(Str(Integer{-32768}), "-32768");
    EXPECT_EQ(Str(Long{INT_MIN}), "-2147483648");
}

TEST(Coerce, AscChrLeftRightAndComparison)
{
    for (int n = 0; n < 256; ++n)
        EXPECT_EQ(Asc(Chr(n) + "Z"), n);
    check([](const Text& t) { return Asc(t); }, {{"", IA}});
    check([](const Text& n) { return Chr(std::stol(n)); }, {{"-1", IA}, {"256", IA}});
    // text, count, Left, Right
    const std::tuple<Text, Long, Text, Text> rows[] = {
        {"abc", 0, "", ""}, {"abc", 2, "ab", "bc"}, {"abc", 99, "abc", "abc"}, {"", 1, "", ""}};
    for (const auto& [text, n, left, right] : rows)
        EXPECT_EQ(Left(text, n) + "|" + Right(text, n), left + "|" + right) << text << n;
    check([](const Text& t) { return Left(t, -1) + Right(t, -1); }, {{"a", IA}});
    EXPECT_FALSE(TextEquals("a", "A"));
    EXPECT_FALSE(TextEquals("a", Text("a\0b", 3)));
}

} // namespace
