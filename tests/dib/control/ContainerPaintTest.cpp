#include "tests/dib/control/ControlFixture.h"
#include "tests/support/GoldenImage.h"

#include <gtest/gtest.h>

#include <stdexcept>

using namespace platform;
using dibtest::Log;
using dibtest::TFillControl;
using dibtest::TProbeDIB;
using torva::test::MatchesGolden;

namespace {

uint32_t Pattern(int x, int y)
{
    return 0x40000000u | (uint32_t((x * 37) & 0xFF) << 16) | (uint32_t((y * 53) & 0xFF) << 8) | uint32_t(((x + y) * 11) & 0xFF);
}

void PaintPattern(TProbeDIB&, TWinDIB& work)
{
    for (int y = 0; y < work.Height(); ++y)
        for (int x = 0; x < work.Width(); ++x)
            work.SetPixel(x, y, Pattern(x, y));
}

// Vertical stripes of two colours, four pixels wide; the second has zero bytes.
class TStripes : public TGraphicControl {
public:
    using TGraphicControl::TGraphicControl;

protected:
    void Paint() override
    {
        for (int x = 0; x < Width(); x += 4)
            Canvas().FillPixels(Bounds(x, 0, 4, Height()), (x / 4) % 2 ? 0x00C000u : 0x3060A0u);
    }
};

// Paints nothing, but tells the container that it covers its area.
class TOpaqueHole : public TGraphicControl {
public:
    explicit TOpaqueHole(TComponent* owner)
        : TGraphicControl(owner) { SetControlStyle(ControlStyle() | csOpaque); }
};

// A frame two pixels thick, and edge sizes of its own choosing.
class TTestFrame : public TComponent, public IDIBBorder {
public:
    explicit TTestFrame(TComponent* owner)
        : TComponent(owner) {}
    TRect edges { 2, 3, 4, 5 };
    uint32_t colour = 0x00FF00FF;
    void DrawBorder(TAbstractSuperDIB& surface, const TRect& rect) override
    {
        surface.FillRect(SwapToReference(colour), rect.Left, rect.Top, rect.Width(), 2);
        surface.FillRect(SwapToReference(colour), rect.Left, rect.Top, 2, rect.Height());
    }
    TRect EdgeSizes() const override { return edges; }
    static TColor SwapToReference(uint32_t pixel) { return TColor(((pixel & 0xFF) << 16) | (pixel & 0xFF00) | ((pixel >> 16) & 0xFF)); }
};

struct PaintTest : dibtest::ContainerFixture {
    void SetUp() override
    {
        MakeContainer(48, 32);
        // Colour reference 0x000080 is red 0x80: the pixel 0x00800000 has three zero bytes.
        container->SetColor(TColor(0x000080));
    }
    uint32_t Off(int x, int y) { return container->OffscreenDIB().Pixels(x, y); }
    template <class Control>
    Control* Child(Control* control, int left, int top, int width, int height)
    {
        control->SetParent(container);
        control->SetBounds(left, top, width, height);
        return control;
    }
    void Stripes() { Child(new TStripes(form.get()), 0, 0, 48, 32); }
    TProbeDIB* PatternProbe(const std::string& name, int left, int top, int width, int height, int opacity)
    {
        TProbeDIB* probe = AddProbe(name, left, top, width, height);
        probe->painter = PaintPattern;
        probe->SetOpacity(opacity);
        return probe;
    }
};

constexpr uint32_t Background = 0x00800000u;

}

// Opacity 0 keeps the background but for its zero bytes, which become 1; 255 replaces it.
TEST_F(PaintTest, OpacityZeroAndFullOverAPlainBackground)
{
    auto* clear = AddProbe("Clear", 8, 4, 10, 6);
    clear->painter = [](TProbeDIB&, TWinDIB& work) { work.Fill(TColor(0xFFFFFF)); };
    clear->SetOpacity(0);
    auto* solid = PatternProbe("Solid", 26, 20, 10, 6, 255);
    PaintAll();
    for (int y = 0; y < 32; ++y) {
        for (int x = 0; x < 48; ++x) {
            if (solid->BoundsRect().Contains({ x, y }))
                ASSERT_EQ(Off(x, y) & 0xFFFFFF, Pattern(x - 26, y - 20) & 0xFFFFFF) << x << "," << y;
            else
                ASSERT_EQ(Off(x, y), clear->BoundsRect().Contains({ x, y }) ? 0x00800101u : Background) << x << "," << y;
        }
    }
    EXPECT_EQ(clear->paints, 1);
    // The window shows what the container composed.
    EXPECT_EQ(form->Surface().At(28, 21) & 0xFFFFFF, Pattern(2, 1) & 0xFFFFFF);
}

TEST_F(PaintTest, ControlPartlyOutsideSeesOnlyTheVisibleBackground)
{
    Stripes();
    auto* probe = PatternProbe("P", -5, -3, 16, 12, 255);
    uint32_t seenUnderCorner = 0;
    probe->painter = [&](TProbeDIB& p, TWinDIB& work) {
        seenUnderCorner = work.Pixels(5, 3); // container pixel (0, 0)
        PaintPattern(p, work);
    };
    PaintAll();
    EXPECT_EQ(seenUnderCorner & 0xFFFFFF, 0x3060A0u);
    EXPECT_EQ(Off(0, 0) & 0xFFFFFF, Pattern(5, 3) & 0xFFFFFF);
    EXPECT_EQ(Off(10, 8) & 0xFFFFFF, Pattern(15, 11) & 0xFFFFFF);
    EXPECT_EQ(Off(11, 8) & 0xFFFFFF, 0x3060A0u) << "right of the control";
    EXPECT_EQ(Off(4, 9) & 0xFFFFFF, 0x00C000u) << "below the control";

    probe->SetOpacity(150);
    PaintAll();
    EXPECT_TRUE(MatchesGolden(container->OffscreenDIB().View(), "control/partly_outside"));
}

TEST_F(PaintTest, OpacitiesOverAKnownBackground)
{
    Stripes();
    PatternProbe("Clear", 2, 2, 12, 12, 0);
    PatternProbe("Half", 18, 6, 12, 12, 150);
    PatternProbe("Solid", 34, 10, 12, 12, 255);
    PatternProbe("Over", 24, 16, 16, 12, 150); // over Half and Solid: blends onto what is below
    PaintAll();
    EXPECT_TRUE(MatchesGolden(container->OffscreenDIB().View(), "control/opacity_scene"));
    EXPECT_TRUE(MatchesGolden(form->Surface(), "control/opacity_scene"));
}

TEST_F(PaintTest, BorderlessContainerWithPlainAndDIBChildren)
{
    container->SetColor(TColor(0x204060));
    Child(new TFillControl(form.get(), 0x00FFE000), 4, 4, 20, 10);
    PatternProbe("Above", 14, 8, 16, 16, 200);
    Child(new TFillControl(form.get(), 0x000000FF), 26, 20, 14, 8);
    PaintAll();
    EXPECT_EQ(Off(5, 5) & 0xFFFFFF, 0xFFE000u) << "a plain control paints into the container's picture";
    EXPECT_EQ(Off(30, 22) & 0xFFFFFF, 0x0000FFu) << "z-order: the plain control above the DIB one wins";
    EXPECT_TRUE(MatchesGolden(container->OffscreenDIB().View(), "control/borderless"));
}

TEST_F(PaintTest, BorderUnderOrOverTheControls)
{
    auto* frame = new TTestFrame(form.get());
    auto* probe = AddProbe("Corner", 0, 0, 6, 6);
    probe->painter = [](TProbeDIB&, TWinDIB& work) { work.Fill(TColor(0x00FF00)); };
    container->SetDIBBorder(frame);
    PaintAll();
    EXPECT_EQ(Off(0, 0) & 0xFFFFFF, 0xFF00FFu) << "over the controls by default";
    EXPECT_EQ(Off(3, 3) & 0xFFFFFF, 0x00FF00u);
    EXPECT_EQ(Off(20, 0) & 0xFFFFFF, 0xFF00FFu);
    container->SetBorderDrawPosition(bdUnderControls);
    PaintPending();
    EXPECT_EQ(Off(0, 0) & 0xFFFFFF, 0x00FF00u);
    EXPECT_EQ(Off(20, 0) & 0xFFFFFF, 0xFF00FFu);

    TComponent::Free(frame);
    EXPECT_EQ(container->DIBBorder(), nullptr);
    PaintPending();
    EXPECT_EQ(Off(20, 0), Background);
}

TEST_F(PaintTest, BorderEdgesShrinkTheRoomOfAlignedChildren)
{
    auto* top = AddProbe("Top", 0, 0, 10, 4);
    auto* client = AddProbe("Client", 0, 0, 10, 10);
    top->SetAlign(TAlign::alTop);
    client->SetAlign(TAlign::alClient);
    container->AlignControls();
    EXPECT_EQ(top->BoundsRect(), Bounds(0, 0, 48, 4));
    EXPECT_EQ(client->BoundsRect(), Bounds(0, 4, 48, 28));

    auto* frame = new TTestFrame(form.get()); // left 2, top 3, right 4, bottom 5
    container->SetDIBBorder(frame);
    EXPECT_EQ(container->AlignRect(), (TRect { 2, 3, 44, 27 }));
    EXPECT_EQ(top->BoundsRect(), Bounds(2, 3, 42, 4));
    EXPECT_EQ(client->BoundsRect(), Bounds(2, 7, 42, 20));

    container->SetBounds(0, 0, 60, 40);
    EXPECT_EQ(client->BoundsRect(), Bounds(2, 7, 54, 28));
    EXPECT_EQ(container->OffscreenDIB().Width(), 60);
    EXPECT_EQ(container->OffscreenDIB().Height(), 40);
}

// Only the dirty rectangle is composed and copied; an inactive form repaints its whole client
// area, and shows its last picture until then.
TEST_F(PaintTest, OnlyTheDirtyRectangleIsComposedUnlessTheFormIsInactive)
{
    auto* left = PatternProbe("Left", 2, 2, 10, 10, 255);
    auto* right = PatternProbe("Right", 30, 2, 10, 10, 255);
    PaintAll();
    ASSERT_EQ(left->paints, 1);
    ASSERT_EQ(right->paints, 1);
    const_cast<uint32_t&>(form->Surface().At(5, 20)) = 0x12345678u; // outside what is painted next
    right->SetOpacity(100);
    PaintPending();
    EXPECT_EQ(left->paints, 1);
    EXPECT_EQ(right->paints, 2);
    EXPECT_EQ(container->DirtyRect(), Bounds(30, 2, 10, 10));
    EXPECT_EQ(form->Surface().At(5, 20), 0x12345678u);

    form->HandleEvent({ .type = EventType::Deactivate });
    const uint32_t shown = form->Surface().At(31, 3);
    right->SetOpacity(200);
    form->PaintNow(); // asks for the whole area instead
    EXPECT_EQ(right->paints, 2);
    EXPECT_EQ(form->Surface().At(31, 3), shown);
    PaintPending();
    EXPECT_EQ(left->paints, 2);
    EXPECT_EQ(right->paints, 3);
    EXPECT_EQ(container->DirtyRect(), container->ClientRect());
}

TEST_F(PaintTest, OpaqueChildrenAreNotFilledUnder)
{
    Child(new TOpaqueHole(form.get()), 10, 10, 8, 8);
    PaintAll();
    container->OffscreenDIB().SetPixel(12, 12, 0x00ABCDEF);
    container->OffscreenDIB().SetPixel(30, 12, 0x00ABCDEF);
    PaintAll();
    EXPECT_EQ(Off(12, 12), 0x00ABCDEFu);
    EXPECT_EQ(Off(30, 12), Background);
}

TEST_F(PaintTest, EachDIBChildGetsAFreshWorkingSurface)
{
    auto* masked = AddProbe("Masked", 0, 0, 8, 8);
    masked->painter = [](TProbeDIB&, TWinDIB& work) {
        work.Fill(TColor(0xFFFFFF));
        work.SetAlpha(0);
        work.SetMasked(true);
    };
    auto* plain = AddProbe("Plain", 10, 0, 8, 8);
    TAbstractSuperDIB* seen = nullptr;
    bool maskedWhenLent = true;
    plain->painter = [&](TProbeDIB&, TWinDIB& work) {
        seen = &work;
        maskedWhenLent = work.Masked();
        work.Fill(TColor(0x332211));
    };
    PaintAll();
    EXPECT_EQ(seen, &container->WorkDIB());
    EXPECT_FALSE(maskedWhenLent);
    EXPECT_EQ(Off(3, 3), 0x00800101u) << "a fully see-through mask leaves the background";
    EXPECT_EQ(Off(12, 3) & 0xFFFFFF, 0x112233u);
    EXPECT_EQ(plain->WorkDIB(), nullptr) << "lent for one paint only";
}

TEST_F(PaintTest, PaintStepsRunInOrderOnTheOffscreenSurface)
{
    auto* probe = AddProbe("P", 0, 0, 8, 8);
    probe->painter = [&](TProbeDIB&, TWinDIB&) { log.push_back("paint"); };
    container->BeforePaint = [&](TObject* sender, TAbstractSuperDIB* dib) {
        log.push_back(std::string("before") + (dib == &container->OffscreenDIB() && sender == container ? "" : "?"));
    };
    container->AfterPaint = [&](TObject*, TAbstractSuperDIB* dib) {
        log.push_back("after");
        dib->SetPixel(40, 20, 0x00010203);
    };
    PaintAll();
    EXPECT_EQ(log, (Log { "before", "paint", "after" }));
    EXPECT_EQ(form->Surface().At(40, 20), 0x00010203u);
}

TEST_F(PaintTest, AFailingPaintGivesTheSurfaceBack)
{
    auto* probe = AddProbe("P", 0, 0, 8, 8);
    probe->painter = [](TProbeDIB&, TWinDIB&) { throw std::runtime_error("broken picture"); };
    std::vector<uint32_t> pixels(48 * 32);
    PixelView view { reinterpret_cast<uint8_t*>(pixels.data()), 48, 32 };
    EXPECT_THROW(container->PaintToSurface(view, { 0, 0 }, container->ClientRect()), std::runtime_error);
    EXPECT_EQ(probe->WorkDIB(), nullptr);
    EXPECT_THROW(probe->Canvas(), Exception);
    probe->painter = PaintPattern;
    container->PaintToSurface(view, { 0, 0 }, container->ClientRect());
    EXPECT_EQ(view.At(1, 1) & 0xFFFFFF, Pattern(1, 1) & 0xFFFFFF);
}

namespace {

class TLookupPalette : public TComponent, public IDIBLookupPalette {
public:
    explicit TLookupPalette(TComponent* owner)
        : TComponent(owner), table(LookupTableSize, 7) {}
    const uint8_t* LookupTable() const override { return table.data(); }
    std::vector<uint32_t> Entries() const override { return std::vector<uint32_t>(256, 0); }
    std::vector<uint8_t> table;
};

class TEightBitDevice : public IDIB8BitDevice {
public:
    int BitsPerPixel() const override { return 8; }
    void SetDIBitsToDevice(int x, int y, int width, int height, const uint8_t* bits, int, const std::vector<uint32_t>&) override
    {
        calls.push_back(Bounds(x, y, width, height));
        firstIndex = bits[0];
    }
    std::vector<TRect> calls;
    int firstIndex = -1;
};

}

TEST_F(PaintTest, AnEightBitDisplayGetsThePaletteRendering)
{
    TEightBitDevice device;
    container->SetDisplayDevice(&device);
    auto* probe = PatternProbe("P", 4, 4, 8, 8, 255);
    PaintAll();
    EXPECT_TRUE(device.calls.empty()) << "no palette on the form yet";

    auto* palette = new TLookupPalette(form.get());
    EXPECT_EQ(container->Palette(), palette);
    probe->SetOpacity(10);
    PaintPending();
    ASSERT_EQ(device.calls.size(), 1u);
    EXPECT_EQ(device.calls[0], Bounds(4, 4, 8, 8));
    EXPECT_EQ(device.firstIndex, 7);

    TComponent::Free(palette);
    EXPECT_EQ(container->Palette(), nullptr);
    probe->SetOpacity(20);
    PaintPending();
    EXPECT_EQ(device.calls.size(), 1u);
}

TEST_F(PaintTest, APartialRepaintComposesWhatAFullOneDoes)
{
    Stripes();
    auto* other = AddProbe("Other", 18, 3, 6, 6); // painted just before, into the shared memory
    other->painter = [](TProbeDIB&, TWinDIB& work) { work.Fill(TColor(0xFF00FF)); };
    // Keyed by its bottom-left pixel, which it never paints: the background there is the key.
    auto* keyed = AddProbe("Keyed", 2, 2, 30, 20);
    keyed->painter = [](TProbeDIB&, TWinDIB& work) {
        for (int y = 0; y < 10; ++y)
            for (int x = 15; x < 30; ++x)
                work.SetPixel(x, y, (x + y) % 3 ? Pattern(x, y) : 0x3060A0u); // the stripe at its corner
        work.SetTransparent(true);
    };
    keyed->SetOpacity(200);
    PaintAll();
    std::vector<uint32_t> full;
    for (int y = 4; y < 9; ++y)
        for (int x = 20; x < 28; ++x)
            full.push_back(Off(x, y));
    form->InvalidateRect(Bounds(20, 4, 8, 5));
    PaintPending();
    ASSERT_EQ(container->DirtyRect(), Bounds(20, 4, 8, 5));
    size_t i = 0;
    for (int y = 4; y < 9; ++y)
        for (int x = 20; x < 28; ++x)
            EXPECT_EQ(Off(x, y), full[i++]) << x << "," << y;
}
