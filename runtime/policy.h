// The three error policies a procedure can have, as small wrappers, so that a
// handler reads step by step. They catch rt::Error only: ending the program
// (rt::EndRequest) always passes through.
#pragma once

#include "coerce.h"

#include <utility>

namespace rt {

// resume-next: a failing step is abandoned and the procedure goes on.
template <class Step> void resumeNext(Step&& step)
{
    try {
        std::forward<Step>(step)();
    } catch (const Error&) {
    }
}

// resume-next for a test: one whose evaluation fails counts as passed.
template <class Test> bool resumeTest(Test&& test)
{
    try {
        return std::forward<Test>(test)();
    } catch (const Error&) {
        return true;
    }
}

// go-to-handler: a failure abandons the remaining steps and runs the error block.
template <class Body, class OnError> void goToHandler(Body&& body, OnError&& onError)
{
    try {
        std::forward<Body>(body)();
    } catch (const Error& e) {
        std::forward<OnError>(onError)(e);
    }
}

// go-to-handler with an empty error block.
template <class Body> void goToHandler(Body&& body)
{
    goToHandler(std::forward<Body>(body), [](const Error&) {});
}

} // namespace rt
