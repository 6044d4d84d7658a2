// Feeds arbitrary bytes to the shelf's cache reader: it must reject them or read entries that
// write back to a file it reads as the same entries.

#include "shelf/ShelfCache.h"

#include <cstdint>
#include <cstdlib>
#include <string_view>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    std::string_view text(reinterpret_cast<const char*>(data), size);
    auto entries = shelf::ShelfCache::Parse(text);
    if (!entries)
        return 0;
    auto again = shelf::ShelfCache::Parse(shelf::ShelfCache::Write(*entries));
    if (!again || *again != *entries)
        std::abort();
    return 0;
}
