// Texts the menu writes over the screen background: black texts need a light ground, the
// silver list rows and captions a dark one, wherever their boxes lie.

#include "dib/DIBStream.h"
#include "dib/cDIB.h"
#include "platform/resources/Resources.h"

#include <gtest/gtest.h>

namespace {

struct TextBox {
    const char* label;
    int x, y, w, h;
    bool blackText;
};

// Boxes of the form's labels in screen coordinates.
const TextBox Boxes[] = {
    { "NameLabel", 232, 217, 228, 15, true },
    { "FirmLabel", 232, 232, 225, 16, true },
    { "TextLabel", 228, 279, 265, 145, true },
    { "HelpLabel", 405, 252, 113, 13, true },
    { "PositionLabel", 80, 374, 46, 9, true },
    { "Label2", 177, 429, 329, 18, true },
    { "DemosLabel1", 76, 71, 127, 16, false },
    { "DemosLabel5", 76, 195, 127, 13, false },
    { "DemosLabel10", 76, 349, 127, 13, false },
    { "IconLabel1", 538, 109, 80, 13, false },
    { "IconLabel5", 538, 378, 80, 13, false },
};

int Luminance(uint32_t pixel)
{
    return (int(pixel >> 16 & 0xFF) * 30 + int(pixel >> 8 & 0xFF) * 59 + int(pixel & 0xFF) * 11) / 100;
}

}

TEST(ArtworkLegibility, TextsStandOnAGroundOfTheOppositeBrightness)
{
    auto bytes = platform::FindResource("art/Image14.dib");
    ASSERT_TRUE(bytes);
    TMemoryDIB screen;
    TDIBMemoryStream stream(*bytes);
    screen.ReadData(stream);
    for (const TextBox& box : Boxes) {
        int darkest = 255, lightest = 0;
        for (int y = box.y; y < box.y + box.h; ++y)
            for (int x = box.x; x < box.x + box.w; ++x) {
                int l = Luminance(screen.Pixels(x, y));
                darkest = std::min(darkest, l);
                lightest = std::max(lightest, l);
            }
        if (box.blackText)
            EXPECT_GE(darkest, 120) << box.label << " writes black on too dark a ground";
        else
            EXPECT_LE(lightest, 80) << box.label << " writes silver on too light a ground";
    }
}
