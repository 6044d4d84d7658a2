#include "dib/surface/cDIB.h"
#include "dib/surface/DIBData.h"
#include "dib/stream/cDIBCompressor.h"
#include "dib/stream/cDIBStandardCompressors.h"
#include "dib/stream/LzhCodec.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <random>

using testing::ElementsAre;
using testing::ElementsAreArray;
using testing::StrEq;
using testing::ThrowsMessage;

namespace {

std::vector<uint8_t> Bytes(std::initializer_list<int> values)
{
    std::vector<uint8_t> bytes;
    for (int v : values)
        bytes.push_back(static_cast<uint8_t>(v));
    return bytes;
}

// A surface whose pixels are a smooth pattern, so that both compressors pay off.
std::unique_ptr<TMemoryDIB> PatternSurface(int width, int height)
{
    auto dib = std::make_unique<TMemoryDIB>(width, height);
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x)
            dib->SetPixel(x, y, 0xFF000000u | uint32_t(y / 4) << 16 | uint32_t(x / 8) << 8 | 0x40);
    return dib;
}

std::unique_ptr<TMemoryDIB> NoiseSurface(int width, int height, uint32_t seed)
{
    auto dib = std::make_unique<TMemoryDIB>(width, height);
    std::mt19937 random(seed);
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x)
            dib->SetPixel(x, y, random());
    return dib;
}

std::vector<uint32_t> PixelsOf(const TAbstractSuperDIB& dib)
{
    return { dib.Bits(), dib.Bits() + size_t(dib.Width()) * dib.Height() };
}

std::vector<uint8_t> Written(const TAbstractSuperDIB& dib)
{
    TDIBMemoryStream stream;
    WriteDIBData(dib, stream);
    return stream.Bytes();
}

void Read(TAbstractSuperDIB& dib, const std::vector<uint8_t>& bytes)
{
    TDIBMemoryStream stream(bytes);
    ReadDIBData(dib, stream);
}

// Sets a current compressor for one test and restores "none" afterwards.
class CurrentCompressor {
public:
    explicit CurrentCompressor(TAbstractDIBCompressor* compressor) { SetCurrentDIBCompressor(compressor); }
    ~CurrentCompressor() { SetCurrentDIBCompressor(nullptr); }
};

TAbstractDIBCompressor* Standard(const TGUID& id)
{
    for (TAbstractDIBCompressor* compressor : DIBCompressors())
        if (compressor->HandlesID(id))
            return compressor;
    return nullptr;
}

TEST(DIBRawStream, EightByteStreamIsOnePixel)
{
    TMemoryDIB dib(3, 3);
    Read(dib, Bytes({ 0x01, 0x00, 0x01, 0x00, 0xBC, 0x95, 0x87, 0x03 }));
    ASSERT_EQ(dib.Width(), 1);
    ASSERT_EQ(dib.Height(), 1);
    EXPECT_EQ(dib.Pixels(0, 0), 0x038795BCu);
}

TEST(DIBRawStream, WrittenWithoutCompressorAndReadBackIdentically)
{
    auto dib = NoiseSurface(166, 3, 5);
    const std::vector<uint8_t> raw = Written(*dib);
    ASSERT_EQ(raw.size(), 4u + 166 * 3 * 4);
    EXPECT_THAT(std::vector<uint8_t>(raw.begin(), raw.begin() + 4), ElementsAre(0xA6, 0x00, 0x03, 0x00));
    // Memory order: the bottom row first.
    uint32_t first;
    std::memcpy(&first, raw.data() + 4, 4);
    EXPECT_EQ(first, dib->Pixels(0, 2));

    TMemoryDIB copy;
    int changes = 0;
    copy.OnChange = [&](TAbstractSuperDIB*) { ++changes; };
    Read(copy, raw);
    EXPECT_EQ(PixelsOf(copy), PixelsOf(*dib));
    EXPECT_EQ(changes, 1);
    EXPECT_EQ(Written(copy), raw);
}

TEST(DIBRawStream, ShortStreamBeginningWithTheSignatureIsRaw)
{
    // Below 26 bytes "DIBCMP" is a width and a height, and here a truncated raw stream.
    TMemoryDIB dib(2, 2);
    std::vector<uint8_t> bytes = { 'D', 'I', 'B', 'C', 'M', 'P' };
    bytes.resize(25, 0);
    EXPECT_THAT([&] { Read(dib, bytes); }, ThrowsMessage<EDIBStreamError>(StrEq("Stream read error")));
}

TEST(DIBRawStream, BadStreamsLeaveTheSurfaceAsItWas)
{
    const std::vector<std::vector<uint8_t>> bad = {
        {},
        Bytes({ 0x01 }),
        Bytes({ 0x02, 0x00, 0x01, 0x00, 1, 2, 3, 4, 5, 6, 7 }), // one byte short
        Bytes({ 0xFF, 0xFF, 0xFF, 0xFF, 1, 2, 3, 4 }),          // 65535 x 65535 behind 4 bytes
        Bytes({ 0x00, 0x00, 0x05, 0x00 }),                      // no pixels at all
    };
    for (const auto& bytes : bad) {
        auto dib = PatternSurface(3, 2);
        const std::vector<uint32_t> before = PixelsOf(*dib);
        EXPECT_THROW(Read(*dib, bytes), EDIBStreamError) << bytes.size() << " bytes";
        EXPECT_EQ(dib->Width(), 3);
        EXPECT_EQ(dib->Height(), 2);
        EXPECT_EQ(PixelsOf(*dib), before);
    }
}

TEST(DIBRawStream, ReadsOnlyItsOwnBytes)
{
    std::vector<uint8_t> bytes = Bytes({ 0x01, 0x00, 0x01, 0x00, 1, 2, 3, 4, 0xEE, 0xEE });
    TDIBMemoryStream stream(bytes);
    TMemoryDIB dib;
    ReadDIBData(dib, stream);
    EXPECT_EQ(stream.Position(), 8u);
}

TEST(DIBEnvelope, CurrentCompressorWritesAnEnvelopeThatReadsBack)
{
    struct Case {
        TGUID id;
        std::vector<uint8_t> idBytes;
    };
    const Case cases[] = {
        { TRLEDIBCompressor::ID,
            Bytes({ 0x56, 0x90, 0xBA, 0xCA, 0x49, 0x73, 0xA4, 0x43, 0xB0, 0x10, 0x37, 0x64, 0xFB, 0xFA, 0xC2, 0x30 }) },
        { TLZHDIBCompressor::ID,
            Bytes({ 0xFC, 0x10, 0x0C, 0xBC, 0x45, 0xE0, 0xE7, 0x41, 0xA3, 0x7C, 0xB8, 0x6A, 0xF2, 0x13, 0x20, 0xB8 }) },
    };
    auto dib = PatternSurface(40, 30);
    const uint32_t rawLength = 4 + 40 * 30 * 4;
    for (const Case& c : cases) {
        CurrentCompressor current(Standard(c.id));
        const std::vector<uint8_t> envelope = Written(*dib);
        ASSERT_GT(envelope.size(), 26u);
        ASSERT_LT(envelope.size(), rawLength);
        EXPECT_EQ(std::string(envelope.begin(), envelope.begin() + 6), "DIBCMP");
        EXPECT_EQ(std::vector<uint8_t>(envelope.begin() + 6, envelope.begin() + 22), c.idBytes);
        EXPECT_THAT(std::vector<uint8_t>(envelope.begin() + 22, envelope.begin() + 26),
            ElementsAre(rawLength & 0xFF, rawLength >> 8, 0, 0));

        SetCurrentDIBCompressor(nullptr); // reading never needs a current compressor
        TMemoryDIB copy(1, 1);
        Read(copy, envelope);
        EXPECT_EQ(copy.Width(), 40);
        EXPECT_EQ(PixelsOf(copy), PixelsOf(*dib));
    }
}

TEST(DIBEnvelope, LzhPayloadIsTheCodecOutputWithItsLengthHeader)
{
    auto dib = PatternSurface(16, 16);
    CurrentCompressor current(Standard(TLZHDIBCompressor::ID));
    const std::vector<uint8_t> envelope = Written(*dib);
    const std::vector<uint8_t> payload(envelope.begin() + 26, envelope.end());
    EXPECT_EQ(payload, lzh::Encode(BuildRawDIBStream(*dib)));
}

TEST(DIBEnvelope, FailingCompressorLeavesTheStreamRaw)
{
    auto noise = NoiseSurface(20, 20, 9);
    const std::vector<uint8_t> raw = BuildRawDIBStream(*noise);
    for (const TGUID& id : { TRLEDIBCompressor::ID, TLZHDIBCompressor::ID }) {
        CurrentCompressor current(Standard(id));
        EXPECT_EQ(Written(*noise), raw);
    }
}

class FakeCompressor : public TAbstractDIBCompressor {
public:
    explicit FakeCompressor(const TGUID& id, bool throws = false)
        : m_id(id)
        , m_throws(throws)
    {
    }
    void GetID(TGUID& id) const override { id = m_id; }
    bool HandlesID(const TGUID& id) const override { return id == m_id; }
    uint32_t Compress(const TAbstractSuperDIB*, const uint8_t*, uint32_t sourceSize, uint8_t* dest) override
    {
        if (m_throws)
            throw std::runtime_error("cannot compress");
        std::memset(dest, 0, sourceSize);
        return 1;
    }
    // Unpacks to a 1 x 1 surface whose pixel is the payload's first byte.
    void Decompress(const TAbstractSuperDIB*, const uint8_t* source, uint32_t, uint8_t* dest, uint32_t destSize) override
    {
        ++decompressions;
        std::memset(dest, 0, destSize);
        dest[0] = 1;
        dest[2] = 1;
        dest[4] = source[0];
    }
    std::string GetDisplayName() const override { return "fake"; }
    int decompressions = 0;

private:
    TGUID m_id;
    bool m_throws;
};

TEST(DIBCompressorRegistry, StandardCompressorsInRegistrationOrder)
{
    std::vector<std::string> names;
    for (TAbstractDIBCompressor* compressor : DIBCompressors())
        names.push_back(compressor->GetDisplayName());
    ASSERT_GE(names.size(), 2u);
    EXPECT_EQ(names[0], "Shuffle4 RLE");
    EXPECT_EQ(names[1], "DIB LZH");
    EXPECT_EQ(CurrentDIBCompressor(), nullptr);
}

TEST(DIBCompressorRegistry, LastRegisteredHandlerWins)
{
    auto owned = std::make_unique<FakeCompressor>(TRLEDIBCompressor::ID);
    FakeCompressor* fake = owned.get();
    RegisterDIBCompressor(std::move(owned));
    EXPECT_EQ(FindDIBCompressor(TRLEDIBCompressor::ID), fake);

    std::vector<uint8_t> envelope = { 'D', 'I', 'B', 'C', 'M', 'P' };
    envelope.resize(26);
    std::ranges::copy(TRLEDIBCompressor::ID.ToBytes(), envelope.begin() + 6);
    envelope[22] = 8;
    envelope.push_back(0x77);
    envelope.push_back(0x00);
    TMemoryDIB dib(4, 4);
    Read(dib, envelope);
    EXPECT_EQ(fake->decompressions, 1);
    EXPECT_EQ(dib.Pixels(0, 0), 0x77u);

    SetCurrentDIBCompressor(fake);
    EXPECT_EQ(UnregisterDIBCompressor(fake).get(), fake);
    EXPECT_EQ(CurrentDIBCompressor(), nullptr);
    EXPECT_NE(FindDIBCompressor(TRLEDIBCompressor::ID), nullptr);
    EXPECT_NE(FindDIBCompressor(TRLEDIBCompressor::ID)->GetDisplayName(), "fake");
}

TEST(DIBCompressorRegistry, ThrowingCompressorLeavesTheStreamRaw)
{
    const TGUID id { 1, 2, 3, { 4, 5, 6, 7, 8, 9, 10, 11 } };
    auto owned = std::make_unique<FakeCompressor>(id, true);
    FakeCompressor* fake = owned.get();
    RegisterDIBCompressor(std::move(owned));
    auto dib = PatternSurface(2, 2);
    {
        CurrentCompressor current(fake);
        EXPECT_EQ(Written(*dib), BuildRawDIBStream(*dib));
    }
    UnregisterDIBCompressor(fake);
}

std::vector<uint8_t> Envelope(const TGUID& id, uint32_t rawLength, const std::vector<uint8_t>& payload)
{
    std::vector<uint8_t> bytes = { 'D', 'I', 'B', 'C', 'M', 'P' };
    bytes.resize(26);
    std::ranges::copy(id.ToBytes(), bytes.begin() + 6);
    for (int i = 0; i < 4; ++i)
        bytes[22 + i] = static_cast<uint8_t>(rawLength >> (8 * i));
    bytes.insert(bytes.end(), payload.begin(), payload.end());
    return bytes;
}

TEST(DIBEnvelope, UnknownIdentifierKeepsTheSurface)
{
    auto dib = PatternSurface(3, 3);
    const std::vector<uint32_t> before = PixelsOf(*dib);
    const TGUID unknown { 0x12345678, 1, 2, { 3, 4, 5, 6, 7, 8, 9, 10 } };
    EXPECT_THAT([&] { Read(*dib, Envelope(unknown, 8, Bytes({ 1, 2, 3 }))); },
        ThrowsMessage<EDIBCompressError>(StrEq("Could not find a suitable decompressor.")));
    EXPECT_EQ(dib->Width(), 3);
    EXPECT_EQ(PixelsOf(*dib), before);
}

TEST(DIBEnvelope, InconsistentEnvelopesRaiseAndKeepTheSurface)
{
    std::vector<uint8_t> lzhOfTwoPixels = lzh::Encode(std::vector<uint8_t>(4 + 2 * 4 * 50, 0x20));
    const std::vector<std::vector<uint8_t>> bad = {
        Envelope(TRLEDIBCompressor::ID, 0xFFFFFFFF, Bytes({ 255, 1 })), // far more than the pairs hold
        Envelope(TLZHDIBCompressor::ID, 0xFFFFFFF0, Bytes({ 0xF0, 0xFF, 0xFF, 0xFF, 1 })),
        Envelope(TRLEDIBCompressor::ID, 2, Bytes({ 2, 1 })),        // shorter than a raw header
        Envelope(TRLEDIBCompressor::ID, 12, Bytes({ 255, 1 })),     // pairs overrun the length
        Envelope(TRLEDIBCompressor::ID, 12, Bytes({ 2, 1, 2, 0 })), // pairs fall short
        Envelope(TLZHDIBCompressor::ID, 16, lzhOfTwoPixels),        // codec header disagrees
        Envelope(TLZHDIBCompressor::ID, 16, Bytes({ 16, 0 })),      // no codec header
    };
    for (const auto& bytes : bad) {
        auto dib = PatternSurface(3, 3);
        const std::vector<uint32_t> before = PixelsOf(*dib);
        EXPECT_ANY_THROW(Read(*dib, bytes));
        EXPECT_EQ(dib->Width(), 3);
        EXPECT_EQ(PixelsOf(*dib), before);
    }
    auto dib = PatternSurface(3, 3);
    EXPECT_THROW(Read(*dib, bad[0]), EDIBCompressError);
    EXPECT_THROW(Read(*dib, bad[3]), EDIBCompressError);
    EXPECT_THROW(Read(*dib, bad[5]), ElzhException);
}

TEST(Shuffle4Rle, RunLengthPairs)
{
    uint8_t out[16] {};
    const std::vector<uint8_t> distinct = { 1, 2, 3, 4, 5, 6, 7, 8 };
    EXPECT_EQ(shuffle4::RunLengthEncode(distinct, distinct.size() / 2, out), 0u);

    const std::vector<uint8_t> equal(510, 0x5A);
    ASSERT_EQ(shuffle4::RunLengthEncode(equal, equal.size() / 2, out), 4u);
    EXPECT_THAT(std::vector<uint8_t>(out, out + 4), ElementsAre(255, 0x5A, 255, 0x5A));

    const std::vector<uint8_t> mixed = { 7, 7, 7, 1, 2, 2 };
    ASSERT_EQ(shuffle4::RunLengthEncode(mixed, 3, out), 6u);
    EXPECT_THAT(std::vector<uint8_t>(out, out + 6), ElementsAre(3, 7, 1, 1, 2, 2));
}

TEST(Shuffle4Rle, CompressesPlanesAndRestoresTheBytes)
{
    TRLEDIBCompressor rle;
    // Two pixels: the planes are 1 1 | 2 2 | 3 9 | 4 4.
    const std::vector<uint8_t> source = { 1, 2, 3, 4, 1, 2, 9, 4 };
    uint8_t dest[8] {};
    EXPECT_EQ(rle.Compress(nullptr, source.data(), 8, dest), 0u); // five pairs needed, four allowed

    std::vector<uint8_t> planar = { 1, 2, 3, 4, 1, 2, 3, 4, 1, 2, 3, 4, 1, 2, 3, 4 };
    uint8_t packed[16] {};
    ASSERT_EQ(rle.Compress(nullptr, planar.data(), 16, packed), 8u);
    EXPECT_THAT(std::vector<uint8_t>(packed, packed + 8), ElementsAre(4, 1, 4, 2, 4, 3, 4, 4));
    std::vector<uint8_t> restored(16);
    rle.Decompress(nullptr, packed, 8, restored.data(), 16);
    EXPECT_EQ(restored, planar);
}

TEST(Shuffle4Rle, OddPairCountAndZeroCounts)
{
    TRLEDIBCompressor rle;
    // A trailing half pair is ignored and a zero count writes nothing.
    const std::vector<uint8_t> packed = { 0, 9, 2, 1, 2, 2, 2, 3, 2, 4, 7 };
    std::vector<uint8_t> out(8);
    rle.Decompress(nullptr, packed.data(), static_cast<uint32_t>(packed.size()), out.data(), 8);
    EXPECT_THAT(out, ElementsAre(1, 2, 3, 4, 1, 2, 3, 4));
}

TEST(DIBEnvelope, StandardCompressorsRoundTripTheCorpusPicture)
{
    // A picture the size of the menu's stored 166 x 350 images.
    auto dib = PatternSurface(166, 350);
    for (const TGUID& id : { TRLEDIBCompressor::ID, TLZHDIBCompressor::ID }) {
        CurrentCompressor current(Standard(id));
        const std::vector<uint8_t> envelope = Written(*dib);
        ASSERT_EQ(std::string(envelope.begin(), envelope.begin() + 6), "DIBCMP");
        TMemoryDIB copy;
        Read(copy, envelope);
        EXPECT_EQ(PixelsOf(copy), PixelsOf(*dib));
    }
}

}
