#include "dib/cDIBFormShaper.h"

#include <gtest/gtest.h>

#include <string>

namespace {

constexpr uint32_t White = 0xFFFFFFFFu;
constexpr uint32_t Black = 0xFF000000u;
constexpr uint32_t Red = 0xFFFF0000u; // pixel order

// Rows top-down, one character per pixel: '#' black, '.' white, 'r' red.
void Paint(TAbstractSuperDIB& dib, const std::vector<std::string>& rows)
{
    dib.SetSize(static_cast<int>(rows[0].size()), static_cast<int>(rows.size()));
    for (int y = 0; y < dib.Height(); ++y)
        for (int x = 0; x < dib.Width(); ++x)
            dib.SetPixel(x, y, rows[y][x] == '#' ? Black : rows[y][x] == 'r' ? Red : White);
}

const std::vector<std::string> Picture = {
    "###.",
    ".#..",
    ".##.",
};
const std::vector<TRect> PictureRegion = { { 0, 0, 3, 1 }, { 1, 2, 3, 3 } };

struct ShaperRig {
    THeadlessShapeTarget form;
    TDIBFormShaper shaper { &form };

    ShaperRig()
    {
        form.width = form.clientWidth = 4;
        form.height = form.clientHeight = 3;
        TMemoryDIB bitmap;
        Paint(bitmap, Picture);
        shaper.SetBitmap(bitmap);
    }
};

}

TEST(FormShaper, BitmapWithAutoKeyCoversRunsOfTheOtherColour)
{
    ShaperRig rig;
    EXPECT_FALSE(rig.form.region.has_value()) << "nothing happens while inactive";
    rig.shaper.SetActive(true);
    EXPECT_TRUE(rig.shaper.Active());
    ASSERT_TRUE(rig.form.region.has_value());
    EXPECT_EQ(*rig.form.region, PictureRegion) << "the lone pixel of the middle row is left out";
}

TEST(FormShaper, FixedKeyComesFromTheShaper)
{
    ShaperRig rig;
    rig.shaper.SetActive(true);
    rig.shaper.SetTransparentColor(RGB(0, 0, 0)); // no effect in tmAuto
    EXPECT_EQ(*rig.form.region, PictureRegion);
    rig.shaper.SetTransparentMode(tmFixed);
    // Black is now the key: the white runs remain.
    EXPECT_EQ(*rig.form.region, (std::vector<TRect> { { 2, 1, 4, 2 } }));
}

TEST(FormShaper, OffsetsMoveTheShapeAtOnce)
{
    ShaperRig rig;
    rig.shaper.SetActive(true);
    int changes = rig.form.regionChanges;
    rig.shaper.SetOffsetX(5);
    EXPECT_EQ(rig.form.regionChanges, changes + 1);
    rig.shaper.SetOffsetY(-1);
    EXPECT_EQ(*rig.form.region, (std::vector<TRect> { { 5, -1, 8, 0 }, { 6, 1, 8, 2 } }));
}

TEST(FormShaper, SwitchingOffRemovesTheRegion)
{
    ShaperRig rig;
    rig.shaper.SetActive(true);
    rig.shaper.SetActive(false);
    EXPECT_FALSE(rig.shaper.Active());
    EXPECT_FALSE(rig.form.region.has_value());
    int changes = rig.form.regionChanges;
    rig.shaper.SetOffsetX(3);
    EXPECT_EQ(rig.form.regionChanges, changes) << "an inactive shaper does not re-apply";
}

TEST(FormShaper, WithoutTargetOrPictureNothingIsShaped)
{
    TDIBFormShaper orphan;
    orphan.SetActive(true);
    EXPECT_FALSE(orphan.Active());

    THeadlessShapeTarget form;
    TDIBFormShaper empty(&form);
    empty.SetActive(true);
    EXPECT_TRUE(empty.Active());
    EXPECT_EQ(form.regionChanges, 0) << "an empty bitmap and no image leave the window alone";
}

TEST(FormShaper, AllKeyPictureGivesAnEmptyRegionNotNone)
{
    THeadlessShapeTarget form;
    TDIBFormShaper shaper(&form);
    TMemoryDIB blank;
    Paint(blank, { "...", "..." });
    shaper.SetBitmap(blank);
    shaper.SetActive(true);
    ASSERT_TRUE(form.region.has_value());
    EXPECT_TRUE(form.region->empty());
}

TEST(FormShaper, LoadingOnlyStoresUntilLoaded)
{
    ShaperRig rig;
    rig.shaper.BeginLoading();
    rig.shaper.SetActive(true);
    rig.shaper.SetOffsetX(1);
    EXPECT_TRUE(rig.shaper.Active());
    EXPECT_EQ(rig.form.regionChanges, 0);
    rig.shaper.Loaded();
    EXPECT_FALSE(rig.shaper.IsLoading());
    ASSERT_TRUE(rig.form.region.has_value());
    EXPECT_EQ(rig.form.region->front(), (TRect { 1, 0, 4, 1 }));
}

TEST(FormShaper, ImageListPictureIsPreferredAndItsKeyIsItsOwnColour)
{
    ShaperRig rig;
    TDIBImageList list;
    TMemoryDIB& item = list.DIBImages().Add().DIB();
    Paint(item, { "#rr#", "rrrr", "r##r" }); // bottom-left red: red and blue differ, so a swapped key would miss
    rig.shaper.SetDIBImageList(&list);
    rig.shaper.IndexShape().SetDIBIndex(0);
    rig.shaper.SetActive(true);
    EXPECT_EQ(*rig.form.region, (std::vector<TRect> { { 1, 2, 3, 3 } }));

    // tmFixed: the picture's own key when it is transparent...
    item.SetTransparentMode(tmFixed);
    item.SetTransparentColor(RGB(0, 0, 0));
    item.SetTransparent(true);
    rig.shaper.SetTransparentColor(RGB(255, 255, 255));
    rig.shaper.SetTransparentMode(tmFixed);
    EXPECT_EQ(*rig.form.region, (std::vector<TRect> { { 1, 0, 3, 1 }, { 0, 1, 4, 2 } }));
    // ... else the shaper's.
    item.SetTransparent(false);
    EXPECT_EQ(*rig.form.region, (std::vector<TRect> { { 0, 0, 4, 1 }, { 0, 1, 4, 2 }, { 0, 2, 4, 3 } }));
}

TEST(FormShaper, ChangesOfTheLinkedPictureReapply)
{
    ShaperRig rig;
    TDIBImageList list;
    Paint(list.DIBImages().Add().DIB(), { "#..", "..." });
    rig.shaper.SetDIBImageList(&list);
    rig.shaper.IndexShape().SetDIBIndex(0);
    rig.shaper.SetActive(true);
    EXPECT_TRUE(rig.form.region->empty());

    Paint(list.DIBImages().Items(0)->DIB(), { "##.", "..." });
    list.DIBImages().Items(0)->DIB().Changed();
    EXPECT_EQ(*rig.form.region, (std::vector<TRect> { { 0, 0, 2, 1 } }));

    list.DIBImages().Delete(0);
    EXPECT_EQ(rig.shaper.IndexShape().DIBIndex(), -1);
    EXPECT_EQ(*rig.form.region, PictureRegion) << "back to the bitmap";
}

TEST(FormShaper, BorderedFormsShiftTheShapeIntoTheClientArea)
{
    ShaperRig rig;
    rig.form.border = true;
    rig.form.width = 108;
    rig.form.clientWidth = 100;
    rig.form.height = 130;
    rig.form.clientHeight = 100;
    rig.shaper.SetClientAreaOnly(true);
    rig.shaper.SetActive(true);
    EXPECT_EQ(rig.form.region->front(), (TRect { 4, 26, 7, 27 }));

    rig.form.border = false; // borderless and not designed: no shift, whatever ClientAreaOnly says
    rig.shaper.Apply();
    EXPECT_EQ(rig.form.region->front(), (TRect { 0, 0, 3, 1 }));
    rig.form.designing = true;
    rig.shaper.Apply();
    EXPECT_EQ(rig.form.region->front(), (TRect { 4, 26, 7, 27 }));
}

TEST(FormShaper, RetargetingSwitchesOffAndNonFormsTakeNoClientAreaOption)
{
    ShaperRig rig;
    rig.shaper.SetClientAreaOnly(true);
    rig.shaper.SetActive(true);
    THeadlessShapeTarget panel;
    panel.form = false;
    rig.shaper.SetControlToShape(&panel);
    EXPECT_FALSE(rig.shaper.Active());
    EXPECT_FALSE(rig.form.region.has_value()) << "the former target is whole again";
    EXPECT_FALSE(rig.shaper.ClientAreaOnly());
    rig.shaper.SetClientAreaOnly(true);
    EXPECT_FALSE(rig.shaper.ClientAreaOnly());
    EXPECT_EQ(rig.shaper.ControlToShape(), &panel);

    rig.shaper.SetActive(true);
    EXPECT_TRUE(panel.region.has_value());
    int changes = panel.regionChanges;
    rig.shaper.TargetRemoved(&panel);
    EXPECT_FALSE(rig.shaper.Active());
    EXPECT_EQ(panel.regionChanges, changes) << "a window going away is not touched";
    EXPECT_EQ(rig.shaper.ControlToShape(), &rig.form) << "the owner again";
}
