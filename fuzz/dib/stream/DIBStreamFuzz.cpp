// A surface's "Data" from untrusted bytes: raw streams and envelopes of every compressor.
#include "dib/surface/cDIB.h"
#include "dib/surface/DIBData.h"
#include "dib/stream/cDIBCompressor.h"
#include "dib/stream/LzhCodec.h"

#include <cstdlib>
#include <cstring>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    TMemoryDIB dib(2, 2);
    dib.Fill(0x00123456);
    TDIBMemoryStream stream(std::span<const uint8_t>(data, size));
    try {
        ReadDIBData(dib, stream);
    } catch (const EDIBStreamError&) {
    } catch (const EDIBCompressError&) {
    } catch (const ElzhException&) {
    }
    // Whatever was read must write back as the same pixels.
    TDIBMemoryStream out;
    WriteDIBData(dib, out);
    TMemoryDIB copy;
    out.SetPosition(0);
    ReadDIBData(copy, out);
    if (copy.Width() != dib.Width() || copy.Height() != dib.Height()
        || std::memcmp(copy.Bits(), dib.Bits(), size_t(dib.Width()) * dib.Height() * 4) != 0)
        std::abort();
    return 0;
}
