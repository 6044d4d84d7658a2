#pragma once

// Programs for process tests: shell scripts and fake Windows executables in a test prefix.

#include "tests/platform/files/TempPrefix.h"

#include <filesystem>
#include <string>
#include <sys/stat.h>

namespace torvatest {

inline void WriteScript(const std::filesystem::path& file, const std::string& body)
{
    TempPrefix::Write(file, "#!/bin/sh\n" + body);
    ::chmod(file.c_str(), 0755);
}

// The smallest file our classification takes for a 32-bit Windows program.
inline void WriteWindowsProgram(const std::filesystem::path& file)
{
    std::string bytes(0x84, '\0');
    bytes[0] = 'M';
    bytes[1] = 'Z';
    bytes[0x3C] = '\x80';
    bytes.replace(0x80, 4, std::string("PE\0\0", 4));
    TempPrefix::Write(file, bytes);
}

}
