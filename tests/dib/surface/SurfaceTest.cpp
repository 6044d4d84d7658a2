#include "SurfaceFixtures.h"

#include "platform/canvas/Canvas.h"
#include "platform/picture/Picture.h"

#include <gtest/gtest.h>

namespace {

struct CountingSurface {
    TMemoryDIB dib { 2, 2 };
    int changes = 0;
    CountingSurface()
    {
        dib.OnChange = [this](TAbstractSuperDIB* sender) {
            EXPECT_EQ(sender, &dib);
            ++changes;
        };
    }
};

TEST(SurfaceConstruction, TheClipIsTheWholeSurfaceInclusiveAndPixelsAreZero)
{
    TWinDIB sized(5, 3);
    EXPECT_EQ(sized.ClipRect(), (TRect { 0, 0, 4, 2 }));
    EXPECT_TRUE(sized.HasBits());
    EXPECT_EQ(sized.Pixels(4, 2), 0u); // a fresh section is zeroed
}

TEST(SurfaceSetters, ChangedOnlyWhenTheValueDiffers)
{
    CountingSurface s;
    s.dib.SetOpacity(255);
    s.dib.SetMasked(false);
    s.dib.SetAngle(0);
    s.dib.SetScale(100);
    s.dib.SetTransparent(false);
    s.dib.SetTransparentMode(tmAuto);
    s.dib.SetAutoSize(false);
    EXPECT_EQ(s.changes, 0);
    s.dib.SetOpacity(10);
    s.dib.SetMasked(true);
    s.dib.SetAngle(45);
    s.dib.SetScaleX(50);
    s.dib.SetScaleY(50);
    s.dib.SetScale(50);
    EXPECT_EQ(s.changes, 5);
    s.dib.SetScale(70);
    EXPECT_EQ(s.changes, 6);
    EXPECT_EQ(s.dib.ScaleY(), 70);
    s.dib.SetWidth(9);
    s.dib.SetHeight(4);
    EXPECT_EQ(s.changes, 6);
    EXPECT_EQ(s.dib.Width(), 9);
    EXPECT_EQ(s.dib.Height(), 4);
}

TEST(SurfaceSetters, OpacityIsClampedAndAngleWrapped)
{
    TMemoryDIB dib(1, 1);
    dib.SetOpacity(300);
    EXPECT_EQ(dib.Opacity(), 255);
    dib.SetOpacity(-5);
    EXPECT_EQ(dib.Opacity(), 0);
    dib.SetAngle(450);
    EXPECT_EQ(dib.Angle(), 90);
    dib.SetAngle(-90);
    EXPECT_EQ(dib.Angle(), 270);
}

struct SelectionCase {
    int opacity;
    bool masked, transparent;
    TDIBSpanMethod expected;
};

TEST(SpanSelection, FollowsOpacityMaskAndKey)
{
    const SelectionCase cases[] = {
        { 255, true, true, &TAbstractSuperDIB::MaskSpan },
        { 255, true, false, &TAbstractSuperDIB::MaskSpan },
        { 255, false, true, &TAbstractSuperDIB::KeySpan },
        { 255, false, false, &TAbstractSuperDIB::CopySpan },
        { 254, true, true, &TAbstractSuperDIB::MaskBlendSpan },
        { 0, true, false, &TAbstractSuperDIB::MaskBlendSpan },
        { 1, false, true, &TAbstractSuperDIB::KeyBlendSpan },
        { 128, false, false, &TAbstractSuperDIB::BlendSpan },
    };
    for (const SelectionCase& c : cases) {
        TMemoryDIB dib(1, 1);
        dib.SetOpacity(c.opacity);
        dib.SetMasked(c.masked);
        dib.SetTransparent(c.transparent);
        EXPECT_EQ(dib.DrawProc().Method, c.expected) << c.opacity << c.masked << c.transparent;
        EXPECT_EQ(dib.DrawProc().Surface, &dib);
    }
}

TEST(TransparentColor, ReadsInPixelOrderInBothModes)
{
    TMemoryDIB dib(2, 2);
    dib.SetPixel(0, 1, 0xAA56655E); // bottom-left
    EXPECT_EQ(dib.TransparentColor(), 22439262u);
    dib.SetPixel(0, 1, 0x00FF00FF);
    EXPECT_EQ(dib.TransparentColor(), 33489151u);

    dib.SetTransparentMode(tmFixed);
    dib.SetTransparentColor(RGB(0x11, 0x22, 0x33));
    EXPECT_EQ(dib.TransparentKey(), 0x00112233u);
    EXPECT_EQ(dib.TransparentColor(), 0x00112233u);
}

TEST(TransparentColor, SetterNotifiesOnlyWhenTheReadValueChanges)
{
    CountingSurface s;
    s.dib.SetTransparentMode(tmFixed);
    s.changes = 0;
    s.dib.SetTransparentColor(0x02332211); // top byte kept: key 0x02112233
    EXPECT_EQ(s.dib.TransparentKey(), 0x02112233u);
    EXPECT_EQ(s.changes, 1);
    s.dib.SetTransparentColor(0x02332211);
    EXPECT_EQ(s.changes, 1);
}

TEST(TransparentColor, StoredAutoValueWrittenBackHasNoEffect)
{
    TMemoryDIB dib(1, 1);
    dib.SetPixel(0, 0, 0x0056655E);
    dib.SetTransparentColor(static_cast<TColor>(dib.TransparentColor()));
    EXPECT_EQ(dib.TransparentColor(), 0x0156655Eu);
}

TEST(SurfaceSize, ZeroBecomesOneAndSameSizeKeepsEverything)
{
    TMemoryDIB dib(3, 3);
    dib.SetSize(0, 0);
    EXPECT_EQ(dib.Width(), 1);
    EXPECT_EQ(dib.Height(), 1);
    dib.SetSize(4, 4);
    dib.SetPixel(1, 1, 0x12345678);
    dib.SetClipRect(1, 1, 2, 2);
    dib.SetSize(4, 4);
    EXPECT_EQ(dib.Pixels(1, 1), 0x12345678u);
    EXPECT_EQ(dib.ClipRect(), (TRect { 1, 1, 2, 2 }));
}

TEST(SurfaceSize, BadSizesRaiseAndLeaveTheSurfaceAlone)
{
    TMemoryDIB dib(2, 3);
    dib.SetPixel(1, 2, 0xCAFE);
    uint32_t* bits = dib.Bits();
    for (auto [w, h] : { std::pair { -1, 5 }, { 5, -1 }, { 65535, 65535 }, { 65536, 1 }, { 1, 70000 } }) {
        EXPECT_THROW(dib.SetSize(w, h), EDIBError) << w << "x" << h;
        EXPECT_EQ(dib.Width(), 2);
        EXPECT_EQ(dib.Height(), 3);
        EXPECT_EQ(dib.Bits(), bits);
        EXPECT_EQ(dib.Pixels(1, 2), 0xCAFEu);
    }
    EXPECT_THROW(TWinDIB(-4, 4), EDIBError);
}

TEST(ClipRect, SwappedAndClampedToTheSurface)
{
    TMemoryDIB dib(10, 8);
    dib.SetClipRect(12, 9, -3, 2);
    EXPECT_EQ(dib.ClipRect(), (TRect { 0, 2, 9, 7 }));
}

TEST(FillOperations, FillUsesTheReferencesTopByteFillRectClips)
{
    CountingSurface s;
    s.dib.SetSize(3, 2);
    s.changes = 0;
    s.dib.Fill(0x05332211);
    EXPECT_EQ(GetRows(s.dib), (PixelRows { { 0x05112233, 0x05112233, 0x05112233 }, { 0x05112233, 0x05112233, 0x05112233 } }));
    EXPECT_EQ(s.changes, 1);
    s.dib.FillRect(RGB(0xFF, 0, 0), 2, -1, 5, 2);
    s.dib.FillRect(RGB(0, 0xFF, 0), 0, 0, 0, 5);
    s.dib.FillRect(RGB(0, 0xFF, 0), 3, 0, 2, 2);
    EXPECT_EQ(GetRows(s.dib), (PixelRows { { 0x05112233, 0x05112233, 0x00FF0000 }, { 0x05112233, 0x05112233, 0x05112233 } }));
    EXPECT_EQ(s.changes, 1);
    s.dib.SetAlpha(0x80);
    EXPECT_EQ(s.dib.Pixels(2, 0), 0x80FF0000u);
    EXPECT_EQ(s.changes, 2);
}

TEST(FillOperations, SystemColoursAreResolved)
{
    TMemoryDIB dib(1, 1);
    dib.Fill(static_cast<TColor>(0x80000000u | 5)); // the window background colour
    EXPECT_EQ(dib.Pixels(0, 0), SwapRedBlue(static_cast<uint32_t>(platform::ColorToRGB(static_cast<TColor>(0x80000005u)))));
    EXPECT_EQ(dib.Pixels(0, 0) >> 24, 0u);
}

TEST(ShareBits, ViewSeesTheSourceAndNeverFreesIt)
{
    TMemoryDIB source(3, 2);
    source.SetOpacity(40);
    source.SetTransparentMode(tmFixed);
    source.SetTransparentColor(RGB(1, 2, 3));
    source.SetPixel(2, 1, 0xABCDEF);
    {
        TMemoryDIB view(source);
        EXPECT_FALSE(view.OwnsBits());
        EXPECT_EQ(view.Bits(), source.Bits());
        EXPECT_EQ(view.Width(), 3);
        EXPECT_EQ(view.Height(), 2);
        EXPECT_EQ(view.Opacity(), 40);
        EXPECT_EQ(view.TransparentKey(), 0x00010203u);
        // Until the view's own Changed it draws with the source's routine and values.
        EXPECT_EQ(view.DrawProc().Surface, &source);
        view.Changed();
        EXPECT_EQ(view.DrawProc().Surface, &view);
        view.SetPixel(0, 0, 7);
    }
    EXPECT_EQ(source.Pixels(0, 0), 7u);
    EXPECT_EQ(source.Pixels(2, 1), 0xABCDEFu);
}

TEST(ShareBits, AViewGivenANewSizeGetsMemoryOfItsOwn)
{
    TMemoryDIB source(3, 2);
    TMemoryDIB view(source);
    view.SetSize(8, 8);
    EXPECT_TRUE(view.OwnsBits());
    EXPECT_NE(view.Bits(), source.Bits());
    view.SetPixel(7, 7, 1);
}

TEST(Assign, CopiesSizePixelsAndProperties)
{
    TMemoryDIB source;
    PutRows(source, { { 1, 2, 3 }, { 4, 5, 6 } });
    source.SetMasked(true);
    source.SetAngle(30);
    TWinDIB dest(7, 7);
    int changes = 0;
    dest.OnChange = [&](TAbstractSuperDIB*) { ++changes; };
    dest.Assign(source);
    EXPECT_EQ(GetRows(dest), (PixelRows { { 1, 2, 3 }, { 4, 5, 6 } }));
    EXPECT_TRUE(dest.Masked());
    EXPECT_EQ(dest.Angle(), 30);
    EXPECT_EQ(dest.DrawProc().Surface, &dest);
    EXPECT_EQ(changes, 1);
}

TEST(AssignProperties, SizeIsCopiedOnlyToAView)
{
    TMemoryDIB source(4, 5);
    source.SetOpacity(9);
    TMemoryDIB owner(2, 2);
    source.AssignProperties(owner);
    EXPECT_EQ(owner.Opacity(), 9);
    EXPECT_EQ(owner.Width(), 2);
}

TEST(LoadPicture, ReplacesSizeAndPixelsWithAnOpaqueMask)
{
    platform::Picture picture { 2, 2, { 0x00102030, 0x00405060, 0x00708090, 0x00A0B0C0 }, false };
    const auto bytes = platform::EncodeBitmap(picture, 24);
    TMemoryDIB dib(5, 5);
    int changes = 0;
    dib.OnChange = [&](TAbstractSuperDIB*) { ++changes; };
    dib.LoadPictureBytes(bytes);
    EXPECT_EQ(GetRows(dib), (PixelRows { { 0xFF102030, 0xFF405060 }, { 0xFF708090, 0xFFA0B0C0 } }));
    EXPECT_GE(changes, 1);
}

TEST(LoadPicture, BadBytesRaiseBeforeTheSurfaceIsTouched)
{
    TMemoryDIB dib(3, 1);
    dib.SetPixel(2, 0, 0x77);
    const uint8_t garbage[] = { 'B', 'M', 1, 2, 3 };
    EXPECT_ANY_THROW(dib.LoadPictureBytes(garbage));
    EXPECT_ANY_THROW(dib.LoadPictureBytes({}));
    EXPECT_EQ(dib.Width(), 3);
    EXPECT_EQ(dib.Pixels(2, 0), 0x77u);
    platform::Picture inconsistent { 4, 4, { 1, 2, 3 }, false };
    EXPECT_THROW(dib.LoadPicture(inconsistent), EDIBError);
    EXPECT_EQ(dib.Width(), 3);
}

struct TablePalette : IDIBLookupPalette {
    std::vector<uint8_t> table;
    const uint8_t* LookupTable() const override { return table.empty() ? nullptr : table.data(); }
    std::vector<uint32_t> Entries() const override { return { 0x000000, 0xFFFFFF }; }
};

struct RecordingDevice : IDIB8BitDevice {
    int bits = 8;
    int x = 0, y = 0, width = 0, height = 0, stride = 0;
    std::vector<uint8_t> data;
    std::vector<uint32_t> colors;
    int BitsPerPixel() const override { return bits; }
    void SetDIBitsToDevice(int px, int py, int w, int h, const uint8_t* b, int s, const std::vector<uint32_t>& c) override
    {
        x = px, y = py, width = w, height = h, stride = s;
        data.assign(b, b + static_cast<size_t>(s) * h);
        colors = c;
    }
};

TEST(Render8Bit, LooksUpEveryPixelAndPadsRows)
{
    TablePalette palette;
    palette.table.assign(IDIBLookupPalette::LookupTableSize, 0);
    palette.table[(0x40 >> 2) + (0x80 >> 2) * 64 + (0xFC >> 2) * 4096] = 9; // red fc, green 80, blue 40
    palette.table[63] = 5;                                                  // blue ff only
    TMemoryDIB dib;
    PutRows(dib, { { 0x00FC8040, 0x000000FF, 0 }, { 0, 0x00FC8043, 0x000000FC } });
    RecordingDevice device;
    dib.Render8Bit(device, 10, 20, palette, -1, 0, 3, 5);
    EXPECT_EQ(device.x, 11);
    EXPECT_EQ(device.y, 20);
    EXPECT_EQ(device.width, 2);
    EXPECT_EQ(device.height, 2);
    EXPECT_EQ(device.stride, 4);
    // Bottom row first.
    EXPECT_EQ(device.data, (std::vector<uint8_t> { 0, 9, 0, 0, 9, 5, 0, 0 }));
    EXPECT_EQ(device.colors.size(), 2u);
}

TEST(Render8Bit, HugeRectanglesAreClippedWithoutWrapping)
{
    TablePalette palette;
    palette.table.assign(IDIBLookupPalette::LookupTableSize, 3);
    TMemoryDIB dib(2, 1);
    RecordingDevice device;
    dib.Render8Bit(device, 0, 0, palette, 1, 0, 0x7FFFFFFF, 0x7FFFFFFF);
    EXPECT_EQ(device.width, 1);
    EXPECT_EQ(device.height, 1);
    EXPECT_EQ(device.data, (std::vector<uint8_t> { 3, 0, 0, 0 }));
    RecordingDevice untouched;
    dib.Render8Bit(untouched, 0, 0, palette, 5, 0, 2, 2);
    EXPECT_EQ(untouched.width, 0);
}

TEST(Render8Bit, RefusesAPaletteWithoutTableAndADeepDevice)
{
    TMemoryDIB dib(2, 2);
    TablePalette none;
    RecordingDevice device;
    try {
        dib.Render8Bit(device, 0, 0, none, 0, 0, 2, 2);
        FAIL();
    } catch (const EDIBError& e) {
        EXPECT_STREQ(e.what(), "Render8Bit can only be used with a palette containing a lookup table");
    }
    TablePalette palette;
    palette.table.assign(IDIBLookupPalette::LookupTableSize, 0);
    device.bits = 32;
    try {
        dib.Render8Bit(device, 0, 0, palette, 0, 0, 2, 2);
        FAIL();
    } catch (const EDIBError& e) {
        EXPECT_STREQ(e.what(), "Render8Bit can only be used to blit to an 8 bit DC");
    }
}

TEST(WinDIBCanvas, DrawsIntoTheSurfacesMemoryAndFollowsResizes)
{
    TWinDIB dib(3, 2);
    int changes = 0;
    dib.OnChange = [&](TAbstractSuperDIB*) { ++changes; };
    dib.Canvas().FillPixels(TRect { 1, 0, 2, 1 }, 0x00ABCDEF);
    EXPECT_EQ(dib.Pixels(1, 0), 0x00ABCDEFu);
    EXPECT_GE(changes, 1);
    dib.SetSize(6, 6);
    dib.Canvas().FillPixels(TRect { 5, 5, 6, 6 }, 0x0000FF00);
    EXPECT_EQ(dib.Pixels(5, 5), 0x0000FF00u);
}

}
