#pragma once

// Whether a reader accepted its input, for ASSERT_TRUE: a refusal fails with the problem's
// message.
//
//     ASSERT_TRUE(Accepted(ReadLayout(*form, text, "t.lay")));

#include <gtest/gtest.h>

namespace torva::test {

template <class Result>
::testing::AssertionResult Accepted(const Result& result)
{
    if (result)
        return ::testing::AssertionSuccess();
    return ::testing::AssertionFailure() << result.Error().Message();
}

}
