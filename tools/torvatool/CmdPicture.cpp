// "torvatool picture": decodes any picture the menu's loader reads and writes it as PNG, so
// a disc author can see what the menu will show.

#include "platform/picture/Picture.h"
#include "tools/torvatool/Command.h"

#include <ostream>

namespace torvatool {

static int RunPicture(Arguments& args, std::ostream& out)
{
    const bool withAlpha = args.TakeFlag("--alpha");
    auto& words = args.Positional(2, 2, "picture [--alpha] FILE OUT.png");
    try {
        auto picture = platform::DecodePicture(platform::ReadPictureBytes(words[0]), words[0]);
        if (!picture)
            throw ToolError(picture.Error().Message());
        platform::WritePictureFile(words[1], platform::EncodePng(*picture, withAlpha));
        out << words[0] << ": " << picture->width << " x " << picture->height << (picture->hasAlpha ? ", with alpha" : "") << "\n";
    } catch (const platform::PictureError& e) {
        throw ToolError(words[0] + ": " + e.what());
    }
    return 0;
}

static CommandRegistration registration({ "picture",
    "picture [--alpha] FILE OUT.png   decode a bitmap or JPEG as the menu does and write it as PNG\n"
    "                                 (the fourth byte as alpha only with --alpha)",
    RunPicture });

}
