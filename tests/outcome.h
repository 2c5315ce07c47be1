// Table rows for routines that either return a value or raise an rt::Error:
// both outcomes are compared as text, an error as "!" and its description.
#pragma once

#include "coerce.h"

#include <gtest/gtest.h>

#include <sstream>
#include <string>

inline const std::string TM = "!type mismatch", OV = "!overflow", IA = "!invalid argument";

template <class F> std::string outcome(F f)
{
    try {
        std::ostringstream out;
        out << f();
        return out.str();
    } catch (const rt::Error& e) {
        return std::string("!") + rt::describe(e.kind());
    }
}

struct Row {
    rt::Text in, want;
};

template <class F, std::size_t N> void check(F f, const Row (&rows)[N])
{
    for (const auto& r : rows)
        EXPECT_EQ(outcome([&] { return f(r.in); }), r.want) << '"' << r.in.substr(0, 20) << '"';
}
