#include "dib/palette/cDIBPalette.h"
#include "platform/host/ProgramHost.h"
#include "platform/window/HeadlessWindow.h"
#include "tests/support/GoldenImage.h"
#include "tests/support/FormRig.h"

#include <gtest/gtest.h>

#include <stdexcept>
#include <string>
#include <vector>

using namespace platform;

namespace {

// A form that paints fixed colours: a top row of pure red, green and blue, the rest `fill`.
class ColourForm : public TForm {
public:
    using TForm::TForm;
    TColor fill = 0x00404040;
    int paints = 0;

protected:
    void PaintWindow(TCanvas&) override
    {
        ++paints;
        const PixelView& s = Surface();
        for (int y = 0; y < s.height; ++y)
            for (int x = 0; x < s.width; ++x)
                s.At(x, y) = y == 0 && x < 3 ? (0xFF0000u >> (8 * x)) : ((fill & 0xFF) << 16 | (fill & 0xFF00) | (fill >> 16 & 0xFF));
    }
};

struct DisplayFixture : ::testing::Test, torva::test::FormRig<ColourForm> {
    HeadlessWindow* window = nullptr;

    void Open(int depth)
    {
        auto w = std::make_unique<HeadlessWindow>(loop, TSize { 640, 480 }, depth);
        window = w.get();
        form->SetBounds(0, 0, 4, 3);
        form->SetWindow(std::move(w));
        form->Show();
        loop.ProcessMessages();
    }
    std::vector<uint32_t> ShownColours() const
    {
        std::vector<uint32_t> out;
        for (int y = 0; y < 3; ++y)
            for (int x = 0; x < 4; ++x)
                out.push_back(window->ScreenPixel(x, y) & 0xFFFFFF);
        return out;
    }
};

using PalettedDisplay = DisplayFixture;

TEST(HeadlessDepth, IsAHostOption)
{
    std::vector<std::string> args { "--headless", "--depth", "8", "rest" };
    EXPECT_EQ(TakeHostOptions(args).depth, 8);
    EXPECT_EQ(args, (std::vector<std::string> { "rest" }));
    args = {};
    EXPECT_EQ(TakeHostOptions(args).depth, 32);
    for (std::vector<std::string> bad : { std::vector<std::string> { "--depth", "16" }, std::vector<std::string> { "--depth" } })
        EXPECT_THROW(TakeHostOptions(bad), HostOptionError);
}

TEST_F(PalettedDisplay, WithoutPaletteColoursSnapToTheFixedEntries)
{
    Open(8);
    // Dark grey 0x404040 is as far from black as from the dark fixed colours: black, the
    // lowest entry, wins.
    EXPECT_EQ(ShownColours(), (std::vector<uint32_t> { 0xFF0000, 0x00FF00, 0x0000FF, 0, 0, 0, 0, 0, 0, 0, 0, 0 }));
    EXPECT_EQ(window->ScreenIndex(0, 0), 249);
}

TEST_F(PalettedDisplay, ThirtyTwoBitDisplayShowsThePixelsAsTheyAre)
{
    new TDIBPalette(form.get());
    Open(32);
    EXPECT_EQ(ShownColours()[4], 0x404040u);
    EXPECT_EQ(window->RealizePalette({ 0x123456 }, false), 0);
    EXPECT_EQ(ScreenshotPicture(window, form->Surface()).bits, form->Surface().bits);
}

TEST_F(PalettedDisplay, ThePaletteIsRealizedAndTheTableDecidesEachPixel)
{
    auto* palette = new TDIBPalette(form.get());
    palette->SetUseTable(true);
    Open(8);
    // The grey ramp took the free system entries; 0x404040 is ramp entry 255 - 64 = 191.
    EXPECT_EQ(window->SystemPalette()[10], 0xFFFFFFu);
    EXPECT_EQ(window->SystemPalette()[10 + 191], 0x404040u);
    EXPECT_EQ(window->ScreenIndex(3, 2), 10 + 191);
    EXPECT_EQ(ShownColours()[11], 0x404040u);
    // Screenshots show what the paletted display shows, not the form's own picture.
    EXPECT_EQ(ScreenshotPicture(window, form->Surface()).bits, window->Screen().bits);
    // The ramp has no red: the table maps it to the nearest grey, not to the fixed red.
    const uint32_t red = ShownColours()[0];
    EXPECT_EQ(red & 0xFF, (red >> 16) & 0xFF);
}

TEST_F(PalettedDisplay, WithoutTableThePaletteIsRealizedForAPlainBlit)
{
    new TDIBPalette(form.get());
    Open(8);
    EXPECT_EQ(ShownColours()[0], 0xFF0000u); // the fixed red is still nearest
    EXPECT_EQ(ShownColours()[11], 0x404040u);
}

TEST_F(PalettedDisplay, PaletteMessagesRealizeAndRepaint)
{
    new TDIBPalette(form.get());
    Open(8);
    const int paints = form->paints;
    // Another program takes the free entries: our colours map elsewhere, the form repaints.
    std::vector<uint32_t> foreign(236, 0x00FF80);
    window->InjectForeignPalette(foreign);
    loop.ProcessMessages();
    EXPECT_GT(form->paints, paints);
    EXPECT_EQ(window->SystemPalette()[100], 0x00FF80u);

    // Coming back to the front takes the entries back, and the form repaints again.
    const int afterForeign = form->paints;
    window->InjectActivate();
    loop.ProcessMessages();
    EXPECT_EQ(window->SystemPalette()[100], 0xA5A5A5u);
    EXPECT_GT(form->paints, afterForeign);
    EXPECT_TRUE(form->Active());
}

TEST_F(PalettedDisplay, OtherMessagesStillReachTheFormAndTheHookGoesWithThePalette)
{
    auto* palette = new TDIBPalette(form.get());
    Open(8);
    bool closed = false;
    form->OnClose = [&](TObject*) { closed = true; };
    window->InjectClose();
    loop.ProcessMessages();
    EXPECT_TRUE(closed);

    TComponent::Free(palette);
    EXPECT_FALSE(form->PresentProc());
    closed = false;
    window->InjectClose();
    window->InjectActivate();
    loop.ProcessMessages();
    EXPECT_TRUE(closed);
}

// A colour sweep through a palette of primaries and greys, shown on the paletted display.
class SweepForm : public TForm {
public:
    using TForm::TForm;

protected:
    void PaintWindow(TCanvas&) override
    {
        const PixelView& s = Surface();
        for (int y = 0; y < s.height; ++y)
            for (int x = 0; x < s.width; ++x)
                s.At(x, y) = uint32_t(x * 8) << 16 | uint32_t(y * 16) << 8 | uint32_t(255 - x * 8);
    }
};

TEST(PalettedDisplayGolden, SweepThroughTheLookupTable)
{
    torva::test::FormRig<SweepForm> rig;
    auto& loop = rig.loop;
    auto& form = rig.form;
    auto* palette = new TDIBPalette(form.get());
    auto entries = TDIBPalette::GreyRamp();
    for (int i = 0; i < 27; ++i)
        entries[i] = { uint8_t(i % 3 * 127), uint8_t(i / 3 % 3 * 127), uint8_t(i / 9 * 127), 0 };
    palette->SetPaletteEntries(entries);
    palette->SetUseTable(true);
    auto w = std::make_unique<HeadlessWindow>(loop, TSize { 640, 480 }, 8);
    HeadlessWindow* window = w.get();
    form->SetBounds(0, 0, 32, 16);
    form->SetWindow(std::move(w));
    form->Show();
    loop.ProcessMessages();
    EXPECT_TRUE(torva::test::MatchesGolden(window->Screen(), "palette/sweep_8bit"));
}

}
