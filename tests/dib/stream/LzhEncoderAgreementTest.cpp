#include "bench/dib/stream/LzhReference.h"
#include "dib/stream/LzhCodec.h"

#include <gtest/gtest.h>

#include <optional>
#include <random>
#include <string>
#include <vector>

namespace {

// The encoder walks its search trees by other means than the plain coder does; these inputs
// lean on what decides the chosen match: ties between equally long matches at different
// distances, matches as long as the look-ahead, the ring wrapping, and input ending inside a
// match.
struct AgreementCase {
    std::string what;
    std::vector<uint8_t> input;
};

std::vector<uint8_t> RandomOver(int alphabet, size_t size, uint32_t seed)
{
    std::mt19937 random(seed);
    std::vector<uint8_t> bytes(size);
    for (auto& b : bytes)
        b = static_cast<uint8_t>('a' + random() % alphabet);
    return bytes;
}

std::vector<uint8_t> Periodic(size_t period, size_t size, uint32_t seed)
{
    std::vector<uint8_t> unit = RandomOver(256, period, seed);
    std::vector<uint8_t> bytes(size);
    for (size_t i = 0; i < size; ++i)
        bytes[i] = unit[i % period];
    return bytes;
}

// Long stretches copied from earlier with a few bytes changed: matches of every length.
std::vector<uint8_t> EditedCopies(size_t size, uint32_t seed)
{
    std::mt19937 random(seed);
    std::vector<uint8_t> bytes = RandomOver(40, 300, seed);
    while (bytes.size() < size) {
        const size_t from = random() % bytes.size();
        const size_t length = 1 + random() % 90;
        for (size_t i = 0; i < length && bytes.size() < size; ++i)
            bytes.push_back(bytes[(from + i) % bytes.size()]);
        bytes.push_back(static_cast<uint8_t>(random()));
    }
    return bytes;
}

// The code, or nothing when the coder refuses code longer than its input.
template <class Coder>
std::optional<std::vector<uint8_t>> CodeOf(Coder coder, const std::vector<uint8_t>& input)
{
    try {
        return coder(input);
    } catch (const std::exception&) {
        return std::nullopt;
    }
}

std::optional<std::vector<uint8_t>> Ours(const std::vector<uint8_t>& input)
{
    return CodeOf([](const std::vector<uint8_t>& in) { return lzh::Encode(in); }, input);
}

// The search in two shares of the trees, one of them on another thread, whatever the size.
std::optional<std::vector<uint8_t>> OursShared(const std::vector<uint8_t>& input)
{
    return CodeOf([](const std::vector<uint8_t>& in) { return lzh::Encode(in, 2); }, input);
}
std::optional<std::vector<uint8_t>> Plain(const std::vector<uint8_t>& input) { return CodeOf(lzhreference::Encode, input); }

std::vector<AgreementCase> Cases()
{
    std::vector<AgreementCase> cases;
    for (int alphabet : { 2, 3, 16, 90 })
        cases.push_back({ "alphabet of " + std::to_string(alphabet), RandomOver(alphabet, 9000 + alphabet, alphabet) });
    for (size_t period : { 1, 7, 59, 60, 61, 130, 4095, 4097 })
        cases.push_back({ "period " + std::to_string(period), Periodic(period, 12000 + period % 50, static_cast<uint32_t>(period)) });
    for (uint32_t seed : { 1u, 2u, 3u })
        cases.push_back({ "edited copies " + std::to_string(seed), EditedCopies(20000 + seed * 777, seed) });
    return cases;
}

TEST(LzhEncoderAgreement, SameCodeAsThePlainCoderOnInputsThatStressTheMatchChoice)
{
    for (const AgreementCase& c : Cases())
        EXPECT_EQ(Ours(c.input), Plain(c.input)) << c.what;
}

// Beside the cases above: one first byte only (one share gets every string, the other none), a
// skewed mix, and inputs long enough for the coding to overtake the other thread's search and
// wait for it.
TEST(LzhEncoderAgreement, TreesSearchedInTwoSharesGiveTheSameCode)
{
    std::vector<AgreementCase> cases = Cases();
    cases.push_back({ "one byte value", std::vector<uint8_t>(70000, 'x') });
    std::vector<uint8_t> skewed = RandomOver(3, 90000, 5);
    for (size_t i = 0; i < skewed.size(); i += 17)
        skewed[i] = static_cast<uint8_t>(i * 31);
    cases.push_back({ "skewed", skewed });
    cases.push_back({ "long edited copies", EditedCopies(300000, 11) });
    cases.push_back({ "long period 4097", Periodic(4097, 150000, 12) });
    for (const AgreementCase& c : cases)
        EXPECT_EQ(OursShared(c.input), Plain(c.input)) << c.what;
}

TEST(LzhEncoderAgreement, SharedSearchRefusesCodeLongerThanTheInputAndStopsItsThread)
{
    std::mt19937 random(3);
    std::vector<uint8_t> noise(200000);
    for (auto& b : noise)
        b = static_cast<uint8_t>(random());
    EXPECT_THROW(lzh::Encode(noise, 2), ElzhException);
    // A second refusal right after finds no thread left over from the first.
    EXPECT_THROW(lzh::Encode(noise, 2), ElzhException);
}

TEST(LzhEncoderAgreement, SameCodeForEveryShortPrefixOfAMatchRichInput)
{
    // Inputs ending one byte apart end their last match at every point of the look-ahead.
    const std::vector<uint8_t> input = EditedCopies(400, 9);
    for (size_t size = 1; size <= input.size(); size += 3) {
        const std::vector<uint8_t> prefix(input.begin(), input.begin() + static_cast<ptrdiff_t>(size));
        ASSERT_EQ(Ours(prefix), Plain(prefix)) << size;
        ASSERT_EQ(OursShared(prefix), Plain(prefix)) << size;
    }
}

}
