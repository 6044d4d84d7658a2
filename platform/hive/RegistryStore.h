#pragma once

// The two hive files of a prefix and the rule for changing them: straight in the files while
// no wineserver runs for the prefix, otherwise through "wine reg" (mirrored in memory so that
// this process reads its own writes at once). Paths here are physical, below the hive's root.

#include "platform/hive/HiveFile.h"
#include "platform/hive/WineServer.h"

#include <filesystem>
#include <functional>
#include <memory>
#include <string>
#include <vector>

namespace platform {

enum class Hive { LocalMachine,
    CurrentUser };

class RegistryStore {
public:
    RegistryStore(std::filesystem::path systemReg, std::filesystem::path userReg, std::shared_ptr<WineServer> server);

    const RegistryFile& Read(Hive hive);
    HiveFile& File(Hive hive) { return hive == Hive::LocalMachine ? m_system : m_user; }
    bool IsWin64() { return Read(Hive::LocalMachine).IsWin64(); }

    void SetWineServer(std::shared_ptr<WineServer> server) { m_server = std::move(server); }
    WineServer& Server() { return *m_server; }

    // Each returns true when the change was made.
    bool CreateKey(Hive hive, std::u16string_view path);
    bool SetValue(Hive hive, std::u16string_view path, std::u16string_view name, uint32_t type, std::vector<uint8_t> data);
    bool DeleteValue(Hive hive, std::u16string_view path, std::u16string_view name);
    bool DeleteKeyTree(Hive hive, std::u16string_view path);

private:
    bool Change(Hive hive, const std::function<bool(RegistryFile&)>& change, const std::function<std::vector<std::string>()>& wineArguments);

    HiveFile m_system;
    HiveFile m_user;
    std::shared_ptr<WineServer> m_server;
};

// "wine reg add" arguments for a value, e.g. {"add", "HKLM\\Software\\X", "/v", "Name", "/t",
// "REG_SZ", "/d", "text", "/f"}; names and data in UTF-8.
std::vector<std::string> WineRegAddArguments(Hive hive, std::u16string_view path, std::u16string_view name, uint32_t type, const std::vector<uint8_t>& data);

}
