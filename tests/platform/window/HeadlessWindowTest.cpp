#include "platform/window/HeadlessWindow.h"
#include "platform/picture/Picture.h"
#include "tests/support/EventRecorder.h"
#include "tests/support/PixelBuffer.h"

#include <gtest/gtest.h>

using namespace platform;

namespace {

using torva::test::EventRecorder;
using torva::test::PixelBuffer;

struct Fixture {
    Fixture()
        : loop(clock)
        , window(loop, { 800, 600 })
    {
        window.SetEventSink(&sink);
        window.SetClientSize(10, 6);
        window.Show();
        Drain();
        sink.events.clear();
    }
    void Drain()
    {
        loop.ProcessMessages();
    }
    std::vector<EventType> Take()
    {
        Drain();
        auto types = sink.Types();
        sink.events.clear();
        return types;
    }
    VirtualClock clock;
    EventLoop loop;
    EventRecorder sink;
    HeadlessWindow window;
};

using T = EventType;
using Types = std::vector<EventType>;

}

TEST(HeadlessWindow, ShowingAsksForTheWholePicture)
{
    VirtualClock clock;
    EventLoop loop(clock);
    EventRecorder sink;
    HeadlessWindow window(loop);
    window.SetEventSink(&sink);
    window.SetClientSize(816, 740);
    window.Show();
    window.Show();
    loop.ProcessMessages();
    ASSERT_EQ(sink.events.size(), 1u);
    EXPECT_EQ(sink.events[0].type, EventType::Paint);
    EXPECT_EQ(sink.events[0].rect, (TRect { 0, 0, 816, 740 }));
    EXPECT_EQ(sink.events[0].target, &sink);
}

TEST(HeadlessWindow, PresentCopiesOnlyTheDirtyRectangle)
{
    Fixture f;
    PixelBuffer red(10, 6, 0x00FF0000), blue(10, 6, 0x000000FF);
    f.window.Present(red.view, { 0, 0, 10, 6 });
    f.window.Present(blue.view, { 2, 1, 4, 3 });
    EXPECT_EQ(f.window.PresentCount(), 2);
    EXPECT_EQ(f.window.LastPresented(), (TRect { 2, 1, 4, 3 }));
    for (int y = 0; y < 6; ++y)
        for (int x = 0; x < 10; ++x) {
            bool inside = x >= 2 && x < 4 && y >= 1 && y < 3;
            EXPECT_EQ(f.window.ScreenPixel(x, y), inside ? 0x000000FFu : 0x00FF0000u) << x << "," << y;
        }
    // A dirty rectangle beyond the client area or the pixels is cut to them.
    PixelBuffer small(3, 3, 0x00123456);
    f.window.Present(small.view, { -5, -5, 50, 50 });
    EXPECT_EQ(f.window.LastPresented(), (TRect { 0, 0, 3, 3 }));
    EXPECT_EQ(f.window.ScreenPixel(2, 2), 0x00123456u);
    EXPECT_EQ(f.window.ScreenPixel(3, 0), 0x00FF0000u);
}

TEST(HeadlessWindow, ScreenshotIsThePresentedPicture)
{
    Fixture f;
    PixelBuffer frame(10, 6, 0);
    frame.view.At(0, 0) = 0x00FF8040;
    frame.view.At(9, 5) = 0x00010203;
    f.window.Present(frame.view, { 0, 0, 10, 6 });
    Picture shot = DecodePng(f.window.ScreenshotPng(), "test").Value();
    ASSERT_EQ(shot.width, 10);
    ASSERT_EQ(shot.height, 6);
    EXPECT_EQ(shot.At(0, 0) & 0xFFFFFFu, 0xFF8040u);
    EXPECT_EQ(shot.At(9, 5) & 0xFFFFFFu, 0x010203u);
    EXPECT_EQ(shot.At(1, 0) & 0xFFFFFFu, 0u);
}

TEST(HeadlessWindow, ResizingKeepsTheSharedPart)
{
    Fixture f;
    PixelBuffer frame(10, 6, 0x00ABCDEF);
    f.window.Present(frame.view, { 0, 0, 10, 6 });
    f.window.SetClientSize(12, 4);
    EXPECT_EQ(f.window.ScreenPixel(9, 3), 0x00ABCDEFu);
    EXPECT_EQ(f.window.ScreenPixel(10, 3), 0u);
}

TEST(HeadlessWindow, PointerEntersAndLeavesThroughTheShape)
{
    Fixture f;
    f.window.SetShape({ { 0, 0, 5, 6 } });
    f.window.InjectMouseMove(1, 1);
    EXPECT_EQ(f.Take(), (Types { T::MouseEnterWindow, T::MouseMove }));
    f.window.InjectMouseMove(2, 1);
    EXPECT_EQ(f.Take(), (Types { T::MouseMove }));
    // Inside the client rectangle but outside the shape: another window's pixel.
    f.window.InjectMouseMove(7, 1);
    EXPECT_EQ(f.Take(), (Types { T::MouseLeaveWindow }));
    f.window.InjectMouseDown(7, 1);
    EXPECT_EQ(f.Take(), Types {});
    f.window.SetShape({});
    f.window.InjectMouseMove(7, 1);
    EXPECT_EQ(f.Take(), (Types { T::MouseEnterWindow, T::MouseMove }));
}

TEST(HeadlessWindow, CaptureKeepsMouseEventsComingFromOutside)
{
    Fixture f;
    f.window.InjectMouseDown(3, 3);
    f.window.SetCapture(true);
    f.window.InjectMouseMove(50, 50);
    f.window.InjectMouseUp(50, 50);
    EXPECT_EQ(f.Take(), (Types { T::MouseEnterWindow, T::MouseDown, T::MouseMove, T::MouseUp }));
    EXPECT_EQ(f.sink.events.size(), 0u);
    f.window.SetCapture(false);
    f.window.InjectMouseMove(51, 50);
    EXPECT_EQ(f.Take(), (Types { T::MouseLeaveWindow }));
    // Released outside without capture: the window never hears of it.
    f.window.InjectMouseDown(3, 3);
    f.window.InjectMouseUp(60, 60);
    EXPECT_EQ(f.Take(), (Types { T::MouseEnterWindow, T::MouseDown, T::MouseLeaveWindow }));
}

TEST(HeadlessWindow, EventsCarryButtonsModifiersAndWheel)
{
    Fixture f;
    f.window.InjectKeyDown(VK_SHIFT);
    f.window.InjectMouseDown(2, 2, TMouseButton::mbRight);
    f.window.InjectMouseMove(3, 2);
    f.window.InjectKeyUp(VK_SHIFT);
    f.window.InjectWheel(3, 2, -WHEEL_DELTA);
    f.window.InjectMouseUp(3, 2, TMouseButton::mbRight);
    f.window.InjectMouseDown(3, 2, TMouseButton::mbLeft, true);
    f.window.InjectChar('\x9A');
    f.Drain();
    const auto& e = f.sink.events;
    ASSERT_EQ(e.size(), 9u);
    EXPECT_EQ(e[0].type, T::KeyDown);
    EXPECT_EQ(e[0].key, VK_SHIFT);
    EXPECT_EQ(e[2].type, T::MouseDown);
    EXPECT_EQ(e[2].button, TMouseButton::mbRight);
    EXPECT_EQ(e[2].shift, ssShift | ssRight);
    EXPECT_EQ(e[3].shift, ssShift | ssRight);
    EXPECT_EQ(e[5].type, T::MouseWheel);
    EXPECT_EQ(e[5].wheelDelta, -WHEEL_DELTA);
    EXPECT_EQ(e[5].shift, ssRight);
    EXPECT_EQ(e[6].type, T::MouseUp);
    EXPECT_EQ(e[7].shift, ssLeft | ssDouble);
    EXPECT_EQ(e[8].type, T::KeyChar);
    EXPECT_EQ(e[8].ch, '\x9A');
}

TEST(HeadlessWindow, SystemMoveTakesTheButtonAndMovesTheWindow)
{
    Fixture f;
    f.window.SetPosition(100, 50);
    f.window.InjectMouseDown(4, 4);
    f.window.BeginSystemMove();
    f.window.InjectSystemMove(30, -10);
    f.window.InjectMouseUp(4, 4);
    EXPECT_EQ(f.Take(), (Types { T::MouseEnterWindow, T::MouseDown }));
    EXPECT_EQ(f.window.Position(), (TPoint { 130, 40 }));
    EXPECT_EQ(f.window.SystemMoveCount(), 1);
    EXPECT_EQ(f.window.CursorPos(), (TPoint { 134, 44 }));
}

TEST(HeadlessWindow, ExposeAsksForThePartThatIsInTheWindow)
{
    Fixture f;
    f.window.InjectExpose({ 8, 4, 20, 20 });
    f.window.InjectExpose({ 30, 30, 40, 40 });
    f.Drain();
    ASSERT_EQ(f.sink.events.size(), 1u);
    EXPECT_EQ(f.sink.events[0].rect, (TRect { 8, 4, 10, 6 }));
}
