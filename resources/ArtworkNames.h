#pragma once

// Every picture and clip the artwork generator makes, by the resource name the menu loads it
// under (library menu_artwork). Pictures are raw surface streams (width, height, then
// bottom-up 32-bit pixels) unless the format says otherwise; sizes are the bitmap's own, which
// for a few controls is smaller than the control's box.

#include <array>
#include <cstdint>
#include <string_view>

namespace artwork {

enum class ArtFormat : uint8_t {
    RawDib, // width, height (16-bit each), bottom-up 32-bit pixels
    Jpeg,
    OneBitBitmap, // Windows bitmap, 1 bit per pixel, black and white palette
    Rle8Avi,      // RIFF AVI, one RLE8 video stream
};

struct ArtPicture {
    std::string_view resource;
    int width;
    int height;
    ArtFormat format;
};

// The plain bitmap controls of the form, one file each: "art/" + control name + ".dib".
// Image15 is a JPEG; DIBFormShaper1.bmp is the window's shape (white = cut away, the
// bottom-left pixel white).
inline constexpr std::array<ArtPicture, 28> FormPictures { {
    { "art/Image4.dib", 818, 741, ArtFormat::RawDib },   // window background
    { "art/Image14.dib", 638, 482, ArtFormat::RawDib },  // screen background (container)
    { "art/Image3.dib", 28, 20, ArtFormat::RawDib },     // list scroll up
    { "art/Image1.dib", 24, 22, ArtFormat::RawDib },     // list scroll down
    { "art/Image11.dib", 18, 11, ArtFormat::RawDib },    // list scroll up, lit
    { "art/Image10.dib", 18, 12, ArtFormat::RawDib },    // list scroll down, lit
    { "art/Cover1.dib", 33, 25, ArtFormat::RawDib },     // hides the list's down arrow
    { "art/Cover2.dib", 28, 18, ArtFormat::RawDib },     // hides the list's up arrow
    { "art/Cover3.dib", 33, 17, ArtFormat::RawDib },     // hides the column's up arrow
    { "art/Cover4.dib", 49, 30, ArtFormat::RawDib },     // hides the column's down arrow
    { "art/Image5.dib", 84, 53, ArtFormat::RawDib },     // icon column, top scroll zone
    { "art/Image6.dib", 104, 55, ArtFormat::RawDib },    // icon column, bottom scroll zone
    { "art/Up.dib", 18, 11, ArtFormat::RawDib },         // column up arrow, lit
    { "art/Down.dib", 18, 12, ArtFormat::RawDib },       // column down arrow, lit
    { "art/Image8.dib", 6, 11, ArtFormat::RawDib },      // marker on the lower rail
    { "art/Image7.dib", 6, 11, ArtFormat::RawDib },      // marker on the upper rail
    { "art/PicImage.dib", 265, 213, ArtFormat::RawDib }, // frame behind the item picture
    { "art/Image9.dib", 33, 33, ArtFormat::RawDib },     // quit button
    { "art/Image2.dib", 11, 10, ArtFormat::RawDib },     // quit highlight
    { "art/Image12.dib", 33, 33, ArtFormat::RawDib },    // settings button
    { "art/Image13.dib", 11, 10, ArtFormat::RawDib },    // settings highlight
    { "art/Flag_Playable.dib", 33, 33, ArtFormat::RawDib },
    { "art/Flag_Unplayable.dib", 33, 33, ArtFormat::RawDib },
    { "art/Flag_CZ.dib", 33, 33, ArtFormat::RawDib },
    { "art/Flag_Net.dib", 33, 33, ArtFormat::RawDib },
    { "art/Flag_3D.dib", 33, 33, ArtFormat::RawDib },
    { "art/Image15.jpg", 80, 23, ArtFormat::Jpeg }, // connect button
    { "art/DIBFormShaper1.bmp", 818, 741, ArtFormat::OneBitBitmap },
} };

// The 31 images of DIBImageList1: "art/DIBImageList1/" + index + ".dib". Each item is meant to
// be stored opaque, unmasked, opacity 255, automatic transparency, except: 12 "big" is
// Masked and Transparent with the fixed key white (its fourth bytes are the mask, white
// pixels are keyed out); 29 "Right" and 30 "Left" are Transparent with the automatic key (the
// bottom-left pixel's colour surrounds the arrow).
struct ImageListEntry {
    std::string_view displayName;
    int width;
    int height;
    bool masked;
    bool transparent;
    bool fixedWhiteKey;
};

inline constexpr std::array<ImageListEntry, 31> ImageList1 { {
    { "ListBackground", 166, 350, false, false, false },
    { "Sections", 74, 340, false, false, false },
    { "Demos_2", 49, 39, false, false, false },
    { "Demos", 49, 39, false, false, false },
    { "Shareware_2", 49, 39, false, false, false },
    { "Shareware", 49, 39, false, false, false },
    { "Extra_2", 49, 48, false, false, false },
    { "Extra", 49, 48, false, false, false },
    { "Updates_2", 49, 39, false, false, false },
    { "Updates", 49, 39, false, false, false },
    { "Drivers_2", 49, 39, false, false, false },
    { "Drivers", 49, 39, false, false, false },
    { "big", 638, 482, true, true, true },
    { "Stop", 9, 13, false, false, false },
    { "Stop_2", 16, 18, false, false, false },
    { "Play", 8, 13, false, false, false },
    { "Play_2", 16, 19, false, false, false },
    { "Web", 13, 13, false, false, false },
    { "Web_2", 13, 13, false, false, false },
    { "Readme", 10, 13, false, false, false },
    { "Readme_2", 19, 21, false, false, false },
    { "Readers_2", 49, 46, false, false, false },
    { "Readers", 49, 46, false, false, false },
    { "E3_2", 49, 50, false, false, false },
    { "E3", 49, 50, false, false, false },
    { "Online", 49, 46, false, false, false },
    { "Online_2", 49, 46, false, false, false },
    { "Instalovano", 49, 50, false, false, false },
    { "Instalovano_2", 49, 50, false, false, false },
    { "Right", 44, 72, false, true, false },
    { "Left", 44, 72, false, true, false },
} };

// DIBImageList2: "art/DIBImageList2/" + index + ".dib", index 0..100, each 1 x 1 (black).
inline constexpr int ImageList2Count = 101;

// The side animations: resource "AVI" + n, n = 1..10, each loaded by the player named here
// (start-up pairs them crosswise: Animate1 plays AVI4, Animate3 plays AVI1, ...), made at that
// player's size and place with frames 0 to at least its stop frame; the last frame matches the
// window background under the player, so a player that stays visible after playing shows no
// seam.
struct ClipEntry {
    std::string_view resource;
    std::string_view player;
    int x;
    int y;
    int width;
    int height;
    int stopFrame;
};

inline constexpr std::array<ClipEntry, 10> Clips { {
    { "AVI1", "Animate3", 67, 655, 98, 86, 15 },
    { "AVI2", "Animate9", 516, 687, 39, 54, 15 },
    { "AVI3", "Animate4", 603, 656, 121, 41, 15 },
    { "AVI4", "Animate1", 45, 104, 40, 205, 15 },
    { "AVI5", "Animate2", 0, 445, 85, 88, 25 },
    { "AVI6", "Animate6", 723, 226, 95, 211, 15 },
    { "AVI7", "Animate5", 723, 495, 95, 192, 15 },
    { "AVI8", "Animate10", 0, 0, 314, 173, 15 },
    { "AVI9", "Animate7", 368, 55, 250, 118, 15 },
    { "AVI10", "Animate8", 636, 77, 144, 96, 15 },
} };

}
