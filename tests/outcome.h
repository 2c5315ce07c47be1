// Table helpers. Value rows compare a routine's result as text, error rows the
// kind of error it raised; a field is written as its text with the selection
// in brackets: "ab[cd]", or "ab[]cd" for a bare caret.
#pragma once

#include "forms.h"

#include <gtest/gtest.h>

#include <initializer_list>
#include <sstream>
#include <string>
#include <utility>

inline constexpr auto TM = rt::ErrorKind::TypeMismatch;
inline constexpr auto OV = rt::ErrorKind::Overflow;
inline constexpr auto IA = rt::ErrorKind::InvalidArgument;

using Row = std::pair<rt::Text, std::string>;        // input, result as text
using ErrorRow = std::pair<rt::Text, rt::ErrorKind>; // input, error raised

inline std::string raised(rt::ErrorKind kind)
{
    return std::string("raised ") + rt::describe(kind);
}

// The result as text, or what was raised.
template <class F> std::string outcome(F f, const rt::Text& input)
{
    try {
        std::ostringstream out;
        out << f(input);
        return out.str();
    } catch (const rt::Error& e) {
        return raised(e.kind());
    }
}

template <class F, class Rows = std::initializer_list<Row>> void checkValues(F f, const Rows& rows)
{
    for (const auto& [input, want] : rows)
        EXPECT_EQ(outcome(f, input), want) << '"' << input.substr(0, 20) << '"';
}

template <class F, class Rows = std::initializer_list<ErrorRow>>
void checkErrors(F f, const Rows& rows)
{
    for (const auto& [input, kind] : rows)
        EXPECT_EQ(outcome(f, input), raised(kind)) << '"' << input.substr(0, 20) << '"';
}

inline std::string shown(const rt::TextBox& t)
{
    const auto start = static_cast<std::size_t>(t.selStart());
    return t.text().substr(0, start) + "[" + t.selText() + "]" +
           t.text().substr(start + t.selText().size());
}

inline void load(rt::TextBox& t, const std::string& s)
{
    const auto open = s.find('['), close = s.find(']');
    t.setText(s.substr(0, open) + s.substr(open + 1, close - open - 1) + s.substr(close + 1));
    t.select(static_cast<rt::Long>(open), static_cast<rt::Long>(close - open - 1));
}
