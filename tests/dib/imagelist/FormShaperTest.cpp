#include "dib/imagelist/cDIBFormShaper.h"

#include "platform/components/ClassBuilder.h"

#include <gtest/gtest.h>

#include <string>

using platform::TForm;

namespace {

constexpr uint32_t White = 0xFFFFFFFFu;
constexpr uint32_t Black = 0xFF000000u;
constexpr uint32_t Red = 0xFFFF0000u; // pixel order

// Rows top-down, one character per pixel: '#' black, '.' white, 'r' red.
uint32_t PixelOf(char c) { return c == '#' ? Black : c == 'r' ? Red
                                                              : White; }

void Paint(TAbstractSuperDIB& dib, const std::vector<std::string>& rows)
{
    dib.SetSize(static_cast<int>(rows[0].size()), static_cast<int>(rows.size()));
    for (int y = 0; y < dib.Height(); ++y)
        for (int x = 0; x < dib.Width(); ++x)
            dib.SetPixel(x, y, PixelOf(rows[y][x]));
}

platform::TBitmap BitmapOf(const std::vector<std::string>& rows)
{
    platform::TBitmap bitmap;
    bitmap.SetSize(static_cast<int>(rows[0].size()), static_cast<int>(rows.size()));
    PixelView view = bitmap.View();
    for (int y = 0; y < view.height; ++y)
        for (int x = 0; x < view.width; ++x)
            view.At(x, y) = PixelOf(rows[y][x]);
    return bitmap;
}

const std::vector<std::string> Picture = {
    "###.",
    ".#..",
    ".##.",
};
const std::vector<TRect> PictureRegion = { { 0, 0, 3, 1 }, { 1, 2, 3, 3 } };

// A form with a frame: its client area is smaller than the window.
class FramedForm : public TForm {
public:
    using TForm::TForm;
    int frame = 0;
    int caption = 0;
    int ClientWidth() const override { return Width() - 2 * frame; }
    int ClientHeight() const override { return Height() - 2 * frame - caption; }
};

struct ShaperRig {
    platform::ComponentPtr<FramedForm> form { new FramedForm(nullptr) };
    TDIBFormShaper* shaper = new TDIBFormShaper(form.get());

    ShaperRig()
    {
        form->SetBorderStyle(platform::TFormBorderStyle::bsNone);
        form->SetBounds(0, 0, 4, 3);
        shaper->SetBitmap(BitmapOf(Picture));
    }
    const std::vector<TRect>& Region() const { return form->Shape(); }
};

}

TEST(FormShaper, BitmapWithAutoKeyCoversRunsOfTheOtherColour)
{
    ShaperRig rig;
    EXPECT_EQ(rig.shaper->ControlToShape(), rig.form.get()) << "the owning form by default";
    EXPECT_TRUE(rig.Region().empty()) << "nothing happens while inactive";
    rig.shaper->SetActive(true);
    EXPECT_TRUE(rig.shaper->Active());
    EXPECT_EQ(rig.Region(), PictureRegion) << "the lone pixel of the middle row is left out";
}

TEST(FormShaper, FixedKeyComesFromTheShaper)
{
    ShaperRig rig;
    rig.shaper->SetActive(true);
    rig.shaper->SetTransparentColor(RGB(0, 0, 0)); // no effect in tmAuto
    EXPECT_EQ(rig.Region(), PictureRegion);
    rig.shaper->SetTransparentMode(tmFixed);
    // Black is now the key: the white runs remain.
    EXPECT_EQ(rig.Region(), (std::vector<TRect> { { 2, 1, 4, 2 } }));
}

TEST(FormShaper, OffsetsMoveTheShapeAtOnce)
{
    ShaperRig rig;
    rig.shaper->SetActive(true);
    rig.shaper->SetOffsetX(5);
    EXPECT_EQ(rig.Region().front(), (TRect { 5, 0, 8, 1 }));
    rig.shaper->SetOffsetY(-1);
    EXPECT_EQ(rig.Region(), (std::vector<TRect> { { 5, -1, 8, 0 }, { 6, 1, 8, 2 } }));
}

TEST(FormShaper, SwitchingOffRemovesTheRegionAndStopsReapplying)
{
    ShaperRig rig;
    rig.shaper->SetActive(true);
    rig.shaper->SetActive(false);
    EXPECT_FALSE(rig.shaper->Active());
    EXPECT_TRUE(rig.Region().empty());
    rig.shaper->SetOffsetX(3);
    rig.shaper->SetBitmap(BitmapOf({ "##" }));
    EXPECT_TRUE(rig.Region().empty());
}

TEST(FormShaper, WithoutTargetOrPictureNothingIsShaped)
{
    TDIBFormShaper orphan(nullptr);
    orphan.SetActive(true);
    EXPECT_FALSE(orphan.Active());
    EXPECT_EQ(orphan.ControlToShape(), nullptr);

    platform::ComponentPtr<TForm> form(new TForm(nullptr));
    auto* empty = new TDIBFormShaper(form.get());
    empty->SetActive(true);
    EXPECT_TRUE(empty->Active());
    EXPECT_TRUE(form->Shape().empty()) << "an empty bitmap and no image leave the window alone";
}

TEST(FormShaper, LoadingOnlyStoresUntilLoaded)
{
    ShaperRig rig;
    rig.shaper->BeginLoading();
    rig.shaper->SetActive(true);
    rig.shaper->SetOffsetX(1);
    EXPECT_TRUE(rig.shaper->Active());
    EXPECT_TRUE(rig.Region().empty());
    rig.shaper->Loaded();
    EXPECT_FALSE(rig.shaper->IsLoading());
    ASSERT_FALSE(rig.Region().empty());
    EXPECT_EQ(rig.Region().front(), (TRect { 1, 0, 4, 1 }));
}

TEST(FormShaper, ImageListPictureIsPreferredAndItsKeyIsItsOwnColour)
{
    ShaperRig rig;
    TDIBImageList list;
    TMemoryDIB& item = list.DIBImages().Add().DIB();
    Paint(item, { "#rr#", "rrrr", "r##r" }); // bottom-left red: red and blue differ, so a swapped key would miss
    rig.shaper->SetDIBImageList(&list);
    rig.shaper->IndexShape().SetDIBIndex(0);
    rig.shaper->SetActive(true);
    EXPECT_EQ(rig.Region(), (std::vector<TRect> { { 1, 2, 3, 3 } }));

    // tmFixed: the picture's own key when it is transparent...
    item.SetTransparentMode(tmFixed);
    item.SetTransparentColor(RGB(0, 0, 0));
    item.SetTransparent(true);
    rig.shaper->SetTransparentColor(RGB(255, 255, 255));
    rig.shaper->SetTransparentMode(tmFixed);
    EXPECT_EQ(rig.Region(), (std::vector<TRect> { { 1, 0, 3, 1 }, { 0, 1, 4, 2 } }));
    // ... else the shaper's.
    item.SetTransparent(false);
    EXPECT_EQ(rig.Region(), (std::vector<TRect> { { 0, 0, 4, 1 }, { 0, 1, 4, 2 }, { 0, 2, 4, 3 } }));
    rig.shaper->SetDIBImageList(nullptr);
}

TEST(FormShaper, ChangesOfTheLinkedPictureReapply)
{
    ShaperRig rig;
    TDIBImageList list;
    Paint(list.DIBImages().Add().DIB(), { "#.#", "..." });
    rig.shaper->SetDIBImageList(&list);
    rig.shaper->IndexShape().SetDIBIndex(0);
    rig.shaper->SetActive(true);
    EXPECT_TRUE(rig.Region().empty());

    Paint(list.DIBImages().Items(0)->DIB(), { "##.", "..." });
    list.DIBImages().Items(0)->DIB().Changed();
    EXPECT_EQ(rig.Region(), (std::vector<TRect> { { 0, 0, 2, 1 } }));

    list.DIBImages().Delete(0);
    EXPECT_EQ(rig.shaper->IndexShape().DIBIndex(), -1);
    EXPECT_EQ(rig.Region(), PictureRegion) << "back to the bitmap";
}

TEST(FormShaper, FramedFormsShiftTheShapeIntoTheClientArea)
{
    ShaperRig rig;
    rig.form->frame = 4;
    rig.form->caption = 18;
    rig.form->SetBounds(0, 0, 108, 130); // client 100 x 104
    rig.form->SetBorderStyle(platform::TFormBorderStyle::bsSingle);
    rig.shaper->SetClientAreaOnly(true);
    rig.shaper->SetActive(true);
    EXPECT_EQ(rig.Region().front(), (TRect { 4, 22, 7, 23 }));

    rig.shaper->SetClientAreaOnly(false);
    EXPECT_EQ(rig.Region().front(), (TRect { 0, 0, 3, 1 }));
}

TEST(FormShaper, RetargetingSwitchesOffAndNonFormsTakeNoClientAreaOption)
{
    ShaperRig rig;
    rig.shaper->SetClientAreaOnly(true);
    rig.shaper->SetActive(true);
    auto* panel = new platform::TWinControl(rig.form.get());
    rig.shaper->SetControlToShape(panel);
    EXPECT_FALSE(rig.shaper->Active());
    EXPECT_TRUE(rig.Region().empty()) << "the former target is whole again";
    EXPECT_FALSE(rig.shaper->ClientAreaOnly());
    rig.shaper->SetClientAreaOnly(true);
    EXPECT_FALSE(rig.shaper->ClientAreaOnly());
    EXPECT_EQ(rig.shaper->ControlToShape(), panel);

    rig.shaper->SetActive(true);
    EXPECT_TRUE(rig.shaper->Active());
    platform::TComponent::Free(panel);
    EXPECT_FALSE(rig.shaper->Active()) << "the target went away";
    EXPECT_EQ(rig.shaper->ControlToShape(), rig.form.get()) << "the owner again";
}

TEST(FormShaper, ControlToShapeFallsBackToTheNearestForm)
{
    platform::ComponentPtr<TForm> form(new TForm(nullptr));
    auto* holder = new platform::TComponent(form.get());
    auto* shaper = new TDIBFormShaper(holder);
    EXPECT_EQ(shaper->ControlToShape(), form.get());
    shaper->SetBitmap(BitmapOf(Picture));
    shaper->SetActive(true);
    EXPECT_FALSE(shaper->Active()) << "only a stored control or a windowed owner takes the region";
}

TEST(FormShaper, PublishedForLayouts)
{
    ASSERT_NE(platform::FindClass("TDIBFormShaper"), nullptr);
    ShaperRig rig;
    platform::SetPropertyValue(*rig.shaper, "TransparentMode", platform::PropertyValue::Ident("tmFixed"));
    EXPECT_EQ(rig.shaper->TransparentMode(), tmFixed);
    platform::SetPropertyValue(*rig.shaper, "IndexShape.DIBIndex", platform::PropertyValue::Int(3));
    EXPECT_EQ(rig.shaper->IndexShape().DIBIndex(), 3);
}
