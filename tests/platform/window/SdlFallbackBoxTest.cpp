// Without the box artwork (this test links none) the boxes are SDL's own, shown from a child
// process SDL forks and waits for: SIGTERM must still end the box, at once.

#include "platform/components/Forms.h"
#include "platform/events/TerminationSignals.h"
#include "platform/window/SdlDialogs.h"
#include "platform/window/SdlWindow.h"

#include <gtest/gtest.h>

#include <chrono>
#include <csignal>
#include <cstdlib>
#include <thread>

using namespace platform;

TEST(SdlFallbackBoxTest, SigtermEndsSdlsOwnBox)
{
    if (!std::getenv("DISPLAY") || !SdlWindow::DisplayAvailable())
        GTEST_SKIP() << "no display";
    ASSERT_TRUE(InstallTerminationSignals());
    std::thread sender([] {
        std::this_thread::sleep_for(std::chrono::milliseconds(500));
        std::raise(SIGTERM);
    });
    SdlDialogs dialogs;
    const auto start = std::chrono::steady_clock::now();
    EXPECT_EQ(dialogs.ShowMessageBox({ MessageBoxKind::Question, "Torva CD v2", "Smazat?" }), mrNo);
    const auto took = std::chrono::steady_clock::now() - start;
    sender.join();
    EXPECT_LT(took, std::chrono::seconds(2)) << "the box outlived SIGTERM";
    EXPECT_GE(took, std::chrono::milliseconds(400)) << "the box did not show";
}
