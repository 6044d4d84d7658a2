#include "platform/types/Result.h"

#include "tests/support/MessageOf.h"

#include <gtest/gtest.h>

using platform::Problem;
using platform::Result;

// A refused input is reported as "file: reason", or the reason alone for unnamed input, both
// when the caller shows it and when a caller wrongly takes the value anyway.
TEST(Result, ARefusalSaysWhichFileAndWhatWasExpected)
{
    const struct {
        Problem problem;
        const char* message;
    } rows[] = {
        { { "D:\\TORVA\\torvaxp.ini", "holds no [section] line" }, "D:\\TORVA\\torvaxp.ini: holds no [section] line" },
        { { "", "bitmap: no \"BM\" signature" }, "bitmap: no \"BM\" signature" },
        { { "Hra.lnk", "" }, "Hra.lnk: " },
    };
    for (const auto& row : rows) {
        Result<int> refused = row.problem;
        EXPECT_FALSE(refused);
        EXPECT_EQ(refused.Error().Message(), row.message);
        EXPECT_EQ(torva::test::MessageOf<platform::Exception>([&] { (void)refused.Value(); }), row.message);
    }
    Result<int> read = 7;
    ASSERT_TRUE(read);
    EXPECT_EQ(*read, 7);
    EXPECT_THROW((void)read.Error(), platform::Exception);
}
