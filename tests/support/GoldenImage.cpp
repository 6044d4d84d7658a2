#include "tests/support/GoldenImage.h"

#include "platform/picture/Picture.h"

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <exception>
#include <filesystem>
#include <sstream>

namespace torva::test {

namespace {

uint32_t ChannelMask(GoldenChannels channels)
{
    return channels == GoldenChannels::WithFourthByte ? 0xFFFFFFFFu : 0x00FFFFFFu;
}

platform::Picture ToPicture(const PixelView& view)
{
    platform::Picture picture;
    if (view.IsEmpty())
        return picture;
    picture.width = view.width;
    picture.height = view.height;
    picture.pixels.resize(static_cast<size_t>(view.width) * view.height);
    for (int y = 0; y < view.height; ++y)
        std::memcpy(&picture.pixels[static_cast<size_t>(y) * view.width], view.Row(y), static_cast<size_t>(view.width) * 4);
    return picture;
}

platform::Picture Rounded(platform::Picture picture, int step)
{
    if (step <= 1)
        return picture;
    for (uint32_t& pixel : picture.pixels) {
        uint32_t rounded = 0;
        for (int shift = 0; shift < 32; shift += 8) {
            const int channel = static_cast<int>((pixel >> shift) & 0xFFu);
            rounded |= static_cast<uint32_t>(std::min(255, (channel + step / 2) / step * step)) << shift;
        }
        pixel = rounded;
    }
    return picture;
}

bool PixelsDiffer(uint32_t a, uint32_t b, uint32_t mask, int channel)
{
    for (int shift = 0; shift < 32; shift += 8) {
        if (((mask >> shift) & 0xFFu) == 0)
            continue;
        const int difference = static_cast<int>((a >> shift) & 0xFFu) - static_cast<int>((b >> shift) & 0xFFu);
        if (std::abs(difference) > channel)
            return true;
    }
    return false;
}

platform::Picture DifferenceImage(const PixelView& actual, const PixelView& expected, uint32_t mask, int channel)
{
    platform::Picture diff;
    diff.width = std::max(actual.width, expected.width);
    diff.height = std::max(actual.height, expected.height);
    diff.pixels.assign(static_cast<size_t>(diff.width) * diff.height, 0xFFFF0000u);
    for (int y = 0; y < std::min(actual.height, expected.height); ++y) {
        for (int x = 0; x < std::min(actual.width, expected.width); ++x) {
            const uint32_t want = expected.At(x, y);
            if (PixelsDiffer(actual.At(x, y), want, mask, channel))
                continue;
            const uint32_t dim = ((want >> 2) & 0x003F3F3Fu) + 0x00404040u;
            diff.pixels[static_cast<size_t>(y) * diff.width + x] = 0xFF000000u | dim;
        }
    }
    return diff;
}

std::string FlatName(const std::string& name)
{
    std::string flat = name;
    std::replace(flat.begin(), flat.end(), '/', '_');
    return flat;
}

void WritePng(const std::filesystem::path& path, const platform::Picture& picture, bool withAlpha)
{
    std::filesystem::create_directories(path.parent_path());
    platform::WritePictureFile(path, platform::EncodePng(picture, withAlpha));
}

bool RegenerationRequested()
{
    const char* value = std::getenv("TORVA_REGENERATE_GOLDENS");
    return value && std::string(value) == "1";
}

}

BottomUpPicture::BottomUpPicture(const platform::Picture& picture)
{
    pixels.resize(picture.pixels.size());
    for (int y = 0; y < picture.height; ++y)
        std::memcpy(&pixels[static_cast<size_t>(picture.height - 1 - y) * picture.width],
            &picture.pixels[static_cast<size_t>(y) * picture.width], static_cast<size_t>(picture.width) * 4);
    view = { reinterpret_cast<uint8_t*>(pixels.data()), picture.width, picture.height };
}

GoldenComparison ComparePictures(const PixelView& actual, const PixelView& expected, GoldenChannels channels,
    GoldenTolerance tolerance)
{
    GoldenComparison result;
    result.sizeMatches = actual.width == expected.width && actual.height == expected.height;
    if (!result.sizeMatches) {
        result.differingPixels = static_cast<long long>(std::max(actual.width, expected.width)) * std::max(actual.height, expected.height);
        return result;
    }
    const uint32_t mask = ChannelMask(channels);
    for (int y = 0; y < actual.height; ++y) {
        const uint32_t* a = actual.Row(y);
        const uint32_t* e = expected.Row(y);
        for (int x = 0; x < actual.width; ++x)
            result.differingPixels += PixelsDiffer(a[x], e[x], mask, tolerance.channel);
    }
    return result;
}

::testing::AssertionResult CompareToGolden(const PixelView& actual, const std::filesystem::path& goldenFile,
    const std::filesystem::path& outputDir, const std::string& name, GoldenChannels channels, GoldenTolerance tolerance)
{
    const bool withAlpha = channels == GoldenChannels::WithFourthByte;
    if (actual.IsEmpty())
        return ::testing::AssertionFailure() << "golden " << name << ": the picture to check is empty";
    if (RegenerationRequested()) {
        WritePng(goldenFile, Rounded(ToPicture(actual), tolerance.storedStep), withAlpha);
        return ::testing::AssertionSuccess() << "golden " << name << " regenerated";
    }
    const std::filesystem::path actualFile = outputDir / (FlatName(name) + ".actual.png");
    if (!std::filesystem::exists(goldenFile)) {
        WritePng(actualFile, ToPicture(actual), withAlpha);
        return ::testing::AssertionFailure() << "golden " << goldenFile.string()
                                             << " does not exist (run with TORVA_REGENERATE_GOLDENS=1 to create it); actual picture: "
                                             << actualFile.string();
    }
    platform::Picture golden;
    try {
        golden = platform::ReadPictureFile(goldenFile);
    } catch (const std::exception& e) {
        return ::testing::AssertionFailure() << "golden " << goldenFile.string() << " is unreadable: " << e.what();
    }
    BottomUpPicture expected(golden);
    const GoldenComparison comparison = ComparePictures(actual, expected.view, channels, tolerance);
    if (comparison.sizeMatches && comparison.differingPixels <= tolerance.pixels)
        return ::testing::AssertionSuccess();

    const std::filesystem::path expectedFile = outputDir / (FlatName(name) + ".expected.png");
    const std::filesystem::path diffFile = outputDir / (FlatName(name) + ".diff.png");
    WritePng(actualFile, ToPicture(actual), withAlpha);
    WritePng(expectedFile, golden, withAlpha);
    WritePng(diffFile, DifferenceImage(actual, expected.view, ChannelMask(channels), tolerance.channel), false);
    std::ostringstream message;
    message << "golden " << name << ": ";
    if (!comparison.sizeMatches)
        message << "size " << actual.width << "x" << actual.height << " instead of " << golden.width << "x" << golden.height << ", ";
    message << comparison.differingPixels << " pixels differ (" << tolerance.pixels << " allowed); see " << actualFile.string() << ", " << expectedFile.string()
            << " and " << diffFile.string();
    return ::testing::AssertionFailure() << message.str();
}

}
