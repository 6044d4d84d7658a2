#include "platform/window/SdlWindow.h"
#include "platform/picture/Picture.h"

#include <gtest/gtest.h>

#include <chrono>
#include <cstdlib>
#include <thread>

using namespace platform;

namespace {

struct Frame {
    Frame(int w, int h, uint32_t fill)
        : pixels(size_t(w) * h, fill)
        , view { reinterpret_cast<uint8_t*>(pixels.data()), w, h }
    {
    }
    std::vector<uint32_t> pixels;
    PixelView view;
};

struct Recorder : IEventSink {
    void HandleEvent(const Event& e) override { events.push_back(e); }
    std::vector<Event> events;
};

bool HaveDisplay()
{
    return std::getenv("DISPLAY") && SdlWindow::DisplayAvailable();
}

void Settle(EventLoop& loop)
{
    for (int i = 0; i < 10; ++i) {
        loop.ProcessMessages();
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
}

}

// Runs under a virtual display (xvfb-run); the picture is read back from the X server, so it
// checks what really reached the screen.
TEST(SdlWindow, PresentsAndShapesWhatTheServerShows)
{
    if (!HaveDisplay())
        GTEST_SKIP() << "no display";
    RealClock clock;
    EventLoop loop(clock);
    Recorder sink;
    SdlWindow window(loop);
    window.SetEventSink(&sink);
    window.SetClientSize(40, 30);
    window.SetPosition(20, 20);
    window.SetShape({ { 0, 0, 20, 30 }, { 20, 0, 40, 10 } });
    window.Show();
    Settle(loop);
    EXPECT_TRUE(window.ShapeApplied());
    EXPECT_EQ(window.ClientSize(), (TSize { 40, 30 }));
    TSize screen = window.ScreenSize();
    EXPECT_GT(screen.cx, 40);
    TPoint at = window.Position();

    Frame red(40, 30, 0x00FF0000);
    window.Present(red.view, { 0, 0, 40, 30 });
    Frame blue(40, 30, 0x000000FF);
    window.Present(blue.view, { 0, 0, 5, 5 });
    Settle(loop);

    Picture shot = DecodePng(window.CaptureScreenPng(Bounds(at.X, at.Y, 40, 30)));
    ASSERT_EQ(shot.width, 40);
    auto rgb = [&](int x, int y) { return shot.At(x, y) & 0xFFFFFFu; };
    EXPECT_EQ(rgb(2, 2), 0x0000FFu);
    EXPECT_EQ(rgb(10, 10), 0xFF0000u);
    EXPECT_EQ(rgb(30, 5), 0xFF0000u);   // the second rectangle of the shape
    EXPECT_NE(rgb(30, 20), 0xFF0000u);  // cut away: the desktop shows through
    bool paintAsked = false;
    for (const auto& e : sink.events)
        paintAsked |= e.type == EventType::Paint && e.target == &sink;
    EXPECT_TRUE(paintAsked);

    window.SetShape({});
    Settle(loop);
    window.Present(red.view, { 0, 0, 40, 30 });
    Settle(loop);
    Picture whole = DecodePng(window.CaptureScreenPng(Bounds(at.X, at.Y, 40, 30)));
    EXPECT_EQ(whole.At(30, 20) & 0xFFFFFFu, 0xFF0000u);
}

TEST(SdlWindow, FullWindowScreenshotForInspection)
{
    if (!HaveDisplay())
        GTEST_SKIP() << "no display";
    RealClock clock;
    EventLoop loop(clock);
    SdlWindow window(loop);
    window.SetClientSize(816, 740);
    window.SetPosition(0, 0);
    window.SetCaption("Torva CD v2");
    window.Show();
    Settle(loop);
    Frame frame(816, 740, 0);
    for (int y = 0; y < 740; ++y)
        for (int x = 0; x < 816; ++x)
            frame.view.At(x, y) = uint32_t((x * 255 / 815) << 16 | (y * 255 / 739) << 8 | 0x40);
    window.Present(frame.view, { 0, 0, 816, 740 });
    Settle(loop);
    auto png = window.CaptureScreenPng(Bounds(window.Position().X, window.Position().Y, 816, 740));
    ASSERT_FALSE(png.empty());
    WritePictureFile(std::string(TORVA_TEST_OUTPUT_DIR) + "/sdl_window.png", png);
    Picture shot = DecodePng(png);
    EXPECT_EQ(shot.At(815, 739) & 0xFFFFFFu, 0xFFFF40u);
    EXPECT_EQ(shot.At(0, 0) & 0xFFFFFFu, 0x000040u);
}
