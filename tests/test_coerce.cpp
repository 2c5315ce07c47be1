#include "outcome.h"

#include <climits>
#include <functional>

using namespace rt;

namespace {

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

TEST(Coerce, NumbersHaveASignBlanksAFractionAndAnExponentAndNothingElse)
{
    check(ToDouble, {{" -.5e+1\t", "-5"},
                     {"5.", "5"},
                     {"1e-400", "0"},
                     {"1.5e308", "1.5e+308"},
                     {"", TM},
                     {".", TM},
                     {"1e", TM},
                     {"1 2", TM},
                     {"1,5", TM},
                     {"inf", TM},
                     {"1e400", OV}});
    check(IsNumeric, {{"+7", "1"}, {" 2.5E-1 ", "1"}, {"", "0"}, {"e5", "0"}, {"-2e308", "0"}});
    for (int c = 0; c < 256; ++c) // a single non-digit is never a number
        EXPECT_EQ(IsNumeric(Text(1, char(c))), c >= '0' && c <= '9') << c;
    check(Val, {{" 12abc", "12"}, {"-3.5x", "-3.5"}, {"2e+", "2"}, {"", "0"}, {"1.2.3", "1.2"}});
}

TEST(Coerce, WholeNumbersRoundHalfToEvenAndOverflowOutsideTheirType)
{
    const auto toInteger = [](const Text& t) { return ToInteger(t); };
    const auto toLong = [](const Text& t) { return ToLong(t); };
    for (const auto& to :
         {std::function<long(const Text&)>(toInteger), std::function<long(const Text&)>(toLong)})
        check(to, {{"2.5", "2"},
                   {"3.5", "4"},
                   {"-2.5", "-2"},
                   {"2.51", "3"},
                   {"-32768.5", "-32768"},
                   {"A", TM}});
    check(toInteger, {{"32767.4", "32767"}, {"32767.5", OV}, {"-32769", OV}});
    check(toLong, {{"-2147483648.5", "-2147483648"}, {"2147483647.5", OV}, {"4a", TM}});
    check([](const Text& n) { return ToInteger(static_cast<Long>(std::stol(n))); },
          {{"-32768", "-32768"}, {"32768", OV}});
}

TEST(Coerce, CheckedArithmetic)
{
    check(calc<Integer>,
          {{"-1+-32767", "-32768"}, {"-16384*2", "-32768"}, {"32767+1", OV}, {"182*181", OV}});
    check(calc<Long>, {{"-5/2", "-2"},
                       {"-5%2", "-1"},
                       {"5%-2", "1"},
                       {"-2147483648%-1", "0"},
                       {"-2147483648-1", OV},
                       {"65536*32768", OV},
                       {"-2147483648/-1", OV},
                       {"1/0", IA},
                       {"1%0", IA}});
}

TEST(Coerce, DecimalTextAscChrLeftAndRight)
{
    const std::pair<double, const char*> doubles[] = {
        {-0.0, "0"},     {-0.25, "-0.25"},    {0.1 + 0.2, "0.3"},
        {1e20, "1E+20"}, {1.5e-7, "1.5E-07"}, {1.0 / 3, "0.333333333333333"}};
    for (const auto& [v, want] : doubles)
        EXPECT_EQ(Str(v), want);
    EXPECT_EQ(Str(Integer{-32768}) + Str(Long{INT_MIN}), "-32768-2147483648");
    for (int n = 0; n < 256; ++n)
        EXPECT_EQ(Asc(Chr(n) + "Z"), n);
    check([](const Text& n) { return Chr(std::stol(n)); }, {{"-1", IA}, {"256", IA}});
    check([](const Text& t) { return Asc(t); }, {{"", IA}});
    check([](const Text& t) { return Left(t, 2) + "|" + Right(t, 2); },
          {{"abc", "ab|bc"}, {"a", "a|a"}, {"", "|"}});
    check([](const Text& t) { return Left(t, -1); }, {{"a", IA}});
    EXPECT_FALSE(TextEquals("a", "A") || TextEquals("a", Text("a\0b", 3)));
}

} // namespace
