#include "platform/components/ExtCtrls.h"
#include "platform/components/Forms.h"
#include "tests/platform/components/ControlFixture.h"
#include "tests/support/PointerSteps.h"
#include "tests/support/PointerSteps.h"
#include "tests/support/RowNames.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

using namespace platform;
using componenttest::ControlFixture;

namespace {

// A control that writes every notification it gets into a shared log.
class Probe : public TGraphicControl {
public:
    Probe(TComponent* owner, std::vector<std::string>& log, const std::string& name)
        : TGraphicControl(owner), m_log(log)
    {
        SetName(name);
        OnClick = [this](TObject*) { m_log.push_back(Name() + ".click"); };
        OnMouseDown = [this](TObject*, TMouseButton b, TShiftState, int x, int y) {
            m_log.push_back(Name() + ".down" + (b == TMouseButton::mbRight ? "R" : "") + "(" + std::to_string(x) + "," + std::to_string(y) + ")");
        };
        OnMouseUp = [this](TObject*, TMouseButton, TShiftState, int, int) { m_log.push_back(Name() + ".up"); };
        OnMouseMove = [this](TObject*, TShiftState, int x, int y) { m_log.push_back(Name() + ".move(" + std::to_string(x) + "," + std::to_string(y) + ")"); };
        OnMouseEnter = [this](TObject*) { m_log.push_back(Name() + ".enter"); };
        OnMouseLeave = [this](TObject*) { m_log.push_back(Name() + ".leave"); };
    }

private:
    std::vector<std::string>& m_log;
};

struct FormFixture : ControlFixture {
    std::vector<std::string> log;
    Probe* a = nullptr;
    Probe* b = nullptr;
    TPanel* panel = nullptr;
    Probe* inner = nullptr;

    void SetUp() override
    {
        form->SetBounds(0, 0, 100, 60);
        form->Show();
        a = new Probe(form.get(), log, "A");
        a->SetParent(form.get());
        a->SetBounds(0, 0, 20, 20);
        b = new Probe(form.get(), log, "B");
        b->SetParent(form.get());
        b->SetBounds(30, 0, 20, 20);
        panel = new TPanel(form.get());
        panel->SetParent(form.get());
        panel->SetBounds(60, 20, 30, 30);
        inner = new Probe(form.get(), log, "In");
        inner->SetParent(panel);
        inner->SetBounds(5, 5, 10, 10);
    }

    void Mouse(EventType type, int x, int y, TMouseButton button = TMouseButton::mbLeft)
    {
        form->HandleEvent({ .type = type, .x = x, .y = y, .button = button });
    }
    void Move(int x, int y) { Mouse(EventType::MouseMove, x, y); }
    void Down(int x, int y, TMouseButton button = TMouseButton::mbLeft) { Mouse(EventType::MouseDown, x, y, button); }
    void Up(int x, int y, TMouseButton button = TMouseButton::mbLeft) { Mouse(EventType::MouseUp, x, y, button); }
};

using Routing = FormFixture;
using FormPainting = ControlFixture;

struct PointerCase {
    const char* what;
    const char* steps; // as RunPointerSteps reads them
    std::vector<std::string> expected;
};

struct PointerRouting : FormFixture, ::testing::WithParamInterface<PointerCase> {};

// What the controls hear of a sequence of moves, presses and releases of the left button.
TEST_P(PointerRouting, EnterLeaveCaptureAndClickFollowThePointer)
{
    torva::test::RunPointerSteps(GetParam().steps, [this](char step, int x, int y) {
        step == 'm' ? Move(x, y) : (step == 'd' ? Down(x, y) : Up(x, y));
    });
    EXPECT_EQ(log, GetParam().expected);
    EXPECT_EQ(form->CaptureControl(), nullptr);
}

INSTANTIATE_TEST_SUITE_P(Table, PointerRouting,
    ::testing::Values(
        PointerCase { "enter and leave come after the move", "m 5 5 m 35 5 m 80 5",
            { "A.move(5,5)", "A.enter", "B.move(5,5)", "A.leave", "B.enter", "B.leave" } },
        PointerCase { "controls inside a windowed child get local coordinates", "m 67 27 d 67 27 u 67 27",
            { "In.move(2,2)", "In.enter", "In.down(2,2)", "In.click", "In.up" } },
        // Dragged onto B: A keeps the mouse and hears the leave, B hears nothing; released
        // outside A: no click. B, under the pointer already, hears of it at the next move.
        PointerCase { "a press captures and a click needs the release inside", "m 5 5 d 5 5 m 35 5 u 35 5 m 36 5",
            { "A.move(5,5)", "A.enter", "A.down(5,5)", "A.move(35,5)", "A.leave", "A.up", "B.move(6,5)" } },
        PointerCase { "dragged back onto the captured control it enters again and clicks", "m 5 5 d 5 5 m 35 5 m 6 6 u 6 6",
            { "A.move(5,5)", "A.enter", "A.down(5,5)", "A.move(35,5)", "A.leave", "A.move(6,6)", "A.enter", "A.click", "A.up" } }),
    RowWhat());

TEST_F(Routing, RightButtonNeitherCapturesNorClicks)
{
    Down(5, 5, TMouseButton::mbRight);
    EXPECT_EQ(form->CaptureControl(), nullptr);
    Up(5, 5, TMouseButton::mbRight);
    EXPECT_EQ(log, (std::vector<std::string> { "A.downR(5,5)", "A.enter", "A.up" }));
}

TEST_F(Routing, HiddenAndDisabledControlsAreNotHit)
{
    a->Hide();
    b->SetEnabled(false);
    form->OnMouseDown = [this](TObject*, TMouseButton, TShiftState, int x, int y) { log.push_back("form.down(" + std::to_string(x) + "," + std::to_string(y) + ")"); };
    Down(5, 5);
    Up(5, 5);
    Down(35, 5);
    EXPECT_EQ(log[0], "form.down(5,5)");
    EXPECT_EQ(log.back(), "form.down(35,5)");
}

TEST_F(Routing, TheTopmostControlWinsAndZOrderCanChange)
{
    b->SetBounds(10, 10, 20, 20); // overlaps A at (15, 15); created later, so above
    Down(15, 15);
    Up(15, 15);
    a->BringToFront();
    Down(15, 15);
    Up(15, 15);
    EXPECT_EQ(log[0], "B.down(5,5)");
    EXPECT_NE(std::find(log.begin(), log.end(), "A.down(15,15)"), log.end());
}

TEST_F(Routing, AControlDestroyedInItsOwnClickIsForgotten)
{
    a->OnClick = [this](TObject*) { TComponent::Free(a); };
    Move(5, 5);
    Down(5, 5);
    Up(5, 5);
    EXPECT_EQ(form->CaptureControl(), nullptr);
    EXPECT_EQ(form->MouseControl(), form.get());
    Move(6, 6);
}

TEST_F(Routing, LeavingTheWindowLeavesTheControl)
{
    Move(5, 5);
    form->HandleEvent({ .type = EventType::MouseLeaveWindow });
    EXPECT_EQ(log.back(), "A.leave");
}

TEST_F(Routing, KeyPreviewGivesTheFormTheKeyFirst)
{
    std::vector<std::string> keys;
    form->OnKeyDown = [&](TObject*, uint16_t& key, TShiftState) {
        keys.push_back("form" + std::to_string(key));
        if (key == 'X')
            key = 0;
    };
    panel->OnKeyDown = [&](TObject*, uint16_t& key, TShiftState) { keys.push_back("panel" + std::to_string(key)); };
    Event key { .type = EventType::KeyDown, .key = VK_DOWN };
    form->HandleEvent(key); // no focused control: the form alone
    panel->SetFocus();
    form->HandleEvent(key); // focused panel, no preview
    form->SetKeyPreview(true);
    form->HandleEvent(key);
    key.key = 'X';
    form->HandleEvent(key); // the preview swallows it
    EXPECT_EQ(keys, (std::vector<std::string> { "form40", "panel40", "form40", "panel40", "form88" }));
}

TEST_F(Routing, WheelDirectionsGoToTheirEventsWithScreenPositions)
{
    form->SetBounds(100, 50, 100, 60);
    std::vector<std::string> wheel;
    form->OnMouseWheelDown = [&](TObject*, TShiftState, TPoint p, bool&) { wheel.push_back("down" + std::to_string(p.X)); };
    form->OnMouseWheelUp = [&](TObject*, TShiftState, TPoint p, bool&) { wheel.push_back("up" + std::to_string(p.X)); };
    Event e;
    e.type = EventType::MouseWheel;
    e.x = 7;
    e.wheelDelta = -WHEEL_DELTA;
    form->HandleEvent(e);
    e.wheelDelta = WHEEL_DELTA;
    form->HandleEvent(e);
    form->OnMouseWheel = [&](TObject*, TShiftState, int, TPoint, bool& handled) { handled = true; };
    form->HandleEvent(e);
    EXPECT_EQ(wheel, (std::vector<std::string> { "down107", "up107" }));
}

TEST_F(Routing, AnExceptionInAHandlerGoesToTheApplicationAndTheLoopGoesOn)
{
    std::string reported;
    Application().SetExceptionHandler([&](const std::exception& e) { reported = e.what(); });
    a->OnClick = [](TObject*) { throw Exception("broken handler"); };
    Down(5, 5);
    Up(5, 5);
    Application().SetExceptionHandler(nullptr);
    EXPECT_EQ(reported, "broken handler");
    EXPECT_EQ(form->CaptureControl(), nullptr);
}

// Painting: a 4 x 3 form, black, with a 2 x 2 picture at (1, 1) and a hidden one over it.
TEST_F(FormPainting, ComposesChildrenInZOrderPixelByPixel)
{
    form->SetBounds(0, 0, 4, 3);
    form->SetColor(clBlack);
    TImage* image = AddImage({ 1, 1, 3, 3 }, { 2, 2 });
    PixelView pv = image->Picture().Bitmap().View();
    pv.At(0, 0) = 0x00FF0000;
    pv.At(1, 0) = 0x0000FF00;
    pv.At(0, 1) = 0x000000FF;
    pv.At(1, 1) = 0x00FFFFFF;
    image->Invalidate();
    AddImage({ 0, 0, 4, 3 }, { 4, 3 })->Hide();
    loop.ProcessMessages();
    const PixelView& s = form->Surface();
    ASSERT_EQ(s.width, 4);
    ASSERT_EQ(s.height, 3);
    uint32_t expected[3][4] = {
        { 0, 0, 0, 0 },
        { 0, 0x00FF0000, 0x0000FF00, 0 },
        { 0, 0x000000FF, 0x00FFFFFF, 0 },
    };
    for (int y = 0; y < 3; ++y)
        for (int x = 0; x < 4; ++x)
            EXPECT_EQ(s.At(x, y) & 0x00FFFFFF, expected[y][x]) << x << "," << y;
    EXPECT_TRUE(form->DirtyRect().IsEmpty());
}

TEST_F(FormPainting, InvalidationsCoalesceIntoOnePostedPaint)
{
    form->SetBounds(0, 0, 50, 50);
    loop.ProcessMessages();
    form->InvalidateRect({ 1, 1, 5, 5 });
    form->InvalidateRect({ 10, 10, 20, 30 });
    EXPECT_EQ(loop.PendingCount(), 1u);
    EXPECT_EQ(form->DirtyRect(), (TRect { 1, 1, 20, 30 }));
    form->InvalidateRect({ -10, -10, 0, 0 });
    EXPECT_EQ(form->DirtyRect(), (TRect { 1, 1, 20, 30 }));
}

TEST(Timers, ComponentTimerTicksOnlyWithIntervalHandlerAndEnabled)
{
    VirtualClock clock;
    EventLoop loop(clock);
    ScopedEventLoop scope(loop);
    ComponentPtr<TTimer> timer(new TTimer(nullptr));
    int ticks = 0;
    timer->SetInterval(100);
    loop.Advance(500);
    EXPECT_FALSE(timer->Running());
    timer->SetOnTimer([&](TObject*) { ++ticks; });
    loop.Advance(250);
    EXPECT_EQ(ticks, 2);
    timer->SetEnabled(false);
    loop.Advance(500);
    EXPECT_EQ(ticks, 2);
    timer->SetEnabled(true);
    timer->SetInterval(0);
    loop.Advance(500);
    EXPECT_EQ(ticks, 2);
    timer.reset();
    EXPECT_EQ(loop.TimerCount(), 0u);
}

}
