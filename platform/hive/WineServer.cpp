#include "platform/hive/WineServer.h"

#include "platform/wine/WineTools.h"

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <fcntl.h>
#include <spawn.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <sys/wait.h>
#include <unistd.h>

extern char** environ;

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
        std::vector<char*> argv;
        for (auto& word : words)
            argv.push_back(word.data());
        argv.push_back(nullptr);

        // The output is thrown away, so Wine's debug output is off whatever the user set.
        auto variables = WineEnvironment(m_prefix);
        variables["WINEDEBUG"] = "-all";
        std::vector<std::string> environment;
        for (char** entry = environ; *entry; ++entry) {
            std::string_view line(*entry);
            if (!variables.count(std::string(line.substr(0, line.find('=')))))
                environment.emplace_back(line);
        }
        for (const auto& [name, value] : variables)
            environment.push_back(name + "=" + value);
        std::vector<char*> envp;
        for (auto& entry : environment)
            envp.push_back(entry.data());
        envp.push_back(nullptr);

        posix_spawn_file_actions_t actions;
        posix_spawn_file_actions_init(&actions);
        posix_spawn_file_actions_addopen(&actions, 1, "/dev/null", O_WRONLY, 0);
        posix_spawn_file_actions_addopen(&actions, 2, "/dev/null", O_WRONLY, 0);
        pid_t pid = 0;
        int failed = ::posix_spawnp(&pid, wine.c_str(), &actions, nullptr, argv.data(), envp.data());
        posix_spawn_file_actions_destroy(&actions);
        if (failed != 0)
            return false;
        int status = 0;
        while (::waitpid(pid, &status, 0) < 0) {
            if (errno != EINTR)
                return false;
        }
        return WIFEXITED(status) && WEXITSTATUS(status) == 0;
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
