// Texts the menu writes over the screen background: black texts need a light ground, silver
// captions a dark one, and the list rows (dark grey, black when selected, silver when
// installed) one of a middle brightness, wherever their boxes lie.

#include "dib/stream/DIBStream.h"
#include "dib/surface/cDIB.h"
#include "platform/resources/Resources.h"

#include <gtest/gtest.h>

namespace {

enum class Ink { Black,
    Silver,
    ListRow };

struct TextBox {
    const char* label;
    int x, y, w, h;
    Ink ink;
};

// Boxes of the form's labels in screen coordinates.
const TextBox Boxes[] = {
    { "NameLabel", 232, 217, 228, 15, Ink::Black },
    { "FirmLabel", 232, 232, 225, 16, Ink::Black },
    { "TextLabel", 228, 279, 265, 145, Ink::Black },
    { "HelpLabel", 405, 252, 113, 13, Ink::Black },
    { "PositionLabel", 80, 374, 46, 9, Ink::Black },
    { "Label2", 177, 429, 329, 18, Ink::Black },
    { "DemosLabel1", 76, 71, 127, 16, Ink::ListRow },
    { "DemosLabel5", 76, 195, 127, 13, Ink::ListRow },
    { "DemosLabel10", 76, 349, 127, 13, Ink::ListRow },
    { "IconLabel1", 538, 109, 80, 13, Ink::Silver },
    { "IconLabel5", 538, 378, 80, 13, Ink::Silver },
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
        switch (box.ink) {
        case Ink::Black:
            EXPECT_GE(darkest, 120) << box.label << " writes black on too dark a ground";
            break;
        case Ink::Silver:
            EXPECT_LE(lightest, 80) << box.label << " writes silver on too light a ground";
            break;
        case Ink::ListRow:
            // Dark grey text has luminance 48 and silver 192: the ground stays clear of both.
            EXPECT_GE(darkest, 100) << box.label << " leaves dark grey rows unreadable";
            EXPECT_LE(lightest, 150) << box.label << " leaves silver rows unreadable";
            break;
        }
    }
}
