#pragma once

// The computer the menu sees: a folder laid out as a Wine prefix (drive_c, dosdevices,
// system.reg, user.reg). Platform services that take Windows paths or registry keys work on the
// current machine, as the Win32 calls they stand in for work on the running system.

#include <filesystem>
#include <memory>

namespace platform {

class Machine {
public:
    explicit Machine(std::filesystem::path prefixRoot);

    const std::filesystem::path& PrefixRoot() const { return m_prefixRoot; }
    std::filesystem::path DriveCDir() const { return m_prefixRoot / "drive_c"; }
    std::filesystem::path DosDevicesDir() const { return m_prefixRoot / "dosdevices"; }
    std::filesystem::path SystemRegFile() const { return m_prefixRoot / "system.reg"; }
    std::filesystem::path UserRegFile() const { return m_prefixRoot / "user.reg"; }

private:
    std::filesystem::path m_prefixRoot;
};

// The machine platform calls work on. Throws std::logic_error when none was set.
Machine& CurrentMachine();
bool HasCurrentMachine();
void SetCurrentMachine(std::shared_ptr<Machine> machine);

}
