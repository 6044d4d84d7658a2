#include "platform/hive/WineServer.h"

#include <gtest/gtest.h>

#include <cstring>
#include <filesystem>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <unistd.h>

namespace platform {
namespace {

namespace fs = std::filesystem;

// A stand-in server: a listening socket where Wine would put the prefix's.
class ListeningSocket {
public:
    explicit ListeningSocket(const fs::path& path)
        : m_fd(::socket(AF_UNIX, SOCK_STREAM, 0))
    {
        sockaddr_un address {};
        address.sun_family = AF_UNIX;
        std::strncpy(address.sun_path, path.c_str(), sizeof address.sun_path - 1);
        m_ok = m_fd >= 0 && ::bind(m_fd, reinterpret_cast<sockaddr*>(&address), sizeof address) == 0 && ::listen(m_fd, 1) == 0;
    }
    ~ListeningSocket() { Close(); }
    void Close()
    {
        if (m_fd >= 0)
            ::close(m_fd);
        m_fd = -1;
    }
    bool Ok() const { return m_ok; }

private:
    int m_fd;
    bool m_ok = false;
};

TEST(WineServer, FoundWhereWineKeepsTheServerOfThePrefix)
{
    fs::path prefix = fs::path(TORVA_TEST_OUTPUT_DIR) / "wineserver-prefix";
    fs::create_directories(prefix);
    struct stat info {};
    ASSERT_EQ(::stat(prefix.c_str(), &info), 0);
    char expected[120];
    std::snprintf(expected, sizeof expected, "/tmp/.wine-%u/server-%llx-%llx", static_cast<unsigned>(::getuid()),
        static_cast<unsigned long long>(info.st_dev), static_cast<unsigned long long>(info.st_ino));
    fs::path folder = WineServerDirectory(prefix);
    EXPECT_EQ(folder, fs::path(expected));
    EXPECT_TRUE(WineServerDirectory(prefix / "missing").empty());

    auto server = MakeHostWineServer(prefix);
    EXPECT_FALSE(server->IsRunning());
    bool madeFolder = !fs::exists(folder);
    fs::create_directories(folder);
    {
        ListeningSocket socket(folder / "socket");
        ASSERT_TRUE(socket.Ok());
        EXPECT_TRUE(server->IsRunning());
        socket.Close();
        // The socket file a crashed server leaves behind answers nobody.
        EXPECT_TRUE(fs::exists(folder / "socket"));
        EXPECT_FALSE(server->IsRunning());
    }
    fs::remove(folder / "socket");
    if (madeFolder)
        fs::remove(folder);
}

}
}
