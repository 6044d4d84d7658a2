#include "platform/wine/WinePrefixKind.h"

#include <gtest/gtest.h>

#include <fstream>
#include <sys/stat.h>
#include <unistd.h>

namespace {

using namespace platform;
namespace fs = std::filesystem;

class WinePrefixKindTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        fs::remove_all(base);
        fs::create_directories(base / "bin");
        // The probe ends the scratch prefix's server with the wineserver beside wine.
        Script("wineserver", "exit 0\n");
    }
    void TearDown() override { fs::remove_all(base); }

    void Script(const char* name, const std::string& body)
    {
        fs::path file = base / "bin" / name;
        std::ofstream(file) << "#!/bin/sh\n"
                            << body;
        ::chmod(file.c_str(), 0755);
    }
    // A stand-in wine that counts its runs and answers a 32-bit prefix as `said` on stderr.
    WineTools StandIn(const std::string& said)
    {
        Script("wine", "echo run >> '" + (base / "runs").string() + "'\n[ \"$WINEARCH\" = win32 ] || exit 9\necho '" + said + "' >&2\nexit 1\n");
        return FindWineTools((base / "bin" / "wine").string());
    }
    size_t Runs() const
    {
        std::ifstream in(base / "runs");
        size_t lines = 0;
        for (std::string line; std::getline(in, line);)
            ++lines;
        return lines;
    }

    fs::path base = fs::path(TORVA_TEST_OUTPUT_DIR) / ("wine-kind-" + std::to_string(::getpid()));
};

TEST_F(WinePrefixKindTest, RefusalsOfWin32PrefixesAreRecognised)
{
    struct Row {
        std::string said;
        bool win32;
    };
    const Row rows[] = {
        { "wine: WINEARCH=win32 is not supported in wow64 mode", false },
        { "wine: /tmp/p is a 32-bit installation, it cannot support 64-bit applications.", false },
        // A Wine that takes the prefix stops at the Windows folder the probe does not make.
        { "wine: could not load kernel32.dll, status c0000135", true },
    };
    for (const Row& row : rows) {
        PrefixKindAnswer answer = ProbeWin32Prefixes(StandIn(row.said));
        EXPECT_EQ(answer.win32, row.win32) << row.said;
        EXPECT_EQ(answer.refusal, row.win32 ? "" : row.said);
    }
}

TEST_F(WinePrefixKindTest, TheAnswerIsCachedPerWineProgram)
{
    const std::string refusal = "wine: WINEARCH=win32 is not supported in wow64 mode";
    fs::path cache = base / "cache" / "wine-prefix-kinds";
    WineTools tools = StandIn(refusal);
    for (int run = 0; run < 2; ++run) {
        PrefixKindAnswer answer = Win32PrefixSupport(tools, cache);
        EXPECT_FALSE(answer.win32);
        EXPECT_EQ(answer.refusal, refusal);
    }
    EXPECT_EQ(Runs(), 1u);
    // Another program (a changed one too) is asked anew.
    tools = StandIn("wine: could not load kernel32.dll, status c0000135 (a longer line)");
    EXPECT_TRUE(Win32PrefixSupport(tools, cache).win32);
    EXPECT_EQ(Runs(), 2u);
    // A cache file of rubbish is no answer.
    std::ofstream(cache) << "win64\t\n\t\twin32\nwin3";
    EXPECT_TRUE(Win32PrefixSupport(tools, cache).win32);
    EXPECT_EQ(Runs(), 3u);
}

}
