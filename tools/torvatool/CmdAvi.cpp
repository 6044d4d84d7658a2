// "torvatool avi": what a clip holds and what its frames look like, for disc authors checking
// the side-panel animations before they go into the program.

#include "platform/avi/AviClip.h"
#include "platform/picture/Picture.h"
#include "tools/torvatool/Command.h"

#include <ostream>
#include <vector>

namespace torvatool {

static platform::AviClip OpenClip(const std::string& path)
{
    std::vector<uint8_t> bytes;
    try {
        bytes = platform::ReadPictureBytes(path);
    } catch (const std::exception& e) {
        throw ToolError(path + ": " + e.what());
    }
    auto clip = platform::AviClip::FromBytes(bytes, path);
    if (!clip)
        throw ToolError(clip.Error().Message());
    return std::move(clip).Value();
}

static int RunAvi(Arguments& args, std::ostream& out)
{
    const std::string usage = "avi info CLIP | avi frame CLIP N OUT.png";
    auto& words = args.Positional(2, 4, usage);
    platform::AviClip clip = OpenClip(words[1]);
    if (words[0] == "info" && words.size() == 2) {
        out << "size " << clip.Width() << " x " << clip.Height() << "\n"
            << "frames " << clip.FrameCount() << "\n"
            << "bits " << clip.BitsPerPixel() << (clip.Compression() == platform::AviCompression::Rle8 ? " RLE8" : " uncompressed") << "\n"
            << "palette " << clip.Palette().size() << "\n"
            << "microseconds per frame " << clip.MicroSecPerFrame() << "\n";
        return 0;
    }
    if (words[0] != "frame" || words.size() != 4)
        throw ToolError("usage: " + usage);
    int n = 0;
    try {
        n = std::stoi(words[2]);
    } catch (const std::exception&) {
        throw ToolError("frame number expected, not " + words[2]);
    }
    std::vector<uint32_t> pixels(size_t(clip.Width()) * clip.Height());
    PixelView view { reinterpret_cast<uint8_t*>(pixels.data()), clip.Width(), clip.Height() };
    try {
        clip.DecodeFrame(n, view);
    } catch (const platform::AviError& e) {
        throw ToolError(e.what());
    }
    platform::Picture picture;
    picture.width = clip.Width();
    picture.height = clip.Height();
    for (int y = 0; y < picture.height; ++y)
        for (int x = 0; x < picture.width; ++x)
            picture.pixels.push_back(view.At(x, y));
    platform::WritePictureFile(words[3], platform::EncodePng(picture, false));
    return 0;
}

static CommandRegistration registration({ "avi", "avi info CLIP | avi frame CLIP N OUT.png   show a clip's header or write frame N as PNG", RunAvi });

}
