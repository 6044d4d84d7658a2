// Catalogue values and uninstaller command lines reach the text helpers unchecked.

#include "shell/PathText.h"

#include <cstddef>
#include <cstdint>
#include <string>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    std::string text(reinterpret_cast<const char*>(data), size);
    size_t total = 0;
    for (const std::string& entry : shell::SplitList(text))
        total += entry.size();
    if (total > text.size())
        __builtin_trap();
    std::string folder = shell::UninstallDirOf(text);
    if (folder.size() > text.size())
        __builtin_trap();
    shell::CutAfterExtension(text);
    shell::CutBeforeColon(text);
    shell::DoubleAmpersands(text);
    shell::GetParentDir(text);
    shell::ExtractFilePath(shell::StripQuotes(text));
    return 0;
}
