#include "dib/surface/cDIB.h"
#include "dib/format/cDIBFormat.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

using testing::ElementsAre;
using testing::StrEq;
using testing::ThrowsMessage;

namespace {

std::vector<uint8_t> RsbFile(uint32_t version, uint32_t width, uint32_t height, std::initializer_list<uint32_t> counts,
    std::initializer_list<uint16_t> pixels)
{
    std::vector<uint8_t> bytes;
    auto put32 = [&](uint32_t v) {
        for (int i = 0; i < 4; ++i)
            bytes.push_back(static_cast<uint8_t>(v >> (8 * i)));
    };
    put32(version);
    put32(width);
    put32(height);
    for (uint32_t c : counts)
        put32(c);
    for (uint16_t p : pixels) {
        bytes.push_back(static_cast<uint8_t>(p));
        bytes.push_back(static_cast<uint8_t>(p >> 8));
    }
    return bytes;
}

TDIBRSBFormat& Rsb()
{
    static TDIBRSBFormat format;
    return format;
}

void Load(TAbstractSuperDIB& dib, const std::vector<uint8_t>& bytes)
{
    TDIBMemoryStream stream(bytes);
    Rsb().LoadFromStream(dib, stream);
}

std::vector<uint8_t> Save(const TAbstractSuperDIB& dib)
{
    TDIBMemoryStream stream;
    Rsb().SaveToStream(dib, stream);
    return stream.Bytes();
}

TEST(RSBFormat, Reads565TopRowFirstIntoTheTopBitsOfEachByte)
{
    // Top row: pure red, pure green; bottom row: pure blue, white.
    TMemoryDIB dib;
    Load(dib, RsbFile(1, 2, 2, { 5, 6, 5, 0 }, { 0xF800, 0x07E0, 0x001F, 0xFFFF }));
    ASSERT_EQ(dib.Width(), 2);
    ASSERT_EQ(dib.Height(), 2);
    EXPECT_EQ(dib.Pixels(0, 0), 0x00F80000u);
    EXPECT_EQ(dib.Pixels(1, 0), 0x0000FC00u);
    EXPECT_EQ(dib.Pixels(0, 1), 0x000000F8u);
    EXPECT_EQ(dib.Pixels(1, 1), 0x00F8FCF8u);
    EXPECT_FALSE(dib.Masked());
}

TEST(RSBFormat, FourthChannelTurnsMaskOnAndKeepsTheMask)
{
    TMemoryDIB dib;
    Load(dib, RsbFile(1, 3, 1, { 4, 4, 4, 4 }, { 0xF123, 0x0FFF, 0x8000 }));
    EXPECT_TRUE(dib.Masked());
    EXPECT_EQ(dib.Pixels(0, 0), 0xFF102030u);
    EXPECT_EQ(dib.Pixels(1, 0), 0x00F0F0F0u);
    EXPECT_EQ(dib.Pixels(2, 0), 0x88000000u);
}

TEST(RSBFormat, SavesMaskedAs4444AndOthersAs565)
{
    TMemoryDIB dib(2, 1);
    dib.SetPixel(0, 0, 0xFFFF8040u);
    dib.SetPixel(1, 0, 0x12345678u);
    EXPECT_EQ(Save(dib), RsbFile(1, 2, 1, { 5, 6, 5, 0 }, { 0xFC08, 0x32AF }));
    dib.SetMasked(true);
    EXPECT_EQ(Save(dib), RsbFile(1, 2, 1, { 4, 4, 4, 4 }, { 0xFF84, 0x1357 }));
}

TEST(RSBFormat, RoundTripKeepsTheTopBits)
{
    for (bool masked : { false, true }) {
        TMemoryDIB dib(5, 3);
        for (int y = 0; y < 3; ++y)
            for (int x = 0; x < 5; ++x)
                dib.SetPixel(x, y, 0x9F000000u * masked | uint32_t(x * 50) << 16 | uint32_t(y * 90) << 8 | uint32_t(x * y * 17));
        dib.SetMasked(masked);
        TMemoryDIB copy;
        Load(copy, Save(dib));
        EXPECT_EQ(copy.Masked(), masked);
        const uint32_t keep = masked ? 0x00F0F0F0u : 0x00F8FCF8u;
        for (int y = 0; y < 3; ++y)
            for (int x = 0; x < 5; ++x) {
                EXPECT_EQ(copy.Pixels(x, y) & 0x00FFFFFF, dib.Pixels(x, y) & keep) << x << "," << y;
                EXPECT_EQ(copy.Pixels(x, y) >> 24, masked ? 0x99u : 0u);
            }
    }
}

TEST(RSBFormat, OtherVersionRaisesBeforeTheSurfaceIsTouched)
{
    TMemoryDIB dib(4, 4);
    dib.Fill(0x00112233);
    EXPECT_THAT([&] { Load(dib, RsbFile(2, 1, 1, { 5, 6, 5, 0 }, { 0 })); },
        ThrowsMessage<EDIBFormatError>(StrEq("Only RSB version 1 is supported.")));
    EXPECT_EQ(dib.Width(), 4);
    EXPECT_EQ(dib.Pixels(3, 3), 0x00332211u);
}

TEST(RSBFormat, MalformedFilesRaiseAndKeepTheSurface)
{
    std::vector<uint8_t> shortHeader = RsbFile(1, 1, 1, { 5, 6, 5, 0 }, {});
    shortHeader.resize(27);
    const std::vector<std::vector<uint8_t>> bad = {
        {},
        shortHeader,
        RsbFile(1, 2, 2, { 5, 6, 5, 0 }, { 1, 2, 3 }),      // one pixel short
        RsbFile(1, 65535, 65535, { 5, 6, 5, 0 }, { 1, 2 }), // absurd size, tiny file
        RsbFile(1, 0, 3, { 5, 6, 5, 0 }, {}),
        RsbFile(1, 1, 1, { 9, 0, 0, 0 }, { 0 }), // wider than its byte
        RsbFile(1, 1, 1, { 8, 8, 8, 0 }, { 0 }), // more bits than a pixel has
        RsbFile(1, 0x80000000, 2, { 5, 6, 5, 0 }, { 0 }),
    };
    for (const auto& bytes : bad) {
        TMemoryDIB dib(4, 4);
        dib.Fill(0x00112233);
        EXPECT_THROW(Load(dib, bytes), EDIBFormatError) << bytes.size() << " bytes";
        EXPECT_EQ(dib.Width(), 4);
        EXPECT_EQ(dib.Pixels(0, 0), 0x00332211u);
        EXPECT_FALSE(dib.Masked());
    }
}

TEST(RSBFormat, ReportsProgressAfterEachRow)
{
    TDIBRSBFormat format;
    std::vector<int> percents;
    format.OnProgress = [&](TAbstractDIBFormat* sender, int percent) {
        EXPECT_EQ(sender, &format);
        percents.push_back(percent);
    };
    TMemoryDIB dib(1, 3);
    TDIBMemoryStream out;
    format.SaveToStream(dib, out);
    EXPECT_THAT(percents, ElementsAre(33, 66, 100));
    percents.clear();
    out.SetPosition(0);
    format.LoadFromStream(dib, out);
    EXPECT_THAT(percents, ElementsAre(33, 66, 100));
}

TEST(RSBFormat, RegistryAndDescriptions)
{
    TAbstractDIBFormat* format = FindDIBFormatForLoading(".Rsb");
    ASSERT_NE(format, nullptr);
    EXPECT_EQ(format, FindDIBFormatForSaving(".RSB"));
    EXPECT_EQ(FindDIBFormatForLoading(".bmp"), nullptr);
    EXPECT_EQ(FindDIBFormatForLoading("RSB"), nullptr);
    EXPECT_EQ(format->GetDescription(), "Rogue spear bitmap");
    EXPECT_TRUE(format->CanLoad());
    EXPECT_TRUE(format->CanSave());
    std::vector<std::string> filters = { "existing" };
    format->AddLoadFilters(filters);
    format->AddSaveFilters(filters);
    EXPECT_THAT(filters, ElementsAre("existing", "Rogue spear bitmap (*.rsb)|*.rsb", "Rogue spear bitmap (*.rsb)|*.rsb"));
    EXPECT_EQ(format->GetAuthor(), "");
    EXPECT_EQ(DIBFormats().size(), 1u);
}

}
