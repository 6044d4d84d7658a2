#pragma once

// The files the generator writes: raw surface streams, the one-bit shape bitmap, JPEG and PNG.

#include "tools/artwork/Raster.h"

#include <cstdint>
#include <filesystem>
#include <functional>
#include <vector>

namespace artwork {

// Width, height, then the pixels bottom row first, as a surface stores itself.
std::vector<uint8_t> RawDibStream(const Raster& raster);
// A 1-bit bottom-up Windows bitmap with a black (index 0) and white (index 1) palette; white
// where isWhite(x, y) holds, for x, y counted from the top left.
std::vector<uint8_t> OneBitBitmap(int width, int height, const std::function<bool(int x, int y)>& isWhite);
std::vector<uint8_t> JpegFile(const Raster& raster, int quality);
std::vector<uint8_t> PngFile(const Raster& raster);

void WriteFile(const std::filesystem::path& path, const std::vector<uint8_t>& bytes);

}
