#include "platform/components/Forms.h"
#include "platform/components/StdCtrls.h"

#include <gtest/gtest.h>

using namespace platform;

namespace {

// Records what a form asks of its window.
class RecordingWindow : public IWindowBackend {
public:
    std::vector<std::string> calls;
    std::vector<TRect> presents;
    IEventSink* sink = nullptr;
    std::vector<TRect> shape;
    TSize size;
    TPoint position;

    void SetEventSink(IEventSink* s) override { sink = s; }
    void SetClientSize(int w, int h) override { size = { w, h }; }
    TSize ClientSize() const override { return size; }
    void SetPosition(int l, int t) override { position = { l, t }; }
    TPoint Position() const override { return position; }
    void SetCaption(const std::string& c) override { calls.push_back("caption " + c); }
    void Show() override { calls.push_back("show"); }
    void Hide() override { calls.push_back("hide"); }
    void SetShape(const std::vector<TRect>& r) override { shape = r; }
    void SetCapture(bool c) override { calls.push_back(c ? "capture" : "release"); }
    void SetCursor(TCursor c) override { cursor = c; }
    TCursor cursor = crDefault;
    void Present(const PixelView& pixels, const TRect& dirty) override
    {
        EXPECT_EQ(pixels.width, size.cx);
        EXPECT_EQ(pixels.height, size.cy);
        presents.push_back(dirty);
    }
    TSize ScreenSize() const override { return { 800, 600 }; }
    TPoint CursorPos() const override { return {}; }
    void BringToFront() override { calls.push_back("front"); }
    void BeginSystemMove() override { calls.push_back("move"); }
};

struct WindowFixture : ::testing::Test {
    VirtualClock clock;
    EventLoop loop { clock };
    ScopedEventLoop scope { loop };
    RecordingWindow* window = nullptr;

    void SetUp() override
    {
        SetWindowBackendFactory([this] {
            auto w = std::make_unique<RecordingWindow>();
            window = w.get();
            return w;
        });
    }
    void TearDown() override { SetWindowBackendFactory(nullptr); }
};

using WindowContract = WindowFixture;

TEST_F(WindowContract, ShowingCreatesTheWindowAndEachPaintPresentsOnlyTheDamage)
{
    ComponentPtr<TForm> form(new TForm(nullptr));
    form->SetBounds(10, 20, 50, 40);
    form->SetCaption("Torva");
    std::vector<TRect> region { { 0, 0, 50, 30 }, { 5, 30, 45, 40 } };
    form->SetShape(region);
    int shows = 0;
    form->OnShow = [&](TObject*) { ++shows; };
    form->Show();
    ASSERT_NE(window, nullptr);
    EXPECT_EQ(window->sink, form.get());
    EXPECT_EQ(window->size, (TSize { 50, 40 }));
    EXPECT_EQ(window->position, (TPoint { 10, 20 }));
    EXPECT_EQ(window->shape, region);
    EXPECT_EQ(shows, 1);
    loop.ProcessMessages();
    ASSERT_EQ(window->presents.size(), 1u);
    EXPECT_EQ(window->presents[0], (TRect { 0, 0, 50, 40 }));

    auto* label = new TLabel(form.get());
    label->SetParent(form.get());
    label->SetAutoSize(false);
    label->SetBounds(3, 4, 10, 5);
    window->presents.clear();
    loop.ProcessMessages();
    label->SetColor(clRed);
    label->SetCaption("x");
    loop.ProcessMessages();
    ASSERT_EQ(window->presents.size(), 2u);
    EXPECT_EQ(window->presents[1], (TRect { 3, 4, 13, 9 }));

    form->CenterOnScreen();
    EXPECT_EQ(window->position, (TPoint { 375, 280 }));
}

TEST_F(WindowContract, PressCapturesTheWindowAndSystemMoveReleasesIt)
{
    ComponentPtr<TForm> form(new TForm(nullptr));
    form->SetBounds(0, 0, 20, 20);
    form->Show();
    form->HandleEvent({ .type = EventType::MouseDown, .x = 5, .y = 5 });
    EXPECT_EQ(window->calls.back(), "capture");
    form->StartSystemMove();
    EXPECT_EQ(window->calls[window->calls.size() - 2], "release");
    EXPECT_EQ(window->calls.back(), "move");
    EXPECT_EQ(form->CaptureControl(), nullptr);
}

// The window shows the arrow, the cursor a control under the pointer names, and the hourglass
// over everything while the application-wide cursor says so.
TEST_F(WindowContract, WindowCursorFollowsTheControlUnderThePointerAndTheScreenCursor)
{
    ComponentPtr<TForm> form(new TForm(nullptr));
    form->SetBounds(0, 0, 40, 20);
    auto* link = new TLabel(form.get());
    link->SetParent(form.get());
    link->SetBounds(20, 0, 20, 20);
    link->SetCursor(crHandPoint);
    form->Show();
    EXPECT_EQ(window->cursor, crArrow);
    auto move = [&](int x) {
        form->HandleEvent({ .type = EventType::MouseMove, .x = x, .y = 5 });
    };
    move(25);
    EXPECT_EQ(window->cursor, crHandPoint);
    form->SetScreenCursor(crHourGlass);
    EXPECT_EQ(window->cursor, crHourGlass);
    move(5);
    EXPECT_EQ(window->cursor, crHourGlass);
    form->SetScreenCursor(crDefault);
    EXPECT_EQ(window->cursor, crArrow);
    EXPECT_EQ(form->WindowCursor(), crArrow);
}

TEST_F(WindowContract, ClosingTheMainFormTerminatesTheApplication)
{
    ComponentPtr<TForm> form(new TForm(nullptr));
    Application().SetMainForm(form.get());
    form->Show();
    loop.Post({ .type = EventType::Close, .target = form.get() });
    loop.ProcessMessages();
    EXPECT_TRUE(loop.Terminated());
    EXPECT_EQ(window->calls.back(), "hide");
    loop.ClearTerminated();
    form.reset();
    EXPECT_EQ(Application().MainForm(), nullptr);
}

TEST_F(WindowContract, DestroyFiresOnDestroyWhileTheControlsStillExist)
{
    ComponentPtr<TForm> form(new TForm(nullptr));
    auto* label = new TLabel(form.get());
    label->SetName("Label1");
    std::string seen;
    TForm* raw = form.get();
    form->OnDestroy = [&](TObject*) { seen = raw->FindComponent("Label1") ? "label alive" : "label gone"; };
    form.reset();
    EXPECT_EQ(seen, "label alive");
}

using Labels = WindowFixture;

TEST_F(Labels, AutoSizeMeasuresTheCaptionAndAnEmptyOneKeepsALine)
{
    ComponentPtr<TForm> form(new TForm(nullptr));
    auto* label = new TLabel(form.get());
    label->SetParent(form.get());
    label->SetCaption("x");
    label->SetCaption("");
    int lineHeight = label->Height();
    EXPECT_GT(lineHeight, 0);
    label->SetCaption("Demoverze");
    EXPECT_GT(label->Width(), 20);
    EXPECT_EQ(label->Height(), lineHeight);
    // Right-aligned labels grow to the left.
    label->SetAlignment(TAlignment::taRightJustify);
    label->SetLeft(100);
    int right = label->Left() + label->Width();
    label->SetCaption("D");
    EXPECT_EQ(label->Left() + label->Width(), right);
}

TEST_F(Labels, FollowTheParentFontUntilTheirOwnChanges)
{
    ComponentPtr<TForm> form(new TForm(nullptr));
    auto* label = new TLabel(form.get());
    label->SetParent(form.get());
    form->Font().SetHeight(-16);
    EXPECT_EQ(label->Font().Height(), -16);
    EXPECT_TRUE(label->ParentFont());
    label->Font().SetName("Tahoma");
    EXPECT_FALSE(label->ParentFont());
    form->Font().SetHeight(-20);
    EXPECT_EQ(label->Font().Height(), -16);
}

}
