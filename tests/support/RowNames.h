#pragma once

// Rows of a parameterised table are named by their number. The default name of a struct row
// prints its bytes, pointers and padding included, so a row's CTest name changed from run to run.

#include <gtest/gtest.h>

#include <cctype>
#include <string>
#include <string_view>

struct RowNumber {
    template <class T>
    std::string operator()(const ::testing::TestParamInfo<T>& info) const
    {
        return "Row" + std::to_string(info.index);
    }
};

// Rows named after their `what` text as one identifier: "dragged out and back" becomes
// "DraggedOutAndBack". The texts of a table must differ in their letters and digits.
struct RowWhat {
    template <class T>
    std::string operator()(const ::testing::TestParamInfo<T>& info) const
    {
        std::string name;
        bool wordStart = true;
        for (char c : std::string_view(info.param.what)) {
            const bool alnum = std::isalnum(static_cast<unsigned char>(c));
            if (alnum)
                name += wordStart ? static_cast<char>(std::toupper(static_cast<unsigned char>(c))) : c;
            wordStart = !alnum;
        }
        return name;
    }
};
