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

namespace {

// An error its callers tell apart by kind, as a disc image's is.
class KindError : public platform::Exception {
public:
    KindError(int kind, const std::string& message)
        : Exception(message)
        , m_kind(kind)
    {
    }
    int Kind() const { return m_kind; }

private:
    int m_kind;
};

}

// A reader whose refusals are errors of the exception family hands them back whole; a caller
// that takes the value of a refused input anyway gets that very error, kind and all.
TEST(Result, AnErrorOfTheExceptionFamilyIsHandedBackAndThrownWhole)
{
    const struct {
        int kind;
        const char* message;
    } rows[] = {
        { 1, "TORVA.ISO: does not exist" },
        { 4, "disc.cue: its first track is no data track" },
    };
    for (const auto& row : rows) {
        Result<std::string, KindError> refused = KindError(row.kind, row.message);
        Result<void, KindError> verdict = KindError(row.kind, row.message);
        ASSERT_FALSE(refused);
        ASSERT_FALSE(verdict);
        EXPECT_EQ(refused.Error().Kind(), row.kind);
        EXPECT_EQ(verdict.Error().Kind(), row.kind);
        try {
            (void)refused.Value();
            ADD_FAILURE() << "a refused input gave a value";
        } catch (const KindError& thrown) {
            EXPECT_EQ(thrown.Kind(), row.kind);
            EXPECT_STREQ(thrown.what(), row.message);
        }
    }
    Result<std::string, KindError> read = std::string("TORVA.ISO");
    ASSERT_TRUE(read);
    EXPECT_EQ(*read, "TORVA.ISO");
    EXPECT_THROW((void)read.Error(), platform::Exception);
}
