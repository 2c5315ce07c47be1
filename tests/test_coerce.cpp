#include "coerce.h"

#include <gtest/gtest.h>

#include <climits>
#include <cmath>
#include <optional>

using namespace rt;

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
    } catch (const Error& e) {
        return e.kind();
    }
    return std::nullopt;
}

struct Num
{
    const char* text;
    double want;
};
struct Bad
{
    const char* text;
    ErrorKind kind;
};
constexpr auto TM = ErrorKind::TypeMismatch, OV = ErrorKind::Overflow,
               IA = ErrorKind::InvalidArgument;

TEST(ToDouble, NumberSyntax)
{
    const Num rows[] = {{"41", 41},    {"12.5", 12.5},      {"5.", 5},       {".5", 0.5},
                        {"+7", 7},     {"-3.25", -3.25},    {" \t 8 \t", 8}, {"007", 7},
                        {"1e3", 1000}, {"2.5E-1", 0.25},    {"1e+2", 100},   {"-.5e1", -5},
                        {"1e-400", 0}, {"1.5e308", 1.5e308}};
    for (const auto& r : rows)
        EXPECT_EQ(ToDouble(r.text), r.want) << r.text;
}

TEST(ToDouble, Rejects)
{
    const Bad rows[] = {{"", TM},      {" ", TM},     {".", TM},   {"+", TM},   {"e5", TM},
                        {"1e", TM},    {"1e+", TM},   {"1 2", TM}, {"1,5", TM}, {"0x10", TM},
                        {"1.2.3", TM}, {"--1", TM},   {"inf", TM}, {"nan", TM}, {"4a", TM},
                        {"1e400", OV}, {"-2e308", OV}};
    for (const auto& r : rows)
        EXPECT_EQ(failure([&] { ToDouble(r.text); }), r.kind) << r.text;
    for (int c = 0; c < 256; ++c) // a single non-digit is never a number
        EXPECT_EQ(IsNumeric(Text(1, char(c))), c >= '0' && c <= '9') << c;
}

TEST(ToWhole, RoundsHalfToEvenWithinBounds)
{
    const Num rows[] = {{"2.5", 2},          {"3.5", 4},         {"0.5", 0},
                        {"-2.5", -2},        {"-0.5", 0},        {"2.51", 3},
                        {"32767", 32767},    {"-32768", -32768}, {"32767.4", 32767},
                        {"-32768.5", -32768}};
    for (const auto& r : rows) {
        EXPECT_EQ(ToInteger(r.text), r.want) << r.text;
        EXPECT_EQ(ToLong(r.text), r.want) << r.text;
    }
    EXPECT_EQ(ToLong("2147483647"), INT_MAX);
    EXPECT_EQ(ToLong("-2147483648.5"), INT_MIN);
    EXPECT_EQ(ToLong("41"), 41);
    EXPECT_EQ(ToInteger(Long{-32768}), -32768);
}

TEST(ToWhole, Errors)
{
    const Bad integer[] = {{"32768", OV}, {"-32769", OV}, {"32767.5", OV}, {"A", TM}, {"", TM}};
    for (const auto& r : integer)
        EXPECT_EQ(failure([&] { ToInteger(r.text); }), r.kind) << r.text;
    const Bad longs[] = {{"2147483648", OV}, {"-2147483649", OV}, {"2147483647.5", OV}, {"4a", TM}};
    for (const auto& r : longs)
        EXPECT_EQ(failure([&] { ToLong(r.text); }), r.kind) << r.text;
    EXPECT_EQ(failure([] { ToInteger(Long{32768}); }), OV);
    EXPECT_EQ(failure([] { ToLong(1e10); }), OV);
}

TEST(Val, LeadingNumberOrZero)
{
    const Num rows[] = {{"7", 7},  {" 12abc", 12}, {"-3.5x", -3.5}, {"1e3z", 1000},
                        {"1e", 1}, {"2e+", 2},     {"abc", 0},      {"", 0},
                        {".", 0},  {"1.2.3", 1.2}, {"+.5", 0.5},    {"1,5", 1},
                        {"1 2", 1}};
    for (const auto& r : rows)
        EXPECT_EQ(Val(r.text), r.want) << r.text;
    EXPECT_TRUE(std::isinf(Val("1e400")));
}

TEST(IsNumeric, MatchesToDouble)
{
    for (const char* t : {"7", "0", " 1.5 ", "-1e3", "5."})
        EXPECT_TRUE(IsNumeric(t)) << t;
    for (const char* t : {"a", ".", "", "1e400", "1 2", "-", "1e"})
        EXPECT_FALSE(IsNumeric(t)) << t;
}

TEST(Str, DecimalText)
{
    const std::pair<double, const char*> rows[] = {{15, "15"},
                                                   {-5, "-5"},
                                                   {0, "0"},
                                                   {-0.0, "0"},
                                                   {12.5, "12.5"},
                                                   {17.3 - 16, "1.3"},
                                                   {0.1 + 0.2, "0.3"},
                                                   {1.0 / 3, "0.333333333333333"},
                                                   {-0.25, "-0.25"},
                                                   {2147483647.0, "2147483647"},
                                                   {123456789012345.0, "123456789012345"},
                                                   {1e20, "1E+20"},
                                                   {1.5e-7, "1.5E-07"}};
    for (const auto& [v, want] : rows)
        EXPECT_EQ(Str(v), want) << want;
    EXPECT_EQ(Str(Integer{-32768}), "-32768");
    EXPECT_EQ(Str(Long{INT_MIN}), "-2147483648");
}

TEST(TextOps, AscChrLeftRightCompare)
{
    EXPECT_EQ(Asc("AB"), 65);
    EXPECT_EQ(Asc("\xff"), 255);
    EXPECT_EQ(Asc(Text(1, '\0')), 0);
    EXPECT_EQ(Chr(0), Text(1, '\0'));
    for (int n = 0; n < 256; ++n)
        EXPECT_EQ(Asc(Chr(n)), n);
    EXPECT_EQ(Left("abc", 2) + Right("abc", 2), "abbc");
    EXPECT_EQ(Left("abc", 0) + Right("abc", 0) + Left("", 5), "");
    EXPECT_EQ(Left("abc", 99) + Right("abc", 3), "abcabc");
    EXPECT_TRUE(TextEquals("a", "a"));
    EXPECT_FALSE(TextEquals("a", "A") || TextEquals("a", Text("a\0b", 3)));
    EXPECT_EQ(failure([] { Asc(""); }), IA);
    EXPECT_EQ(failure([] { Chr(256); }), IA);
    EXPECT_EQ(failure([] { Chr(-1); }), IA);
    EXPECT_EQ(failure([] { Left("a", -1); }), IA);
    EXPECT_EQ(failure([] { Right("a", -1); }), IA);
}

using I = Integer;
using L = Long;

TEST(Arithmetic, Results)
{
    const std::pair<long long (*)(), long long> rows[] = {
        {[] { return (long long)Add(I{32766}, I{1}); }, 32767},
        {[] { return (long long)Sub(I{-32767}, I{1}); }, -32768},
        {[] { return (long long)Mul(I{-16384}, I{2}); }, -32768},
        {[] { return (long long)Mul(L{-65536}, L{32768}); }, INT_MIN},
        {[] { return (long long)Sub(L{-1}, L{INT_MAX}); }, INT_MIN},
        {[] { return (long long)IntDiv(-5, 2); }, -2},
        {[] { return (long long)Mod(-5, 2); }, -1},
        {[] { return (long long)IntDiv(5, -2); }, -2},
        {[] { return (long long)Mod(5, -2); }, 1},
        {[] { return (long long)Mod(INT_MIN, -1); }, 0}};
    for (std::size_t i = 0; i < std::size(rows); ++i)
        EXPECT_EQ(rows[i].first(), rows[i].second) << "row " << i;
}

TEST(Arithmetic, Errors)
{
    const std::pair<void (*)(), ErrorKind> rows[] = {{[] { Add(I{32767}, I{1}); }, OV},
                                                     {[] { Sub(I{-32768}, I{1}); }, OV},
                                                     {[] { Mul(I{182}, I{181}); }, OV},
                                                     {[] { Add(L{INT_MAX}, L{1}); }, OV},
                                                     {[] { Sub(L{INT_MIN}, L{1}); }, OV},
                                                     {[] { Mul(L{65536}, L{32768}); }, OV},
                                                     {[] { IntDiv(INT_MIN, -1); }, OV},
                                                     {[] { IntDiv(1, 0); }, IA},
                                                     {[] { Mod(1, 0); }, IA}};
    for (std::size_t i = 0; i < std::size(rows); ++i)
        EXPECT_EQ(failure(rows[i].first), rows[i].second) << "row " << i;
}

} // namespace
