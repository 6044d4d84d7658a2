#include "platform/avi/AviClip.h"
#include "platform/components/ComCtrls.h"
#include "platform/components/ExtCtrls.h"
#include "platform/components/Forms.h"
#include "platform/picture/Picture.h"
#include "tests/platform/components/ControlFixture.h"

#include <gtest/gtest.h>

using namespace platform;
using componenttest::ControlFixture;

namespace {

// A 2 x 1 clip of four frames at 100 ms, frame n showing palette colour n.
std::vector<uint8_t> FourFrameClip()
{
    Rle8ClipSource source { .width = 2, .height = 1, .microSecPerFrame = 100000, .palette = { 0x000000, 0x110000, 0x002200, 0x000033 }, .frames = {} };
    for (uint8_t i = 0; i < 4; ++i)
        source.frames.push_back({ i, i });
    return WriteRle8Avi(source);
}

using Animate = ControlFixture;

TEST_F(Animate, PlaysOnceUpToItsStopFrameAndReportsStartAndStop)
{
    auto* animate = new TAnimate(form.get());
    animate->SetParent(form.get());
    animate->LoadClip(FourFrameClip());
    std::vector<std::string> events;
    animate->OnStart = [&](TObject*) { events.push_back("start" + std::to_string(animate->CurrentFrame())); };
    animate->OnStop = [&](TObject*) { events.push_back("stop" + std::to_string(animate->CurrentFrame())); };
    animate->SetRepetitions(1);
    animate->SetStopFrame(3);
    animate->SetActive(true);
    EXPECT_EQ(animate->CurrentFrame(), 1);
    loop.Advance(100);
    EXPECT_EQ(animate->CurrentFrame(), 2);
    loop.Advance(100);
    EXPECT_EQ(animate->CurrentFrame(), 3);
    EXPECT_TRUE(animate->Active());
    loop.Advance(100);
    EXPECT_FALSE(animate->Active());
    EXPECT_EQ(events, (std::vector<std::string> { "start1", "stop3" }));
    loop.Advance(1000);
    EXPECT_EQ(animate->CurrentFrame(), 3);
    EXPECT_EQ(loop.TimerCount(), 0u);
}

TEST_F(Animate, WithoutAClipOrWithABrokenOneNothingPlaysOrChanges)
{
    auto* animate = new TAnimate(form.get());
    animate->SetActive(true);
    EXPECT_FALSE(animate->Active());
    EXPECT_EQ(loop.TimerCount(), 0u);
    animate->LoadClip(FourFrameClip());
    std::vector<uint8_t> broken = FourFrameClip();
    broken.resize(broken.size() / 2);
    EXPECT_THROW(animate->LoadClip(broken), EConvertError);
    EXPECT_EQ(animate->FrameCount(), 4);
    EXPECT_THROW(animate->LoadClip(std::vector<uint8_t>(10, 0)), EConvertError);
}

// The clip's background (its top-left pixel's colour) gives way to the player's own colour
// only when the player is transparent.
TEST_F(Animate, TransparentLetsItsColourShowWhereTheClipHasItsBackground)
{
    const Rle8ClipSource source { .width = 2, .height = 1, .palette = { 0x000000, 0x112233 }, .frames = { { 0, 1 } } };
    form->SetBounds(0, 0, 2, 1);
    form->Show();
    for (bool transparent : { true, false }) {
        auto* animate = new TAnimate(form.get());
        animate->SetParent(form.get());
        animate->SetBounds(0, 0, 2, 1);
        animate->SetColor(clRed);
        animate->SetTransparent(transparent);
        animate->LoadClip(WriteRle8Avi(source));
        animate->Seek(1);
        form->PaintNow();
        EXPECT_EQ(form->Surface().At(0, 0) & 0xFFFFFFu, transparent ? 0xFF0000u : 0x000000u) << transparent;
        EXPECT_EQ(form->Surface().At(1, 0) & 0xFFFFFFu, 0x112233u) << transparent;
        delete animate;
    }
}

using Pictures = ControlFixture;

TEST_F(Pictures, PictureDataCarriesTheFileAndRejectsBrokenData)
{
    TPicture picture;
    picture.LoadFromBytes(EncodeBitmap({ .width = 2, .height = 1, .pixels = { 0xFF112233, 0xFF445566 } }, 24));
    EXPECT_EQ(picture.GraphicClass(), "TBitmap");
    TFiler filer;
    picture.DefineProperties(filer);
    const DefinedProperty* data = filer.Find("Data");
    ASSERT_NE(data, nullptr);
    ASSERT_TRUE(data->hasData);
    PropertyValue stored = data->write();
    ASSERT_EQ(stored.bytes[0], 7);
    EXPECT_EQ(std::string(stored.bytes.begin() + 1, stored.bytes.begin() + 8), "TBitmap");

    TPicture copy;
    TFiler copyFiler;
    copy.DefineProperties(copyFiler);
    copyFiler.Find("Data")->read(stored);
    EXPECT_EQ(copy.Width(), 2);
    EXPECT_EQ(copy.Bitmap().View().At(1, 0) & 0xFFFFFF, 0x445566u);

    PropertyValue truncated = stored;
    truncated.bytes.resize(12);
    EXPECT_THROW(copyFiler.Find("Data")->read(truncated), EConvertError);
    PropertyValue lying = stored;
    lying.bytes[8] = 0xFF; // the size field says more than there is
    lying.bytes[11] = 0x7F;
    EXPECT_THROW(copyFiler.Find("Data")->read(lying), EConvertError);
    PropertyValue unknown = stored;
    unknown.bytes[1] = 'X';
    EXPECT_THROW(copyFiler.Find("Data")->read(unknown), EConvertError);
    // The failed reads left the picture as it was.
    EXPECT_EQ(copy.Width(), 2);
}

TEST(BitmapData, IsTheFileAfterItsSizeAndRejectsBrokenData)
{
    Picture source;
    source.width = 1;
    source.height = 1;
    source.pixels = { 0xFF102030 };
    const std::vector<uint8_t> file = EncodeBitmap(source, 24);
    TBitmap bitmap;
    bitmap.LoadFromBytes(file);
    TFiler filer;
    bitmap.DefineProperties(filer);
    const PropertyValue stored = filer.Find("Data")->write();
    std::vector<uint8_t> expected = { static_cast<uint8_t>(file.size()), 0, 0, 0 };
    expected.insert(expected.end(), file.begin(), file.end());
    EXPECT_EQ(stored.bytes, expected);

    TBitmap copy;
    TFiler copyFiler;
    copy.DefineProperties(copyFiler);
    copyFiler.Find("Data")->read(stored);
    EXPECT_EQ(copy.View().At(0, 0) & 0xFFFFFF, 0x102030u);
    for (size_t size : { size_t(0), size_t(3), stored.bytes.size() - 1 }) {
        PropertyValue cut = stored;
        cut.bytes.resize(size);
        EXPECT_THROW(copyFiler.Find("Data")->read(cut), EConvertError) << size;
    }
    EXPECT_EQ(copy.Width(), 1);
}

TEST_F(Pictures, TransparentImageLetsTheKeyColourThrough)
{
    form->SetBounds(0, 0, 3, 1);
    form->SetColor(clBlue);
    TImage* image = AddImage({ 0, 0, 3, 1 }, { 3, 1 });
    PixelView v = image->Picture().Bitmap().View();
    v.At(0, 0) = 0x00ABCDEF; // bottom-left: the key
    v.At(1, 0) = 0x00123456;
    v.At(2, 0) = 0x00ABCDEF;
    image->SetTransparent(true);
    form->PaintNow();
    const PixelView& s = form->Surface();
    EXPECT_EQ(s.At(0, 0) & 0xFFFFFF, 0x0000FFu); // blue, pixel order
    EXPECT_EQ(s.At(1, 0) & 0xFFFFFF, 0x123456u);
    EXPECT_EQ(s.At(2, 0) & 0xFFFFFF, 0x0000FFu);
}

TEST_F(Pictures, StretchScalesToTheControl)
{
    form->SetBounds(0, 0, 4, 2);
    TImage* image = AddImage({ 0, 0, 4, 2 }, { 2, 1 });
    PixelView v = image->Picture().Bitmap().View();
    v.At(0, 0) = 0x00000011;
    v.At(1, 0) = 0x00000022;
    image->SetStretch(true);
    form->PaintNow();
    const PixelView& s = form->Surface();
    for (int y = 0; y < 2; ++y) {
        EXPECT_EQ(s.At(0, y) & 0xFFFFFF, 0x11u);
        EXPECT_EQ(s.At(1, y) & 0xFFFFFF, 0x11u);
        EXPECT_EQ(s.At(2, y) & 0xFFFFFF, 0x22u);
        EXPECT_EQ(s.At(3, y) & 0xFFFFFF, 0x22u);
    }
}

}
