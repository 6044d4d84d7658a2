#include "dib/stream/LzhCodec.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <random>
#include <string>

namespace {

std::vector<uint8_t> ReadCorpusFile(const std::string& name)
{
    const std::filesystem::path path = std::filesystem::path(TORVA_TEST_DATA_DIR) / "lzh" / name;
    std::ifstream in(path, std::ios::binary);
    EXPECT_TRUE(in) << "missing test input " << path;
    return { std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>() };
}

std::vector<uint8_t> RandomBytes(size_t size, uint32_t seed, int alphabet = 256)
{
    std::mt19937 random(seed);
    std::uniform_int_distribution<int> byte(0, alphabet - 1);
    std::vector<uint8_t> bytes(size);
    for (auto& b : bytes)
        b = static_cast<uint8_t>(byte(random));
    return bytes;
}

std::vector<uint8_t> Bytes(const std::string& text) { return { text.begin(), text.end() }; }

class LzhCorpus : public testing::TestWithParam<const char*> {};

TEST_P(LzhCorpus, DecoderRestoresTheInput)
{
    const std::string name = GetParam();
    EXPECT_EQ(lzh::Decode(ReadCorpusFile(name + ".lzh")), ReadCorpusFile(name + ".in"));
}

TEST_P(LzhCorpus, EncoderReproducesTheClassicCodeByteForByte)
{
    const std::string name = GetParam();
    const std::vector<uint8_t> expected = ReadCorpusFile(name + ".lzh");
    const std::vector<uint8_t> actual = lzh::Encode(ReadCorpusFile(name + ".in"));
    ASSERT_EQ(actual.size(), expected.size());
    EXPECT_TRUE(actual == expected);
}

INSTANTIATE_TEST_SUITE_P(Vectors, LzhCorpus, testing::Values("empty", "spaces100", "gradient166x350", "text_repeats"),
    [](const auto& row) { return std::string(row.param); });

TEST(LzhCodec, SizeGuardRefusesCodeLongerThanTheInput)
{
    // The classic code of "A" is two bytes: longer than the input, so the encoder refuses it,
    // though the decoder still reads what the classic encoder wrote.
    EXPECT_THAT([] { lzh::Encode(ReadCorpusFile("one_byte.in")); },
        testing::ThrowsMessage<ElzhException>(testing::StrEq("Compressed file is larger than the original.")));
    EXPECT_EQ(lzh::Decode(ReadCorpusFile("one_byte.lzh")), Bytes("A"));
    EXPECT_THROW(lzh::Encode(RandomBytes(5000, 7)), ElzhException);
}

TEST(LzhCodec, RoundTripsStructuredAndRandomData)
{
    std::vector<std::vector<uint8_t>> inputs;
    inputs.push_back(std::vector<uint8_t>(100000, 0x20)); // all one match into the start ring
    inputs.push_back(std::vector<uint8_t>(70000, 0));     // runs of zero, never in the start ring
    inputs.push_back(RandomBytes(300000, 1, 4));          // small alphabet: many tree rebuilds
    inputs.push_back(RandomBytes(200000, 2, 20));
    std::vector<uint8_t> pattern;
    for (int i = 0; i < 50000; ++i)
        pattern.push_back(static_cast<uint8_t>((uint32_t(i) * uint32_t(i)) >> 5));
    inputs.push_back(pattern);
    std::string text;
    for (int i = 0; text.size() < 120000; ++i)
        text += "line " + std::to_string(i % 977) + " of the menu's catalogue, repeated now and then\n";
    inputs.push_back(Bytes(text));
    for (int length = 3; length <= 64; ++length) // matches cut at the end of the input
        inputs.push_back(Bytes("abcdefgh" + std::string(length, 'x') + "abcdefgh" + std::string(length, 'x')));

    for (const auto& input : inputs) {
        std::vector<uint8_t> packed;
        try {
            packed = lzh::Encode(input);
        } catch (const ElzhException&) {
            continue; // short inputs may not pay off; the guard is tested above
        }
        ASSERT_EQ(lzh::DecodedLength(packed), input.size());
        EXPECT_TRUE(lzh::Decode(packed) == input) << "input of " << input.size() << " bytes";
    }
}

TEST(LzhCodec, DecoderStartsItsRingWithSpaces)
{
    // 100 spaces are one literal and then matches reaching back into the start ring: a
    // decoder whose ring started with zero bytes would produce zeros here.
    const std::vector<uint8_t> packed = ReadCorpusFile("spaces100.lzh");
    const std::vector<uint8_t> output = lzh::Decode(packed);
    EXPECT_EQ(output, std::vector<uint8_t>(100, 0x20));
}

TEST(LzhCodec, RejectsPackedDataThatCannotBeGenuine)
{
    EXPECT_THAT([] { lzh::Decode(std::vector<uint8_t> { 1, 0, 0 }); },
        testing::Throws<ElzhException>());
    // A stated length of 4 GB behind two code bytes is refused before anything is allocated.
    EXPECT_THAT([] { lzh::Decode(std::vector<uint8_t> { 0xFF, 0xFF, 0xFF, 0xFF, 0x12, 0x34 }); },
        testing::Throws<ElzhException>());
    std::vector<uint8_t> output(3);
    EXPECT_THROW(lzh::Decode(ReadCorpusFile("spaces100.lzh"), output), ElzhException);
}

TEST(LzhCodec, TruncatedCodeReadsZeroBitsAndStopsAtTheStatedLength)
{
    std::vector<uint8_t> packed = ReadCorpusFile("text_repeats.lzh");
    packed.resize(packed.size() / 2);
    const std::vector<uint8_t> output = lzh::Decode(packed);
    const std::vector<uint8_t> original = ReadCorpusFile("text_repeats.in");
    ASSERT_EQ(output.size(), original.size());
    EXPECT_TRUE(std::equal(original.begin(), original.begin() + 1000, output.begin()));
}

TEST(LzhCodec, StreamsCarryTheSameCode)
{
    const std::vector<uint8_t> input = ReadCorpusFile("text_repeats.in");
    TDIBMemoryStream source(input);
    TDIBMemoryStream packed;
    TLZHStream(source, packed).Encode();
    EXPECT_EQ(packed.Bytes(), ReadCorpusFile("text_repeats.lzh"));

    packed.SetPosition(0);
    TDIBMemoryStream unpacked;
    TLZHStream(packed, unpacked).Decode();
    EXPECT_EQ(unpacked.Bytes(), input);
}

}
