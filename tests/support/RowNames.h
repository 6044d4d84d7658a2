#pragma once

// Rows of a parameterised table are named by their number. The default name of a struct row
// prints its bytes, pointers and padding included, so a row's CTest name changed from run to run.

#include <gtest/gtest.h>

#include <string>

struct RowNumber {
    template <class T>
    std::string operator()(const ::testing::TestParamInfo<T>& info) const
    {
        return "Row" + std::to_string(info.index);
    }
};
