// Table helpers. A routine's row holds its input and its result as text, or
// the error it must raise (TM, OV, IA); a field is written as its text with the
// selection in brackets: "ab[cd]", or "ab[]cd" for a bare caret.
#pragma once

#include "forms.h"

#include <gtest/gtest.h>

#include <initializer_list>
#include <sstream>
#include <string>
#include <utility>

inline const std::string TM = "raised type mismatch", OV = "raised overflow",
                         IA = "raised invalid argument";

template <class F> std::string outcome(F f, const rt::Text& input)
{
    try {
        std::ostringstream out;
        out << f(input);
        return out.str();
    } catch (const rt::Error& e) {
        return std::string("raised ") + rt::describe(e.kind());
    }
}

template <class F> void check(F f, std::initializer_list<std::pair<rt::Text, std::string>> rows)
{
    for (const auto& [input, want] : rows)
        EXPECT_EQ(outcome(f, input), want) << '"' << input.substr(0, 20) << '"';
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
