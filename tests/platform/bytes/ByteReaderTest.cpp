#include "platform/bytes/ByteReader.h"
#include "platform/bytes/ByteWriter.h"

#include <gtest/gtest.h>

using namespace platform;

namespace {

const std::vector<uint8_t> Bytes = { 0x01, 0x02, 0x03, 0x04, 0x05, 0x06, 0x07, 0x88 };

}

TEST(ByteReader, ReadsLittleEndianFieldsAndRefusesThoseCrossingTheEnd)
{
    const ByteReader in(Bytes, 100);
    EXPECT_EQ(in.U8(7), 0x88u);
    EXPECT_EQ(in.U16(0), 0x0201u);
    EXPECT_EQ(in.U32(4), 0x88070605u);
    EXPECT_EQ(in.I32(4), int32_t(0x88070605u));
    EXPECT_EQ(in.U64(0), 0x8807060504030201u);

    // Each width at the last offset it fits, then one further; offsets beyond any size wrap nothing.
    const struct {
        uint64_t offset;
        int width;
        bool fits;
    } cases[] = { { 7, 1, true }, { 8, 1, false }, { 6, 2, true }, { 7, 2, false }, { 4, 4, true }, { 5, 4, false },
        { 0, 8, true }, { 1, 8, false }, { UINT64_MAX - 1, 4, false } };
    for (const auto& c : cases) {
        auto read = [&] {
            switch (c.width) {
            case 1: return uint64_t(in.U8(c.offset));
            case 2: return uint64_t(in.U16(c.offset));
            case 4: return uint64_t(in.U32(c.offset));
            default: return in.U64(c.offset);
            }
        };
        EXPECT_EQ(in.Holds(c.offset, c.width), c.fits) << c.offset << "+" << c.width;
        if (c.fits)
            EXPECT_NO_THROW(read());
        else
            EXPECT_THROW(read(), ByteRangeError) << c.offset << "+" << c.width;
    }

    // A window reads from its own start and names the whole input's offsets.
    const ByteReader window = in.Sub(2, 4, "window");
    EXPECT_EQ(window.U16(2), 0x0605u);
    try {
        window.U32(2, "size field");
        FAIL() << "read past the window";
    } catch (const ByteRangeError& e) {
        EXPECT_EQ(e.Field(), "size field");
        EXPECT_EQ(e.Offset(), 104u);
    }
    EXPECT_THROW(in.Sub(6, 3), ByteRangeError);
}

TEST(ByteWriter, WritesWhatTheReaderReadsAndNothingPastItsEnd)
{
    ByteWriter out(4);
    out.Put16(0, 0x0201);
    out.Put16(2, 0x0403);
    out.Append32(0x88070605u);
    out.Append64(0x1122334455667788u);
    out.Put8(15, 0xEE);
    EXPECT_EQ(ByteReader(out.Bytes()).U64(0), 0x8807060504030201u);
    EXPECT_EQ(ByteReader(out.Bytes()).U64(8), 0xEE22334455667788u);
    EXPECT_THROW(out.Put32(13, 0), ByteRangeError);
    EXPECT_THROW(out.PutBytes(15, Bytes), ByteRangeError);
    EXPECT_EQ(out.Size(), 16u);
}
