// Table helpers for routines that return a value or raise an rt::Error: value
// rows compare the result as text, error rows the kind of error raised.
#pragma once

#include "coerce.h"

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

inline std::string shortened(const rt::Text& t) { return '"' + t.substr(0, 20) + '"'; }

template <class F, class Rows = std::initializer_list<Row>> void checkValues(F f, const Rows& rows)
{
    for (const auto& [input, want] : rows) {
        try {
            std::ostringstream out;
            out << f(input);
            EXPECT_EQ(out.str(), want) << shortened(input);
        } catch (const rt::Error& e) {
            ADD_FAILURE() << shortened(input) << " raised " << rt::describe(e.kind());
        }
    }
}

template <class F, class Rows = std::initializer_list<ErrorRow>>
void checkErrors(F f, const Rows& rows)
{
    for (const auto& [input, kind] : rows) {
        try {
            std::ostringstream out;
            out << f(input);
            ADD_FAILURE() << shortened(input) << " gave " << out.str() << ", not "
                          << rt::describe(kind);
        } catch (const rt::Error& e) {
            EXPECT_EQ(rt::describe(e.kind()), std::string(rt::describe(kind))) << shortened(input);
        }
    }
}
