#pragma once

// The prefix's wineserver, as far as the registry cares: a running server holds the registry in
// memory and never re-reads the files, so while it runs, changes must go through "wine reg".

#include <filesystem>
#include <memory>
#include <string>
#include <vector>

namespace platform {

class WineServer {
public:
    virtual ~WineServer() = default;
    virtual bool IsRunning() = 0;
    // Runs "wine reg ARGUMENTS..." for the prefix (arguments in UTF-8); true on exit status 0.
    virtual bool RunReg(const std::vector<std::string>& arguments) = 0;
};

// The folder where a wineserver for `prefix` keeps its socket: /tmp/.wine-UID/server-DEV-INODE,
// device and inode of the prefix folder in hexadecimal. Empty when the prefix does not exist.
std::filesystem::path WineServerDirectory(const std::filesystem::path& prefix);

// A server runs when its socket accepts a connection (a stale socket file left by a crash does
// not count). Without wine installed none can run, and RunReg fails.
std::shared_ptr<WineServer> MakeHostWineServer(std::filesystem::path prefix);

}
