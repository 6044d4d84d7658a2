// Font files come from the disc under any name: registering broken bytes must register nothing
// or something drawable, never crash, and drawing with what was registered must stay in bounds.
#include "platform/fonts/FontRegistry.h"
#include "platform/text/Codepage.h"

#include <cstdint>
#include <vector>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    platform::FontRegistry registry;
    if (registry.AddFontBytes("fuzz", std::vector<uint8_t>(data, data + size)) == 0)
        return 0;
    for (const auto& family : registry.RegisteredFamilies()) {
        auto match = registry.Resolve(platform::Utf8ToCp1250(family), false, false);
        if (match.source != platform::FontSource::Registered)
            continue;
        for (int height : { -12, 29 }) {
            auto font = platform::SizedFont::Create(match, height, true, false, 238);
            if (!font)
                continue;
            for (int byte = 0; byte < 256; byte += 7) {
                const auto& glyph = font->ByteGlyph(static_cast<uint8_t>(byte));
                for (int y = 0; y < glyph.rows; ++y)
                    for (int x = 0; x < glyph.width; ++x)
                        (void)glyph.Covers(x, y);
            }
        }
    }
    return 0;
}
