// Shortcut files come from whatever a setup left in the Start menu: any bytes must either parse
// or be refused with LnkFormatError.

#include "shell/LnkFormat.h"

#include <cstddef>
#include <cstdint>
#include <span>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    try {
        shell::LnkFile link = shell::ParseLnk(std::span<const uint8_t>(data, size));
        std::string target = shell::ResolveTarget(link, "C:\\A\\B\\");
        std::string fromIdList = shell::IdListPath(link);
        (void)target;
        (void)fromIdList;
    } catch (const shell::LnkFormatError&) {
    }
    return 0;
}
