#include "platform/events/Clock.h"
#include "platform/picture/Picture.h"
#include "platform/window/SdlWindow.h"
#include "tools/demo/DemoForm.h"

#include <gtest/gtest.h>

#include <chrono>
#include <cstdlib>
#include <thread>

using namespace platform;

namespace {

void Settle(EventLoop& loop)
{
    for (int i = 0; i < 15; ++i) {
        loop.ProcessMessages();
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
}

}

// Under a virtual display: the demo form in a real window, read back from the X server.
TEST(DemoWindow, ShowsWhatTheFormComposed)
{
    if (!std::getenv("DISPLAY") || !SdlWindow::DisplayAvailable())
        GTEST_SKIP() << "no display";
    RealClock clock;
    EventLoop loop(clock);
    ScopedEventLoop current(loop);
    auto window = std::make_unique<SdlWindow>(loop);
    SdlWindow* sdl = window.get();
    TDemoForm form(nullptr, std::move(window));
    form.Show();
    Settle(loop);
    form.Picture->Click();
    Settle(loop);

    TPoint at = sdl->Position();
    std::vector<uint8_t> png = sdl->CaptureScreenPng(Bounds(at.X, at.Y, form.Width(), form.Height()));
    ASSERT_FALSE(png.empty());
    WritePictureFile(std::string(TORVA_TEST_OUTPUT_DIR) + "/demo_window.png", png);
    Picture shot = DecodePng(png, "test").Value();
    ASSERT_EQ(shot.width, form.Width());
    ASSERT_EQ(shot.height, form.Height());
    int differing = 0;
    for (int y = 0; y < shot.height; ++y)
        for (int x = 0; x < shot.width; ++x)
            differing += (shot.At(x, y) & 0xFFFFFFu) != (form.Surface().At(x, y) & 0xFFFFFFu);
    EXPECT_EQ(differing, 0) << "see " << TORVA_TEST_OUTPUT_DIR << "/demo_window.png";
    EXPECT_EQ(form.Clicks(), 1);
}
