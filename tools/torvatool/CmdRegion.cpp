// "torvatool region": the window outline a picture gives, as the shaper would build it, for
// disc authors checking their skins.

#include "dib/surface/cDIB.h"
#include "platform/picture/Picture.h"
#include "platform/text/Text.h"
#include "tools/torvatool/Command.h"

#include <ostream>

namespace torvatool {

static int RunRegion(Arguments& args, std::ostream& out)
{
    const std::string usage = "region FILE [KEY]";
    auto& words = args.Positional(1, 2, usage);
    TMemoryDIB dib;
    try {
        dib.LoadPicture(platform::ReadPictureFile(words[0]));
    } catch (const std::exception& error) {
        const std::string message = error.what();
        throw ToolError(message.starts_with(words[0]) ? message : words[0] + ": " + message);
    }
    // Without a key the bottom-left pixel is the see-through colour, as for an automatic key.
    TColor key = static_cast<TColor>(SwapRedBlue(dib.Pixels(0, dib.Height() - 1) & 0x00FFFFFFu));
    if (words.size() == 2) {
        const std::optional<int32_t> number = platform::ParseNumber(words[1]);
        if (!number)
            throw ToolError("KEY must be a colour reference number (decimal or 0x hex, 0x00BBGGRR), not \"" + words[1] + "\"");
        key = *number;
    }
    for (const TRect& run : dib.BuildRegion(key))
        out << run.Left << ' ' << run.Top << ' ' << run.Right << ' ' << run.Bottom << '\n';
    return 0;
}

static CommandRegistration registration({ "region",
    "region FILE [KEY]      the run rectangles (left top right bottom) of a picture's window shape;\n"
    "                       KEY is the see-through colour as 0x00BBGGRR, default the bottom-left pixel",
    RunRegion });

}
