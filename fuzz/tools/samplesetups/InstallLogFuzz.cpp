// An uninstaller reads its log from the game folder and a setup its description: both are
// outside input. A log that parses must serialize to one that parses the same.

#include "tools/samplesetups/InstallLog.h"
#include "tools/samplesetups/SampleConfig.h"

#include <cstdint>
#include <cstdlib>
#include <string>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    std::string_view input(reinterpret_cast<const char*>(data), size);
    if (auto log = samplesetups::InstallLog::Parse(input)) {
        std::string text = log->Serialize();
        auto again = samplesetups::InstallLog::Parse(text);
        if (!again || again->Serialize() != text)
            std::abort();
    }
    samplesetups::ParseSampleConfig(input);
    return 0;
}
