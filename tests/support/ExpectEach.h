#pragma once

// Table-driven checks of a function of one text: every input must give its expected value, and
// a failure names the input.
//
//     ExpectEach(shell::GetParentDir, { { "C:\\Games\\X", "C:\\Games" }, { "C:\\", "C:" } });
//     ExpectEach<List>(shell::SplitList, { { "a,b", { "a", "b" } } });

#include <gtest/gtest.h>

#include <initializer_list>
#include <utility>

namespace torva::test {

template <class Expected = const char*, class Function>
void ExpectEach(Function&& function, std::initializer_list<std::pair<const char*, Expected>> cases)
{
    for (const auto& [input, expected] : cases)
        EXPECT_EQ(function(input), expected) << input;
}

}
