#include "StandInArtwork.h"

#include "platform/avi/AviClip.h"
#include "platform/picture/Picture.h"
#include "platform/resources/Resources.h"
#include "resources/ArtworkNames.h"

#include <deque>
#include <string>
#include <vector>

namespace {

// RegisterResource keeps a view of the bytes, so they live as long as the process.
std::deque<std::vector<uint8_t>>& Storage()
{
    static std::deque<std::vector<uint8_t>> storage;
    return storage;
}

void Register(const std::string& name, std::vector<uint8_t> bytes)
{
    if (platform::FindResource(name))
        return;
    Storage().push_back(std::move(bytes));
    platform::RegisterResource(name, Storage().back().data(), Storage().back().size());
}

void Put(std::vector<uint8_t>& out, uint32_t value, int bytes)
{
    for (int i = 0; i < bytes; ++i)
        out.push_back(static_cast<uint8_t>(value >> (8 * i)));
}

std::vector<uint8_t> RawPicture(int width, int height, uint32_t color)
{
    std::vector<uint8_t> out;
    Put(out, static_cast<uint32_t>(width), 2);
    Put(out, static_cast<uint32_t>(height), 2);
    for (int i = 0; i < width * height; ++i)
        Put(out, color | 0xFF000000u, 4);
    return out;
}

// A 1-bit Windows bitmap, black with a white bottom-left pixel: the automatic key then cuts
// away that pixel only.
std::vector<uint8_t> ShapeBitmap(int width, int height)
{
    const uint32_t palette[] = { 0x000000, 0xFFFFFF };
    std::vector<uint8_t> out = platform::BitmapHeaders(width, height, 1, palette);
    size_t pixels = out.size();
    out.resize(pixels + (width + 31) / 32 * 4 * height, 0);
    out[pixels] = 0x80; // first stored row is the bottom one
    return out;
}

std::vector<uint8_t> Clip(int frames)
{
    platform::Rle8ClipSource source;
    source.width = 2;
    source.height = 2;
    source.palette = { 0x000000, 0x808080 };
    for (int i = 0; i < frames; ++i)
        source.frames.push_back(std::vector<uint8_t>(4, static_cast<uint8_t>(i % 2)));
    return platform::WriteRle8Avi(source);
}

// A 2 x 2 32-bit Windows bitmap; picture controls read it whatever the resource's extension.
std::vector<uint8_t> BitmapFile(uint32_t color)
{
    return platform::EncodeBitmap(platform::Picture { 2, 2, std::vector<uint32_t>(4, color), false }, 32);
}

}

uint32_t StandInColor(std::string_view controlName)
{
    uint32_t hash = 2166136261u;
    for (char c : controlName)
        hash = (hash ^ static_cast<uint8_t>(c)) * 16777619u;
    return hash & 0x00FFFFFF;
}

void RegisterStandInArtwork()
{
    for (const artwork::ArtPicture& art : artwork::FormPictures) {
        std::string name(art.resource);
        std::string control = name.substr(4, name.rfind('.') - 4);
        if (art.format == artwork::ArtFormat::OneBitBitmap)
            Register(name, ShapeBitmap(art.width, art.height));
        else if (art.format == artwork::ArtFormat::Jpeg)
            Register(name, BitmapFile(StandInColor(control)));
        else
            Register(name, RawPicture(2, 2, StandInColor(control)));
    }
    for (size_t i = 0; i < artwork::ImageList1.size(); ++i) {
        const auto& entry = artwork::ImageList1[i];
        Register("art/DIBImageList1/" + std::to_string(i) + ".dib", RawPicture(entry.width, entry.height, 0x404040 + static_cast<uint32_t>(i)));
    }
    for (int i = 0; i < artwork::ImageList2Count; ++i)
        Register("art/DIBImageList2/" + std::to_string(i) + ".dib", RawPicture(1, 1, 0));
    for (const artwork::ClipEntry& clip : artwork::Clips)
        Register(std::string(clip.resource), Clip(26));
}
