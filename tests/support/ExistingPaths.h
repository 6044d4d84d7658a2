#pragma once

// Which of a list of files and folders exist, for tests that check what an operation removed and
// what it left: one comparison names every path that is wrong.

#include <filesystem>
#include <string>
#include <vector>

namespace torva::test {

// The paths of `relative`, below `base`, that exist, in their order.
inline std::vector<std::string> ExistingPaths(const std::filesystem::path& base, const std::vector<std::string>& relative)
{
    std::vector<std::string> existing;
    for (const std::string& path : relative) {
        if (std::filesystem::exists(base / path))
            existing.push_back(path);
    }
    return existing;
}

}
