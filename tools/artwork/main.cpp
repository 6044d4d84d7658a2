// torva_artwork OUTDIR [--png DIR]: draws every picture and clip of the menu into OUTDIR under
// the names of ArtworkNames.h (clips as OUTDIR/AVIn.avi); with --png also a PNG of each picture
// for looking at.

#include "tools/artwork/Art.h"
#include "tools/artwork/Output.h"

#include "platform/avi/AviClip.h"

#include <exception>
#include <filesystem>
#include <iostream>
#include <optional>
#include <string>

namespace {

using namespace artwork;
namespace fs = std::filesystem;

void Check(const Raster& r, std::string_view name, int width, int height)
{
    if (r.Width() != width || r.Height() != height)
        throw std::runtime_error(std::string(name) + " drawn at " + std::to_string(r.Width()) + " x " + std::to_string(r.Height()));
}

class Writer {
public:
    Writer(fs::path out, std::optional<fs::path> png)
        : m_out(std::move(out))
        , m_png(std::move(png))
    {
    }

    void Dib(std::string_view resource, const Raster& r)
    {
        WriteFile(m_out / resource, RawDibStream(r));
        Preview(resource, r);
    }
    void Bytes(std::string_view name, const std::vector<uint8_t>& bytes) { WriteFile(m_out / name, bytes); }
    void Preview(std::string_view resource, const Raster& r)
    {
        if (!m_png)
            return;
        fs::path name = fs::path(resource).replace_extension(".png");
        WriteFile(*m_png / name, PngFile(r));
    }

private:
    fs::path m_out;
    std::optional<fs::path> m_png;
};

// The window roughly as the menu first shows it, for judging the pictures together.
Raster Composite(const Raster& background, const Raster& screen, const std::vector<NamedRaster>& controls,
    const std::vector<Raster>& list1, const Raster& connect)
{
    Raster window = background;
    Raster shown = screen;
    struct At {
        const char* name;
        int x, y;
    };
    const At places[] = { { "Image3", 184, 40 }, { "Image1", 186, 373 }, { "Image5", 535, 0 }, { "Image6", 528, 394 },
        { "Cover3", 564, 38 }, { "Image8", 517, 15 }, { "Image7", 519, 271 }, { "PicImage", 221, 59 }, { "Image9", 72, 435 },
        { "Image12", 109, 434 }, { "Flag_Playable", 295, 25 }, { "Flag_Unplayable", 331, 25 }, { "Flag_CZ", 367, 25 },
        { "Flag_Net", 402, 25 }, { "Flag_3D", 439, 25 } };
    for (const At& at : places)
        for (const NamedRaster& control : controls)
            if (control.resource == "art/" + std::string(at.name) + ".dib")
                shown.Paste(control.raster, at.x, at.y);
    const int icons[] = { 3, 25, 4, 23, 23, 6 };
    const int tops[] = { 60, 127, 194, 261, 329, 396 };
    for (int i = 0; i < 5; ++i)
        shown.Paste(list1[icons[i]], 552 + (50 - list1[icons[i]].Width()) / 2, tops[i] + (50 - list1[icons[i]].Height()) / 2);
    shown.Paste(list1[20].Crop(0, 0, 17, 18), 446, 223);
    shown.Paste(list1[18], 470, 227);
    shown.Paste(list1[16].Crop(0, 0, 17, 18), 485, 223);
    shown.Paste(list1[14].Crop(0, 0, 17, 18), 502, 224);
    shown.Paste(list1[15], 489, 227);
    shown.Paste(connect, 552, 457);
    window.Paste(shown, 85, 173);
    for (int y = 0; y < window.Height(); ++y)
        for (int x = 0; x < window.Width(); ++x)
            if (!InsideWindow(x, y))
                window.At(x, y) = Hex(0x808080);
    return window;
}

Raster Enlarged(const Raster& r, int scale)
{
    Raster out(r.Width() * scale, r.Height() * scale);
    for (int y = 0; y < out.Height(); ++y)
        for (int x = 0; x < out.Width(); ++x)
            out.At(x, y) = r.At(x / scale, y / scale);
    return out;
}

// The small pictures side by side at three times their size: icons unlit above lit, then the
// flags, action buttons, scroll parts and viewer arrows.
Raster Sheet(const std::vector<Raster>& list1, const std::vector<NamedRaster>& controls)
{
    constexpr int Scale = 3, Cell = 56 * Scale;
    Raster sheet(Cell * 10, Cell * 4, Hex(0x303030));
    const int pairs[][2] = { { 2, 3 }, { 4, 5 }, { 6, 7 }, { 8, 9 }, { 10, 11 }, { 21, 22 }, { 23, 24 }, { 25, 26 }, { 27, 28 } };
    for (int i = 0; i < 9; ++i)
        for (int lit = 0; lit < 2; ++lit)
            sheet.Paste(Enlarged(list1[pairs[i][lit]], Scale), i * Cell + 4, lit * Cell + 4);
    int x = 4;
    for (const NamedRaster& control : controls)
        if (control.raster.Width() <= 60 && control.raster.Height() <= 60) {
            sheet.Paste(Enlarged(control.raster, Scale), x, 2 * Cell + 4);
            x += control.raster.Width() * Scale + 8;
            if (x > sheet.Width() - 200)
                break;
        }
    x = 4;
    for (int index : { 13, 14, 15, 16, 17, 18, 19, 20, 29, 30 }) {
        sheet.Paste(Enlarged(list1[index], Scale), x, 3 * Cell - 20);
        x += list1[index].Width() * Scale + 12;
    }
    return sheet;
}

Raster MiddleFrame(const std::vector<uint8_t>& avi)
{
    auto clip = platform::AviClip::FromBytes(avi, "film.avi").Value();
    std::vector<uint32_t> pixels(size_t(clip.Width()) * clip.Height());
    PixelView view { reinterpret_cast<uint8_t*>(pixels.data()), clip.Width(), clip.Height() };
    clip.DecodeFrame(clip.FrameCount() / 2, view);
    Raster frame(clip.Width(), clip.Height());
    for (int y = 0; y < clip.Height(); ++y)
        for (int x = 0; x < clip.Width(); ++x) {
            uint32_t p = view.At(x, y);
            frame.At(x, y) = { float(p >> 16 & 0xFF), float(p >> 8 & 0xFF), float(p & 0xFF) };
        }
    return frame;
}

void Generate(Writer& w)
{
    Raster background = WindowBackground();
    Check(background, "Image4", 818, 741);
    w.Dib("art/Image4.dib", background);
    Raster screen = ScreenBackground();
    w.Dib("art/Image14.dib", screen);

    auto controls = ScreenControls(screen);
    for (const ArtPicture& picture : FormPictures) {
        if (picture.format != ArtFormat::RawDib || picture.resource == "art/Image4.dib" || picture.resource == "art/Image14.dib")
            continue;
        bool found = false;
        for (auto& control : controls)
            if (control.resource == picture.resource) {
                Check(control.raster, picture.resource, picture.width, picture.height);
                w.Dib(picture.resource, control.raster);
                found = true;
            }
        if (!found)
            throw std::runtime_error("nothing drawn for " + std::string(picture.resource));
    }

    Raster connect = ConnectButton(screen);
    Check(connect, "Image15", 80, 23);
    w.Bytes("art/Image15.jpg", JpegFile(connect, 92));
    w.Preview("art/Image15.jpg", connect);

    w.Bytes("art/DIBFormShaper1.bmp", OneBitBitmap(818, 741, [](int x, int y) { return !InsideWindow(x, y); }));

    auto list1 = ImageList1Pictures(screen);
    for (size_t i = 0; i < ImageList1.size(); ++i) {
        Check(list1[i], ImageList1[i].displayName, ImageList1[i].width, ImageList1[i].height);
        w.Dib("art/DIBImageList1/" + std::to_string(i) + ".dib", list1[i]);
    }
    Raster dot(1, 1, Hex(0x000000));
    for (int i = 0; i < ImageList2Count; ++i)
        w.Bytes("art/DIBImageList2/" + std::to_string(i) + ".dib", RawDibStream(dot));

    Raster playing = background;
    for (const ClipEntry& clip : Clips) {
        std::vector<uint8_t> avi = SideClip(background, clip);
        w.Bytes(std::string(clip.resource) + ".avi", avi);
        playing.Paste(MiddleFrame(avi), clip.x, clip.y);
    }
    w.Preview("clips.png", playing);

    std::vector<NamedRaster> painted = BoxPictures();
    for (NamedRaster& picture : ShelfPictures())
        painted.push_back(std::move(picture));
    for (const NamedRaster& picture : painted) {
        w.Bytes(picture.resource, PngFile(picture.raster));
        w.Preview(picture.resource, picture.raster);
    }

    w.Preview("composite.png", Composite(background, screen, controls, list1, connect));
    w.Preview("sheet.png", Sheet(list1, controls));
}

}

int main(int argc, char** argv)
{
    std::optional<fs::path> png;
    std::optional<fs::path> out;
    for (int i = 1; i < argc; ++i) {
        std::string arg = argv[i];
        if (arg == "--png" && i + 1 < argc)
            png = argv[++i];
        else if (!out && !arg.starts_with("--"))
            out = arg;
        else {
            std::cerr << "usage: torva_artwork OUTDIR [--png DIR]\n";
            return 1;
        }
    }
    if (!out) {
        std::cerr << "usage: torva_artwork OUTDIR [--png DIR]\n";
        return 1;
    }
    try {
        Writer writer(*out, png);
        Generate(writer);
    } catch (const std::exception& e) {
        std::cerr << "torva_artwork: " << e.what() << "\n";
        return 1;
    }
    return 0;
}
