// The LZH codec against a plain coder of the same format, on the corpus picture stream and on
// a megabyte of English-like text; both coders must produce the same bytes.

#include "bench/dib/stream/LzhReference.h"
#include "dib/stream/LzhCodec.h"
#include "dib/stream/cDIBStandardCompressors.h"

#include <benchmark/benchmark.h>

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <iterator>
#include <string>

namespace {

std::vector<uint8_t> CorpusFile(const char* name)
{
    std::ifstream in(std::string(TORVA_TEST_DATA_DIR) + "/lzh/" + name, std::ios::binary);
    std::vector<uint8_t> bytes { std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>() };
    if (bytes.empty()) {
        std::fprintf(stderr, "missing corpus file %s\n", name);
        std::abort();
    }
    return bytes;
}

// Sentences of common words drawn by a fixed generator: repeats at every distance, as prose has.
std::vector<uint8_t> EnglishText(size_t size)
{
    static const char* const words[] = { "the", "of", "and", "to", "a", "in", "is", "it", "you", "that", "he", "was",
        "for", "on", "are", "with", "as", "his", "they", "be", "at", "one", "have", "this", "from", "or", "had", "by",
        "hot", "word", "but", "what", "some", "we", "can", "out", "other", "were", "all", "there", "when", "up", "use",
        "your", "how", "said", "an", "each", "she", "which", "do", "their", "time", "if", "will", "way", "about",
        "many", "then", "them", "write", "would", "like", "so", "these", "her", "long", "make", "thing", "see", "him",
        "two", "has", "look", "more", "day", "could", "go", "come", "did", "number", "sound", "no", "most", "people",
        "my", "over", "know", "water", "than", "call", "first", "who", "may", "down", "side", "been", "now", "find",
        "game", "demo", "install", "disc", "player", "level", "world", "screen", "music", "sound", "version" };
    constexpr size_t count = sizeof words / sizeof words[0];
    std::string text;
    uint32_t state = 12345;
    auto next = [&] {
        state = state * 1103515245u + 12345u;
        return state >> 8;
    };
    bool capital = true;
    while (text.size() < size) {
        // Skewed towards the first words, as word frequencies are.
        const size_t index = (next() % count) * (next() % count) / count;
        std::string word = words[index];
        if (capital)
            word[0] = static_cast<char>(word[0] - 'a' + 'A');
        text += word;
        capital = next() % 12 == 0;
        text += capital ? ".  " : (next() % 9 == 0 ? ", " : " ");
        if (next() % 60 == 0)
            text += "\n";
    }
    text.resize(size);
    return { text.begin(), text.end() };
}

const std::vector<uint8_t>& Gradient()
{
    static const std::vector<uint8_t> bytes = CorpusFile("gradient166x350.in");
    return bytes;
}

const std::vector<uint8_t>& Text()
{
    static const std::vector<uint8_t> bytes = EnglishText(1 << 20);
    return bytes;
}

template <class Encoder>
void Encode(benchmark::State& state, const std::vector<uint8_t>& input, Encoder encoder)
{
    for (auto _ : state)
        benchmark::DoNotOptimize(encoder(input));
    state.SetBytesProcessed(int64_t(state.iterations()) * int64_t(input.size()));
}

template <class Decoder>
void Decode(benchmark::State& state, const std::vector<uint8_t>& input, Decoder decoder)
{
    const std::vector<uint8_t> packed = lzh::Encode(input);
    if (lzhreference::Encode(input) != packed || decoder(packed) != input) {
        state.SkipWithError("the coders disagree");
        return;
    }
    for (auto _ : state)
        benchmark::DoNotOptimize(decoder(packed));
    state.SetBytesProcessed(int64_t(state.iterations()) * int64_t(input.size()));
}

std::vector<uint8_t> Ours(std::span<const uint8_t> in) { return lzh::Encode(in); }
std::vector<uint8_t> OursOnOneThread(std::span<const uint8_t> in) { return lzh::Encode(in, 1); }
std::vector<uint8_t> OursDecode(std::span<const uint8_t> in) { return lzh::Decode(in); }

void BM_LzhEncodeGradient(benchmark::State& state) { Encode(state, Gradient(), Ours); }
void BM_LzhEncodeGradientOneThread(benchmark::State& state) { Encode(state, Gradient(), OursOnOneThread); }
void BM_ReferenceEncodeGradient(benchmark::State& state) { Encode(state, Gradient(), lzhreference::Encode); }
void BM_LzhDecodeGradient(benchmark::State& state) { Decode(state, Gradient(), OursDecode); }
void BM_ReferenceDecodeGradient(benchmark::State& state) { Decode(state, Gradient(), lzhreference::Decode); }
void BM_LzhEncodeText(benchmark::State& state) { Encode(state, Text(), Ours); }
void BM_LzhEncodeTextOneThread(benchmark::State& state) { Encode(state, Text(), OursOnOneThread); }
void BM_ReferenceEncodeText(benchmark::State& state) { Encode(state, Text(), lzhreference::Encode); }
void BM_LzhDecodeText(benchmark::State& state) { Decode(state, Text(), OursDecode); }
void BM_ReferenceDecodeText(benchmark::State& state) { Decode(state, Text(), lzhreference::Decode); }

void BM_RleCompressGradient(benchmark::State& state)
{
    TRLEDIBCompressor rle;
    const std::vector<uint8_t>& input = Gradient();
    std::vector<uint8_t> dest(input.size());
    for (auto _ : state)
        benchmark::DoNotOptimize(rle.Compress(nullptr, input.data(), uint32_t(input.size()), dest.data()));
    state.SetBytesProcessed(int64_t(state.iterations()) * int64_t(input.size()));
}

}

// The encoder searches on a second thread for inputs this large, so the encoders are timed by
// the clock, not by the calling thread's processor time; the one-thread runs show each part.
BENCHMARK(BM_LzhEncodeGradient)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_LzhEncodeGradientOneThread)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_ReferenceEncodeGradient)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_LzhDecodeGradient)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ReferenceDecodeGradient)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_LzhEncodeText)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_LzhEncodeTextOneThread)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_ReferenceEncodeText)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_LzhDecodeText)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ReferenceDecodeText)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_RleCompressGradient)->Unit(benchmark::kMillisecond);
BENCHMARK_MAIN();
