#include "platform/hive/WineServer.h"

#include "platform/wine/WineTools.h"

#include <cstdio>
#include <cstring>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <unistd.h>

namespace platform {

namespace {

class HostWineServer : public WineServer {
public:
    explicit HostWineServer(std::filesystem::path prefix)
        : m_prefix(std::move(prefix))
    {
    }

    bool IsRunning() override
    {
        std::filesystem::path folder = WineServerDirectory(m_prefix);
        if (folder.empty())
            return false;
        std::string socketPath = (folder / "socket").string();
        sockaddr_un address {};
        if (socketPath.size() >= sizeof address.sun_path)
            return false;
        address.sun_family = AF_UNIX;
        std::memcpy(address.sun_path, socketPath.c_str(), socketPath.size() + 1);
        int fd = ::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
        if (fd < 0)
            return false;
        bool connected = ::connect(fd, reinterpret_cast<sockaddr*>(&address), sizeof address) == 0;
        ::close(fd);
        return connected;
    }

    bool RunReg(const std::vector<std::string>& arguments) override
    {
        const std::string& wine = CurrentWineTools().wine;
        std::vector<std::string> words { wine, "reg" };
        words.insert(words.end(), arguments.begin(), arguments.end());
        // The output is thrown away, so Wine's debug output is off whatever the user set.
        auto variables = WineEnvironment(m_prefix);
        variables["WINEDEBUG"] = "-all";
        return RunWineTool(std::move(words), variables, {}, "/dev/null") == 0;
    }

private:
    std::filesystem::path m_prefix;
};

}

std::filesystem::path WineServerDirectory(const std::filesystem::path& prefix)
{
    struct stat info {};
    if (::stat(prefix.c_str(), &info) != 0)
        return {};
    char name[80];
    std::snprintf(name, sizeof name, "server-%llx-%llx", static_cast<unsigned long long>(info.st_dev),
        static_cast<unsigned long long>(info.st_ino));
    return std::filesystem::path("/tmp/.wine-" + std::to_string(::getuid())) / name;
}

std::shared_ptr<WineServer> MakeHostWineServer(std::filesystem::path prefix)
{
    return std::make_shared<HostWineServer>(std::move(prefix));
}

}
