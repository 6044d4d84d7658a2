#include "DIBSceneRig.h"

#include "tests/support/GoldenImage.h"

#include <gtest/gtest.h>

// Composed scenes checked against stored pictures; the compositing is integer only, so every
// pixel must match. TORVA_REGENERATE_GOLDENS=1 rewrites the pictures.

namespace {

// A background with detail everywhere, so a shifted or mis-keyed draw shows.
uint32_t Checker(int x, int y)
{
    const bool dark = ((x / 4) + (y / 4)) % 2 == 0;
    return dark ? 0x203040u + static_cast<uint32_t>(x) : 0x80A0C0u + (static_cast<uint32_t>(y) << 8);
}

void AddBackground(DIBSceneRig& rig, int width, int height)
{
    rig.AddImage(0, 0, width, height, rig.AddPicture(width, height, Checker));
}

}

TEST(DIBImageScene, MaskedOverlayAtPartialOpacity)
{
    DIBSceneRig rig(48, 32);
    AddBackground(rig, 48, 32);
    // The mask rises from see-through on the left to opaque on the right, over a colour that
    // changes down the picture.
    const int overlay = rig.AddPicture(48, 32, [](int x, int y) {
        return (static_cast<uint32_t>(x * 255 / 47) << 24) | (0xF0u << 16) | (static_cast<uint32_t>(y * 8) << 8) | 0x10;
    });
    rig.list->DIBImages().Items(overlay)->DIB().SetMasked(true);
    TDIBImage* image = rig.AddImage(0, 0, 48, 32, overlay);
    image->SetOpacity(150);
    EXPECT_TRUE(torva::test::MatchesGolden(rig.Paint().View(), "image/masked_overlay"));
}

TEST(DIBImageScene, ColourKeyedLabelsOverAPicture)
{
    DIBSceneRig rig(64, 40);
    AddBackground(rig, 64, 40);
    TDIBFadeLabel* plain = rig.AddLabel(2, 2, "Hry");
    TDIBFadeLabel* centred = rig.AddLabel(0, 18, "DEMA");
    for (TDIBFadeLabel* label : { plain, centred }) {
        label->Font().SetName("MS Sans Serif");
        label->Font().SetHeight(-11);
        label->Font().SetColor(RGB(0xFF, 0xFF, 0x00));
    }
    centred->SetAutoSize(false);
    centred->SetBounds(0, 18, 64, 20);
    centred->SetAlignment(platform::TAlignment::taCenter);
    centred->SetLayout(platform::TTextLayout::tlCenter);
    centred->SetOpacity(180);
    EXPECT_TRUE(torva::test::MatchesGolden(rig.Paint().View(), "image/keyed_labels"));
}

TEST(DIBImageScene, RotatedAndStretchedImages)
{
    DIBSceneRig rig(80, 48);
    AddBackground(rig, 80, 48);
    const int arrow = rig.AddPicture(16, 10, [](int x, int y) {
        // A keyed triangle pointing right, the key being the bottom-left pixel's colour.
        return x >= 2 * std::abs(y - 5) ? 0xE04020u + static_cast<uint32_t>(x * 8) : 0xFF00FFu;
    });
    rig.list->DIBImages().Items(arrow)->DIB().SetTransparent(true);
    TDIBImage* turned = rig.AddImage(2, 2, 10, 10, arrow);
    turned->SetAngle(30);
    turned->SetAutoSize(true);
    TDIBImage* stretched = rig.AddImage(30, 4, 44, 26, arrow);
    stretched->SetStretch(true);
    TDIBImage* scaled = rig.AddImage(30, 32, 40, 14, arrow);
    scaled->SetCenter(true);
    scaled->SetScale(150);
    EXPECT_TRUE(torva::test::MatchesGolden(rig.Paint().View(), "image/rotated_stretched"));
}
