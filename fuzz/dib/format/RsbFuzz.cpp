// ".RSB" pictures from untrusted bytes.
#include "dib/surface/cDIB.h"
#include "dib/format/cDIBFormat.h"

#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    TDIBRSBFormat format;
    TMemoryDIB dib(3, 3);
    dib.Fill(0x00654321);
    TDIBMemoryStream stream(std::span<const uint8_t>(data, size));
    try {
        format.LoadFromStream(dib, stream);
    } catch (const EDIBFormatError&) {
        if (dib.Width() != 3 || dib.Height() != 3 || dib.Pixels(1, 1) != 0x00214365)
            std::abort();
        return 0;
    }
    TDIBMemoryStream out;
    format.SaveToStream(dib, out);
    if (out.Size() != 28 + uint64_t(dib.Width()) * dib.Height() * 2)
        std::abort();
    return 0;
}
