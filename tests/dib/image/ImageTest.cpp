#include "DIBSceneRig.h"

#include "platform/canvas/Canvas.h"
#include "platform/layout/LayoutReader.h"
#include "tests/support/Accepted.h"

#include <gtest/gtest.h>

namespace {

constexpr uint32_t Red = 0xFF0000, Green = 0x00FF00, Blue = 0x0000FF, Grey = 0x102030;

uint32_t Solid(int, int) { return Red; }

// Each pixel of a picture different, so a wrong sample shows.
uint32_t Ramp(int x, int y) { return static_cast<uint32_t>(0x010000 * (x * 16 + 8) + 0x000100 * (y * 16 + 8) + 0x40); }

}

TEST(DIBImage, StretchAutoSizeAndScaleExcludeEachOther)
{
    DIBSceneRig rig(100, 100);
    TDIBImage* image = rig.AddImage(0, 0, 40, 40, -1);
    image->SetAutoSize(true);
    image->SetStretch(true);
    EXPECT_FALSE(image->AutoSize()) << "stretch on turns auto-size off";
    image->SetAutoSize(true);
    EXPECT_FALSE(image->Stretch()) << "auto-size on turns stretch off";
    image->SetStretch(true);
    image->SetScale(100);
    EXPECT_FALSE(image->Stretch()) << "any scale write turns stretch off";
    image->SetStretch(false);
    EXPECT_FALSE(image->AutoSize()) << "stretch off leaves auto-size alone";

    image->SetAngle(370);
    EXPECT_EQ(image->Angle(), 10);
    image->SetAngle(-90);
    EXPECT_EQ(image->Angle(), 270);
}

TEST(DIBImage, AutoSizeTakesTheRotatedScaledPictureBox)
{
    struct Case {
        int width, height, angle;
        double scale;
        TSize expected;
    };
    const Case cases[] = {
        { 44, 72, 0, 100, { 44, 72 } },
        { 44, 72, 90, 100, { 72, 44 } },
        { 44, 72, 180, 100, { 44, 72 } },
        { 44, 72, 0, 50, { 22, 36 } },
        { 44, 72, 45, 100, { 82, 82 } },
        { 49, 39, 90, 200, { 78, 98 } },
        // A box of no pixels is not taken...
        { 44, 72, 0, 0, { 30, 20 } },
        // Nor is one beyond any surface's size.
        { 44, 72, 0, 1e6, { 30, 20 } },
    };
    for (const Case& c : cases) {
        DIBSceneRig rig(200, 200);
        const int index = rig.AddPicture(c.width, c.height, Solid);
        TDIBImage* image = rig.AddImage(5, 7, 30, 20, index);
        image->SetAngle(c.angle);
        image->SetScale(c.scale);
        image->SetAutoSize(true);
        EXPECT_EQ((TSize { image->Width(), image->Height() }), c.expected) << c.width << "x" << c.height << " at " << c.angle << " degrees, " << c.scale << " %";
        EXPECT_EQ(image->Left(), 5);
        EXPECT_EQ(image->Top(), 7);
    }
}

TEST(DIBImage, AutoSizeWithoutAPictureKeepsTheSize)
{
    DIBSceneRig rig(200, 200);
    rig.AddPicture(44, 72, Solid);
    TDIBImage* none = rig.AddImage(0, 0, 30, 20, -1);
    none->SetAutoSize(true);
    EXPECT_EQ(none->Width(), 30);
    TDIBImage* beyond = rig.AddImage(0, 0, 30, 20, 5);
    beyond->SetAutoSize(true);
    EXPECT_EQ(beyond->Width(), 30);
    TDIBImage* off = rig.AddImage(0, 0, 30, 20, 0);
    off->SetAngle(90);
    EXPECT_EQ(off->Width(), 30) << "auto-size off";
}

TEST(DIBImage, StretchScalesInWholePercentAndCenterPlacesTheBox)
{
    struct Case {
        int pictureWidth, pictureHeight, width, height;
        bool stretch, center;
        double scaleX, scaleY;
        TPoint position;
    };
    const Case cases[] = {
        { 100, 50, 75, 40, true, false, 75, 80, { 0, 0 } },
        { 150, 50, 50, 50, true, false, 33, 100, { 0, 0 } },
        { 20, 10, 50, 50, false, true, 100, 100, { 15, 20 } },
        { 21, 11, 50, 51, false, true, 100, 100, { 15, 20 } },
        { 60, 10, 50, 50, false, true, 100, 100, { -5, 20 } },
        // A stretched picture fills the control, so centring moves nothing.
        { 100, 50, 75, 40, true, true, 75, 80, { 0, 0 } },
    };
    for (const Case& c : cases) {
        DIBSceneRig rig(200, 200);
        TDIBImage* image = rig.AddImage(0, 0, c.width, c.height, rig.AddPicture(c.pictureWidth, c.pictureHeight, Solid));
        image->SetCenter(c.center);
        image->SetStretch(c.stretch);
        const auto placement = image->PicturePlacement();
        ASSERT_TRUE(placement);
        EXPECT_EQ(placement->ScaleX, c.scaleX) << c.pictureWidth << " into " << c.width;
        EXPECT_EQ(placement->ScaleY, c.scaleY) << c.pictureHeight << " into " << c.height;
        EXPECT_EQ(placement->Position, c.position) << c.pictureWidth << "x" << c.pictureHeight << " in " << c.width << "x" << c.height;
    }
}

TEST(DIBImage, WithoutAPictureOnlyTheBackgroundShows)
{
    for (int index : { -1, 3 }) {
        DIBSceneRig rig(20, 20, SwapRedBlue(Grey));
        rig.AddPicture(4, 4, Solid);
        TDIBImage* image = rig.AddImage(2, 2, 10, 10, index);
        image->SetOpacity(120);
        rig.Paint();
        for (int y = 0; y < 20; ++y)
            for (int x = 0; x < 20; ++x)
                ASSERT_EQ(rig.Pixel(x, y), Grey) << x << "," << y << " index " << index;
    }
}

TEST(DIBImage, ControlsSharingAPictureEachDrawWithTheirOwnAngle)
{
    DIBSceneRig rig(60, 40, 0);
    const int index = rig.AddPicture(8, 6, Ramp);
    TDIBImage* upright = rig.AddImage(2, 2, 8, 6, index);
    TDIBImage* turned = rig.AddImage(20, 2, 8, 6, index);
    TDIBImage* uprightAgain = rig.AddImage(40, 2, 8, 6, index);
    turned->SetAngle(90);
    turned->SetAutoSize(true);
    ASSERT_EQ(turned->Width(), 6);
    ASSERT_EQ(turned->Height(), 8);
    rig.Paint();

    // What a lone copy of the picture draws with the same settings.
    TMemoryDIB reference;
    reference.Assign(rig.list->DIBImages().Items(index)->DIB());
    TMemoryDIB expected(6, 8);
    expected.Fill(0);
    reference.SetAutoSize(true);
    reference.SetAngle(90);
    reference.Draw(0, 0, 8, 6, expected, 0, 0);
    for (int y = 0; y < 8; ++y)
        for (int x = 0; x < 6; ++x)
            ASSERT_EQ(rig.Pixel(20 + x, 2 + y), expected.Pixels(x, y) & 0xFFFFFF) << x << "," << y;
    for (int y = 0; y < 6; ++y)
        for (int x = 0; x < 8; ++x) {
            ASSERT_EQ(rig.Pixel(2 + x, 2 + y), Ramp(x, y)) << x << "," << y;
            ASSERT_EQ(rig.Pixel(40 + x, 2 + y), Ramp(x, y)) << x << "," << y;
        }
    EXPECT_EQ(rig.list->DIBImages().Items(index)->DIB().Angle(), 0) << "drawing never changes the item";
    (void)upright;
    (void)uprightAgain;
}

TEST(DIBImage, LinkChangesRepaintOnlyTheControlsShowingThatPicture)
{
    DIBSceneRig rig(100, 100);
    const int first = rig.AddPicture(10, 10, Solid);
    const int second = rig.AddPicture(10, 10, Solid);
    TDIBImage* showsFirst = rig.AddImage(0, 0, 10, 10, first);
    TDIBImage* showsSecond = rig.AddImage(50, 50, 10, 10, second);
    rig.Paint();
    ASSERT_TRUE(rig.form->DirtyRect().IsEmpty());

    rig.list->DIBImages().Items(second)->DIB().Fill(0x00FF00);
    EXPECT_EQ(rig.form->DirtyRect(), showsSecond->BoundsRect());
    rig.Paint();

    // Deleting the first item: its control loses the picture and repaints; the other follows
    // its picture to the new index without a repaint.
    rig.list->DIBImages().Delete(first);
    EXPECT_EQ(showsFirst->IndexMain().DIBIndex(), -1);
    EXPECT_EQ(showsSecond->IndexMain().DIBIndex(), 0);
    EXPECT_EQ(rig.form->DirtyRect(), showsFirst->BoundsRect());
    rig.Paint();
    EXPECT_EQ(rig.Pixel(55, 55), Green);
    EXPECT_EQ(rig.Pixel(5, 5), 0u);
}

TEST(DIBImage, AnAutoSizedImageFollowsItsPictureSize)
{
    DIBSceneRig rig(100, 100);
    const int index = rig.AddPicture(10, 10, Solid);
    TDIBImage* image = rig.AddImage(3, 3, 10, 10, index);
    image->SetAutoSize(true);
    TMemoryDIB& picture = rig.list->DIBImages().Items(index)->DIB();
    picture.SetSize(30, 12);
    picture.Changed();
    EXPECT_EQ(image->Width(), 30);
    EXPECT_EQ(image->Height(), 12);

    image->IndexMain().SetDIBIndex(rig.AddPicture(5, 6, Solid));
    EXPECT_EQ(image->Width(), 5);
    EXPECT_EQ(image->Height(), 6);
}

TEST(DIBImage, LayoutBuildsImagesAndLabelsThatScriptsReadByName)
{
    torva::test::FormRig<> rig;
    auto& form = rig.form;
    ASSERT_TRUE(torva::test::Accepted(platform::ReadLayout(*form, R"(object Form1: TForm
  Width = 300
  Height = 200
  object DIBImageList1: TDIBImageList
    DIBImages = <
      item
        DIB.Width = 44
        DIB.Height = 72
        DisplayName = 'Right'
      end>
  end
  object DIBContainer1: TDIBContainer
    Width = 300
    Height = 200
    object RightArrow: TDIBImage
      Left = 20
      Top = 10
      Width = 44
      Height = 72
      DIBImageList = DIBImageList1
      IndexMain.DIBIndex = 0
      Angle = 90
      AutoSize = True
      Opacity = 150
      Visible = False
    end
    object DIBImage4: TDIBImage
      Left = 100
      Width = 243
      Height = 151
      DIBImageList = DIBImageList1
      Center = True
      Stretch = True
      Hint = 'obr'#225'zek'
      ShowHint = True
    end
    object DemosLabel3: TDIBFadeLabel
      Left = 76
      Top = 133
      Width = 127
      Height = 13
      AutoSize = False
      Caption = 'Hra'
      ColorHighlighted = clWhite
      Font.Color = clSilver
      Font.Height = -12
      Font.Name = 'Square721 AT'
      Alignment = taCenter
      Layout = tlCenter
      Transparent = True
      WordWrap = False
      FrameCount = 8
      FrameDelay = 40
      ShowAccelChar = False
      BidiMode = bdLeftToRight
      Angle = 0
      Scale = 100
    end
    object IconLabel1: TDIBFadeLabel
      Left = 538
      Top = 109
      Width = 80
      Height = 13
      Alignment = taRightJustify
      Caption = 'DEMA'
      Font.Height = -11
    end
  end
end
)",
        "scene.lay")));
    auto* arrow = dynamic_cast<TDIBImage*>(form->FindComponent("RightArrow"));
    ASSERT_NE(arrow, nullptr);
    EXPECT_EQ(arrow->Width(), 72);
    EXPECT_EQ(arrow->Height(), 44);
    EXPECT_EQ(platform::GetPropertyValue(*arrow, "Opacity"), platform::PropertyValue::Int(150));
    EXPECT_EQ(platform::GetPropertyValue(*arrow, "IndexMain.DIBIndex"), platform::PropertyValue::Int(0));

    auto* picture = dynamic_cast<TDIBImage*>(form->FindComponent("DIBImage4"));
    ASSERT_NE(picture, nullptr);
    EXPECT_TRUE(picture->Stretch());
    EXPECT_TRUE(picture->Center());
    EXPECT_EQ(picture->Hint(), "obr\xE1zek");

    auto* label = form->FindComponent("DemosLabel3");
    ASSERT_NE(label, nullptr);
    EXPECT_EQ(platform::GetPropertyValue(*label, "Caption"), platform::PropertyValue::Str("Hra"));
    EXPECT_EQ(platform::GetPropertyValue(*label, "Width"), platform::PropertyValue::Int(127));
    EXPECT_EQ(platform::GetPropertyValue(*label, "Font.Height"), platform::PropertyValue::Int(-12));
    EXPECT_EQ(static_cast<TDIBFadeLabel*>(label)->FadeTable().size(), 8u);
    EXPECT_EQ(static_cast<TDIBFadeLabel*>(label)->FrameDelay(), 40u);
    // An auto-sized label takes its caption's size once the layout is read, keeping its right
    // edge when right-justified.
    auto* sized = dynamic_cast<TDIBFadeLabel*>(form->FindComponent("IconLabel1"));
    ASSERT_NE(sized, nullptr);
    platform::TCanvas measure;
    measure.Font = sized->Font().ToCanvasFont();
    EXPECT_EQ(sized->Width(), measure.TextWidth("DEMA"));
    EXPECT_EQ(sized->Left() + sized->Width(), 618);

    platform::SetPropertyValue(*label, "Caption", platform::PropertyValue::Str("Jin\xE1 hra"));
    EXPECT_EQ(static_cast<TDIBFadeLabel*>(label)->Caption(), "Jin\xE1 hra");
}

TEST(DIBImage, ARepaintOfPartOfTheScreenMatchesAFullOne)
{
    DIBSceneRig rig(60, 30, SwapRedBlue(Grey));
    const int ramp = rig.AddPicture(8, 6, Ramp);
    const int solid = rig.AddPicture(20, 20, [](int x, int y) { return Ramp(y % 8, x % 6) ^ 0x00FF00; });
    TDIBImage* stretched = rig.AddImage(0, 0, 20, 20, ramp);
    stretched->SetStretch(true);
    // Same size as the first, so the two share the working surface at one size.
    TDIBImage* plain = rig.AddImage(30, 4, 20, 20, solid);
    plain->SetOpacity(200);
    TWinDIB& full = rig.Paint();
    std::vector<uint32_t> expected(full.Bits(), full.Bits() + 60 * 30);

    for (const TRect& damaged : { TRect { 15, 0, 55, 20 }, TRect { 2, 3, 9, 8 }, TRect { 19, 19, 31, 30 } }) {
        for (int y = damaged.Top; y < damaged.Bottom; ++y)
            for (int x = damaged.Left; x < damaged.Right; ++x)
                full.SetPixel(x, y, 0xDEADBE);
        rig.container->InvalidateRect(damaged);
        rig.form->PaintNow();
        for (int y = 0; y < 30; ++y)
            for (int x = 0; x < 60; ++x)
                ASSERT_EQ(full.Pixels(x, y), expected[static_cast<size_t>((29 - y) * 60 + x)]) << x << "," << y;
    }
}
