// Decoding a window-sized bitmap, against copying the same number of pixel bytes: the reader
// should stay within a small factor of a plain copy.

#include "platform/picture/Picture.h"

#include <benchmark/benchmark.h>

#include <cstring>
#include <filesystem>

namespace {

constexpr int Width = 816;
constexpr int Height = 740;

platform::Picture WindowPicture()
{
    platform::Picture p;
    p.width = Width;
    p.height = Height;
    p.pixels.resize(static_cast<size_t>(Width) * Height);
    for (size_t i = 0; i < p.pixels.size(); ++i)
        p.pixels[i] = 0xFF000000u | static_cast<uint32_t>(i * 2654435761u >> 8);
    return p;
}

void CopyBaseline(benchmark::State& state)
{
    std::vector<uint32_t> src(static_cast<size_t>(Width) * Height, 0x12345678), dst(src.size());
    for (auto _ : state) {
        std::memcpy(dst.data(), src.data(), src.size() * 4);
        benchmark::DoNotOptimize(dst.data());
    }
    state.SetItemsProcessed(state.iterations() * Width * Height);
}

void DecodeBitmap(benchmark::State& state)
{
    const std::vector<uint8_t> file = platform::EncodeBitmap(WindowPicture(), static_cast<int>(state.range(0)));
    for (auto _ : state) {
        platform::Picture p = platform::DecodeBitmap(file, "bench.bmp").Value();
        benchmark::DoNotOptimize(p.pixels.data());
    }
    state.SetItemsProcessed(state.iterations() * Width * Height);
}

void DecodeJpeg(benchmark::State& state)
{
    const std::vector<uint8_t> file = platform::ReadPictureBytes(std::filesystem::path(TORVA_TEST_DATA_DIR) / "bmpsuite/html/rgb24.jpg");
    int64_t pixels = 0;
    for (auto _ : state) {
        platform::Picture p = platform::DecodeJpeg(file, "rgb24.jpg").Value();
        pixels += static_cast<int64_t>(p.width) * p.height;
        benchmark::DoNotOptimize(p.pixels.data());
    }
    state.SetItemsProcessed(pixels);
}

}

BENCHMARK(CopyBaseline);
BENCHMARK(DecodeBitmap)->Arg(24)->Arg(32);
BENCHMARK(DecodeJpeg);
BENCHMARK_MAIN();
