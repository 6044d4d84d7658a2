#include "platform/events/EventLoop.h"
#include "platform/process/Process.h"
#include "tests/platform/process/ProcessTestFiles.h"

#include <gtest/gtest.h>

#include <chrono>
#include <cstdlib>
#include <fcntl.h>
#include <fstream>
#include <sys/resource.h>
#include <thread>

namespace {

using namespace platform;
using torvatest::TempPrefix;
namespace fs = std::filesystem;

// Replaces PATH for one test, so that tests can pretend wine is missing or provide fake tools.
class ScopedPath {
public:
    explicit ScopedPath(const std::string& path)
    {
        if (const char* old = std::getenv("PATH"))
            m_old = old;
        ::setenv("PATH", path.c_str(), 1);
    }
    ~ScopedPath() { ::setenv("PATH", m_old.c_str(), 1); }

private:
    std::string m_old;
};

double CpuSeconds()
{
    rusage usage {};
    ::getrusage(RUSAGE_SELF, &usage);
    return static_cast<double>(usage.ru_utime.tv_sec + usage.ru_stime.tv_sec)
        + static_cast<double>(usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) / 1e6;
}

class HostProcessTest : public ::testing::Test {
protected:
    ProcessStart Start(const std::string& line, const std::string& folder = {})
    {
        return { .applicationName = {}, .commandLine = line, .currentDirectory = folder };
    }

    struct Outcome {
        uint32_t exitCode = 0;
        int waits = 0;
    };

    // The menu's way of waiting: poll, handle messages, sleep until something happens.
    Outcome RunToEnd(ProcessHandle process)
    {
        Outcome outcome;
        while (service->GetExitCodeProcess(process, outcome.exitCode) && outcome.exitCode == STILL_ACTIVE) {
            loop.ProcessMessages();
            service->WaitForExitOrMessage(process, loop, 5000);
            ++outcome.waits;
        }
        EXPECT_TRUE(service->CloseHandle(process));
        return outcome;
    }

    static bool WaitForFile(const fs::path& file)
    {
        for (int i = 0; i < 200 && !fs::exists(file); ++i)
            std::this_thread::sleep_for(std::chrono::milliseconds(10));
        return fs::exists(file);
    }

    TempPrefix prefix { "hostprocess" };
    std::shared_ptr<IProcessService> service = MakeHostProcessService(std::make_shared<Machine>(prefix.root));
    RealClock clock;
    EventLoop loop { clock };
    fs::path out = prefix.base / "out.txt";
};

TEST_F(HostProcessTest, ScriptRunsInItsFolderWithThePrefixAndItsArguments)
{
    torvatest::WriteScript(prefix.disc / "DEMOS" / "Hra" / "SETUP.SH",
        "{ pwd; echo \"$WINEPREFIX\"; for a in \"$@\"; do echo \"[$a]\"; done; } > '" + out.string() + "'\nexit 7\n");
    auto process = service->CreateProcess(Start("E:\\demos\\hra\\setup.sh /D=\"C:\\Hry\\A B\" -x", "C:\\"));
    ASSERT_TRUE(process);
    Outcome outcome = RunToEnd(*process);
    EXPECT_EQ(outcome.exitCode, 7u);
    std::string expected = fs::canonical(prefix.driveC).string() + "\n" + fs::absolute(prefix.root).string()
        + "\n[/D=C:\\Hry\\A B]\n[-x]\n";
    EXPECT_EQ(TempPrefix::Read(out), expected);

    // Empty current folder: the program's own.
    auto second = service->CreateProcess(Start("E:\\DEMOS\\HRA\\SETUP.SH"));
    ASSERT_TRUE(second);
    RunToEnd(*second);
    EXPECT_EQ(TempPrefix::Read(out).substr(0, TempPrefix::Read(out).find('\n')), fs::canonical(prefix.disc / "DEMOS" / "Hra").string());
}

TEST_F(HostProcessTest, ProgramsInheritNoDescriptorsButTheStandardOnes)
{
    int leaked = ::open("/dev/null", O_RDONLY); // deliberately inheritable
    ASSERT_GE(leaked, 3);
    torvatest::WriteScript(prefix.driveC / "fds.sh", "ls /proc/$$/fd > '" + out.string() + "'\n");
    auto process = service->CreateProcess(Start("C:\\fds.sh"));
    ::close(leaked);
    ASSERT_TRUE(process);
    RunToEnd(*process);
    std::string listing = TempPrefix::Read(out);
    EXPECT_EQ(listing.find("\n" + std::to_string(leaked) + "\n"), std::string::npos) << listing;
    EXPECT_NE(listing.find("0\n"), std::string::npos);
}

TEST_F(HostProcessTest, WaitingSleepsAndStillHandlesTimers)
{
    torvatest::WriteScript(prefix.driveC / "slow.sh", "sleep 0.6\nexit 0\n");
    int ticks = 0;
    loop.SetTimer(100, [&] { ++ticks; });
    auto process = service->CreateProcess(Start("C:\\slow.sh"));
    ASSERT_TRUE(process);
    uint32_t code = 0;
    ASSERT_TRUE(service->GetExitCodeProcess(*process, code));
    EXPECT_EQ(code, STILL_ACTIVE);

    double cpuBefore = CpuSeconds();
    auto wallBefore = std::chrono::steady_clock::now();
    Outcome outcome = RunToEnd(*process);
    double cpu = CpuSeconds() - cpuBefore;
    double wall = std::chrono::duration<double>(std::chrono::steady_clock::now() - wallBefore).count();

    EXPECT_EQ(outcome.exitCode, 0u);
    EXPECT_GE(wall, 0.4);
    // A spinning wait burns about as much processor time as it waits; sleeping costs little.
    EXPECT_LT(cpu, 0.25 * wall);
    EXPECT_GE(ticks, 3);
    // Every wake-up is a timer tick or the end; no busy polling.
    EXPECT_LE(outcome.waits, ticks + 3);
}

TEST_F(HostProcessTest, HandlesFollowWin32Rules)
{
    torvatest::WriteScript(prefix.driveC / "slow.sh", "sleep 5\n");
    auto process = service->CreateProcess(Start("C:\\slow.sh"));
    ASSERT_TRUE(process);
    EXPECT_TRUE(service->CloseHandle(*process));
    EXPECT_FALSE(service->CloseHandle(*process));
    uint32_t code = 0;
    EXPECT_FALSE(service->GetExitCodeProcess(*process, code));
    EXPECT_FALSE(service->GetExitCodeProcess(12345, code));

    EXPECT_FALSE(service->CreateProcess(Start("C:\\missing.sh")));
    TempPrefix::Write(prefix.driveC / "notexec.sh", "#!/bin/sh\nexit 0\n"); // no execute permission
    EXPECT_FALSE(service->CreateProcess(Start("C:\\notexec.sh")));
}

TEST_F(HostProcessTest, WindowsProgramsFailWithoutWine)
{
    torvatest::WriteWindowsProgram(prefix.disc / "SETUP.EXE");
    fs::create_directories(prefix.base / "emptybin");
    ScopedPath path((prefix.base / "emptybin").string());
    EXPECT_FALSE(service->CreateProcess(Start("E:\\SETUP.EXE")));
    EXPECT_EQ(service->LastStartFailure(), StartFailure::WineMissing);
    EXPECT_EQ(service->ShellExecute({ "OPEN", "E:\\SETUP.EXE", "", "", SW_SHOWNORMAL }), SE_ERR_NOASSOC);
    EXPECT_EQ(service->LastStartFailure(), StartFailure::WineMissing);
    // Without the desktop's opener a document has no program either; a missing file is no
    // missing tool.
    TempPrefix::Write(prefix.disc / "README.TXT", "x");
    EXPECT_EQ(service->ShellExecute({ "OPEN", "E:\\README.TXT", "", "", SW_SHOWNORMAL }), SE_ERR_NOASSOC);
    EXPECT_EQ(service->LastStartFailure(), StartFailure::NoDocumentOpener);
    EXPECT_FALSE(service->CreateProcess(Start("E:\\MISSING.EXE")));
    EXPECT_EQ(service->LastStartFailure(), StartFailure::None);
}

TEST_F(HostProcessTest, WindowsProgramsEndWhenTheWineServerIsDone)
{
    torvatest::WriteWindowsProgram(prefix.disc / "DEMOS" / "SETUP.EXE");
    fs::path bin = prefix.base / "bin";
    fs::path marker = prefix.base / "server-done";
    torvatest::WriteScript(bin / "wine", "{ echo \"$WINEPREFIX\"; pwd; echo \"$@\"; } > '" + out.string() + "'\nexit 3\n");
    // The server "finishes" only after the program itself has ended.
    torvatest::WriteScript(bin / "wineserver", "[ \"$1\" = -w ] || exit 9\nsleep 0.3\n[ -n \"$WINEPREFIX\" ] && touch '" + marker.string() + "'\n");
    ScopedPath path(bin.string() + ":" + std::getenv("PATH"));

    auto process = service->CreateProcess(Start("E:\\DEMOS\\SETUP.EXE /s", "E:\\DEMOS"));
    ASSERT_TRUE(process);
    Outcome outcome = RunToEnd(*process);
    EXPECT_EQ(outcome.exitCode, 3u);
    EXPECT_TRUE(fs::exists(marker));
    EXPECT_EQ(TempPrefix::Read(out), fs::absolute(prefix.root).string() + "\n" + fs::canonical(prefix.disc / "DEMOS").string() + "\nE:\\DEMOS\\SETUP.EXE /s\n");
}

TEST_F(HostProcessTest, ShellOpensDocumentsWithTheDesktopOpener)
{
    fs::path bin = prefix.base / "bin";
    torvatest::WriteScript(bin / "xdg-open", "echo \"$@\" > '" + out.string() + ".tmp'\nmv '" + out.string() + ".tmp' '" + out.string() + "'\n");
    TempPrefix::Write(prefix.disc / "Readme.TXT", "hello");
    ScopedPath path(bin.string() + ":" + std::getenv("PATH"));
    EXPECT_GT(service->ShellExecute({ "OPEN", "e:\\readme.txt", "", "", SW_SHOWNORMAL }), 32);
    ASSERT_TRUE(WaitForFile(out));
    EXPECT_EQ(TempPrefix::Read(out), (prefix.disc / "Readme.TXT").string() + "\n");
    EXPECT_EQ(service->ShellExecute({ "OPEN", "e:\\missing.txt", "", "", SW_SHOWNORMAL }), SE_ERR_FNF);
}

// Programs nobody waits for, and the opener of a document, are reaped by the current event loop
// as they end: none stays a zombie. An opener that finds no program for the document says so.
TEST_F(HostProcessTest, ChildrenLeftRunningAreReapedAsTheyEnd)
{
    ScopedEventLoop current(loop);
    fs::path bin = prefix.base / "bin";
    torvatest::WriteScript(bin / "xdg-open", "exit 3\n");
    ScopedPath path(bin.string() + ":" + std::getenv("PATH"));
    torvatest::WriteScript(prefix.driveC / "reaped.sh", "exit 0\n");
    TempPrefix::Write(prefix.disc / "NOTES.TXT", "x");
    std::vector<std::string> unopened;
    service->SetOpenFailedHandler([&](const std::string& file) { unopened.push_back(file); });

    auto process = service->CreateProcess(Start("C:\\reaped.sh"));
    ASSERT_TRUE(process);
    EXPECT_TRUE(service->CloseHandle(*process));
    EXPECT_GT(service->ShellExecute({ "OPEN", "E:\\NOTES.TXT", "", "", SW_SHOWNORMAL }), 32);

    // Our zombies among the children this test started (a zombie's name stays its program's).
    auto zombies = [] {
        int count = 0;
        for (const auto& entry : fs::directory_iterator("/proc")) {
            std::ifstream stat(entry.path() / "stat");
            std::string pid, name, state;
            int parent = 0;
            if (stat >> pid >> name >> state >> parent && parent == ::getpid() && state == "Z"
                && (name == "(reaped.sh)" || name == "(xdg-open)"))
                ++count;
        }
        return count;
    };
    auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(10);
    while ((zombies() > 0 || unopened.empty()) && std::chrono::steady_clock::now() < deadline) {
        loop.WaitForEvent(100);
        loop.ProcessMessages();
    }
    EXPECT_EQ(zombies(), 0);
    EXPECT_EQ(unopened, std::vector<std::string> { "E:\\NOTES.TXT" });
}

}
