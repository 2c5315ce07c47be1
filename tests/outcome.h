// Table rows for routines that either return a value or raise an rt::Error:
// both outcomes are compared as text, an error as "!" and its description.
#pragma once

#include "coerce.h"

#include <gtest/gtest.h>

#include <initializer_list>
#include <sstream>
#include <string>
#include <utility>

inline const std::string TM = "!type mismatch", OV = "!overflow", IA = "!invalid argument";

template <class F> std::string outcome(F f)
try {
    std::ostringstream out;
    out << f();
    return out.str();
} catch (const rt::Error& e) {
    return "!" + std::string(rt::describe(e.kind()));
}

using Row = std::pair<rt::Text, std::string>; // input, wanted outcome

template <class F, class Rows = std::initializer_list<Row>> void check(F f, const Rows& rows)
{
    for (const Row& r : rows)
        EXPECT_EQ(outcome([&] { return f(r.first); }), r.second)
            << '"' << r.first.substr(0, 20) << '"';
}
