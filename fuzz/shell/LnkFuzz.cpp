// Shortcut files come from whatever a setup left in the Start menu: any bytes must either parse
// or be refused with a reason.

#include "shell/LnkFormat.h"

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <span>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    auto link = shell::ParseLnk(std::span<const uint8_t>(data, size), "fuzz.lnk");
    if (!link) {
        if (link.Error().reason.empty())
            std::abort();
        return 0;
    }
    std::string target = shell::ResolveTarget(*link, "C:\\A\\B\\");
    std::string fromIdList = shell::IdListPath(*link);
    (void)target;
    (void)fromIdList;
    return 0;
}
