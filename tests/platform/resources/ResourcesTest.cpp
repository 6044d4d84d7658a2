#include "platform/resources/Resources.h"

#include <gtest/gtest.h>

namespace {

using namespace platform;

TEST(ResourcesTest, EmbeddedFilesByName)
{
    EXPECT_EQ(ResourceText("fixtures/hello.txt"), "hello\n");
    EXPECT_EQ(ResourceText("blob"), std::string("a\0b\xFF", 4));
    auto empty = FindResource("empty");
    ASSERT_TRUE(empty.has_value());
    EXPECT_EQ(empty->size(), 0u);
    EXPECT_FALSE(FindResource("Fixtures/hello.txt")) << "names are case-sensitive";
    EXPECT_FALSE(FindResource("missing"));
    auto names = ResourceNames();
    EXPECT_TRUE(std::is_sorted(names.begin(), names.end()));
    EXPECT_NE(std::find(names.begin(), names.end(), "blob"), names.end());
}

}
