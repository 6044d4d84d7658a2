#include "tools/samplesetups/SampleMachine.h"

#include "platform/machine/Machine.h"

#include <cstdlib>
#include <ostream>

namespace samplesetups {

bool UseMachineFromEnvironment(std::ostream& err)
{
    const char* prefix = std::getenv("WINEPREFIX");
    if (!prefix || !*prefix) {
        err << "WINEPREFIX is not set: start this program from the menu, or set it to the machine's prefix\n";
        return false;
    }
    std::filesystem::path root(prefix);
    std::error_code error;
    if (!std::filesystem::is_directory(root / "drive_c", error)) {
        err << "WINEPREFIX " << root.string() << " has no drive_c\n";
        return false;
    }
    platform::SetCurrentMachine(std::make_shared<platform::Machine>(root));
    return true;
}

std::filesystem::path OwnProgramPath()
{
    std::error_code error;
    std::filesystem::path self = std::filesystem::read_symlink("/proc/self/exe", error);
    return error ? std::filesystem::path() : self;
}

}
