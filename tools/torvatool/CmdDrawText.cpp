// "torvatool drawtext": renders text as a label would draw it, to check faces, sizes and word
// wrapping of catalogue texts without starting the menu.

#include "platform/canvas/Canvas.h"
#include "platform/fonts/FontRegistry.h"
#include "platform/picture/Picture.h"
#include "platform/text/Codepage.h"
#include "platform/text/Text.h"
#include "tools/torvatool/Command.h"

#include <ostream>

namespace torvatool {

static int NumberOption(Arguments& args, const std::string& name, int fallback)
{
    auto value = args.TakeOption("--" + name);
    if (!value)
        return fallback;
    auto number = platform::ParseNumber(*value);
    if (!number)
        throw ToolError("--" + name + " needs a number, not " + *value);
    return *number;
}

static int RunDrawText(Arguments& args, std::ostream& out)
{
    const std::string usage = "drawtext [--font FACE] [--height H] [--bold] [--width W] [--center|--right] [--fontfile F] TEXT OUT.png";
    platform::CanvasFont font;
    font.Name = platform::Utf8ToCp1250(args.TakeOption("--font").value_or("Tahoma"));
    font.Height = NumberOption(args, "height", -13);
    font.Bold = args.TakeFlag("--bold");
    font.Charset = platform::EASTEUROPE_CHARSET;
    int width = NumberOption(args, "width", 265);
    uint32_t flags = platform::DT_WORDBREAK | platform::DT_EXPANDTABS;
    if (args.TakeFlag("--center"))
        flags |= platform::DT_CENTER;
    if (args.TakeFlag("--right"))
        flags |= platform::DT_RIGHT;
    if (auto file = args.TakeOption("--fontfile"); file && platform::FontRegistry::Default().AddFontFile(*file) == 0)
        throw ToolError("not a usable font file: " + *file);
    auto& words = args.Positional(2, 2, usage);
    if (width <= 0 || width > 4096)
        throw ToolError("--width must lie in 1..4096");
    std::string text = platform::Utf8ToCp1250(words[0]);

    platform::TCanvas measure;
    measure.Font = font;
    TRect box { 0, 0, width, 0 };
    int height = std::max(1, std::min(4096, measure.DrawText(text, box, flags | platform::DT_CALCRECT)));
    std::vector<uint32_t> pixels(size_t(width) * height, 0x00FFFFFF);
    PixelView view { reinterpret_cast<uint8_t*>(pixels.data()), width, height };
    platform::TCanvas canvas(view);
    canvas.Font = font;
    canvas.Brush.Style = platform::BrushStyle::Clear;
    TRect rect { 0, 0, width, height };
    canvas.DrawText(text, rect, flags);

    platform::FontMatch match = platform::FontRegistry::Default().Resolve(font.Name, font.Bold, false);
    out << "face " << match.family << " from " << (match.path.empty() ? "(none)" : match.path) << "\n"
        << "size " << width << " x " << height << "\n";
    platform::Picture picture;
    picture.width = width;
    picture.height = height;
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x)
            picture.pixels.push_back(view.At(x, y));
    platform::WritePictureFile(words[1], platform::EncodePng(picture, false));
    return 0;
}

static CommandRegistration registration({ "drawtext", "drawtext [--font FACE] [--height H] [--bold] [--width W] TEXT OUT.png   draw a word-wrapped label text", RunDrawText });

}
