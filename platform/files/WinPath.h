#pragma once

// Lexical handling of Windows paths, shared by the resolver and the file operations.

#include <string>
#include <string_view>
#include <vector>

namespace platform {

struct WinPathParts {
    char drive = 0; // 'A'..'Z'; 0 for UNC and unusable paths
    bool unc = false;
    std::vector<std::string> components; // after the root, "." and ".." already folded
    bool trailingSeparator = false;
};

// Splits the result of GetFullPathName.
WinPathParts SplitFullPath(std::string_view fullPath);

// A component as the file system stores it: trailing blanks and dots are not part of a name.
std::string StoredComponentName(std::string_view component);
// Characters no Windows file name may hold (control characters, < > : " / \ | ? *).
bool IsValidComponentName(std::string_view component);
// The device name NUL, in any case, that every folder answers to.
bool IsNulDevice(std::string_view component);

}
