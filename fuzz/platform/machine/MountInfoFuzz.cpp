// The mount table reader on arbitrary text: it must not crash, every entry it gives has an
// absolute mount point, and a disc found at an entry's mount point is one of the entries.

#include "platform/machine/MountTable.h"

#include <cstdint>
#include <cstdlib>
#include <string_view>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    std::string_view text(reinterpret_cast<const char*>(data), size);
    std::vector<platform::MountEntry> mounts = platform::ParseMountInfo(text);
    for (const platform::MountEntry& mount : mounts) {
        if (!mount.mountPoint.is_absolute())
            std::abort();
        if (auto disc = platform::DiscMountAt(mounts, mount.mountPoint)) {
            if (disc->source.rfind("/dev/", 0) != 0)
                std::abort();
        }
    }
    return 0;
}
