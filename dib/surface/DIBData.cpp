#include "dib/surface/DIBData.h"

#include "dib/surface/cDIB.h"
#include "dib/stream/cDIBCompressor.h"
#include "dib/stream/LittleEndian.h"

#include <cstring>

using namespace dibstream;

namespace {

// Largest raw stream a surface can be read from.
constexpr uint64_t MaxRawLength = RawHeaderSize + uint64_t(TAbstractSuperDIB::MaxPixels) * 4;

void ReadEnvelope(TAbstractSuperDIB& dib, TDIBStream& stream, const uint8_t* header)
{
    const TGUID id = TGUID::FromBytes(header + EnvelopeIdOffset);
    const uint32_t rawLength = ReadLE32(header + EnvelopeRawLengthOffset);
    TAbstractDIBCompressor* compressor = FindDIBCompressor(id);
    if (!compressor)
        throw EDIBCompressError(NoDecompressorMessage);

    const uint64_t payloadSize = stream.Remaining();
    if (rawLength < RawHeaderSize || rawLength > MaxRawLength || payloadSize > UINT32_MAX
        || rawLength > compressor->MaxUnpackedSize(payloadSize))
        throw EDIBCompressError("The compressed DIB data does not fit its stated length of " + std::to_string(rawLength)
            + " bytes.");
    const std::vector<uint8_t> payload = stream.ReadRest();
    std::vector<uint8_t> raw(rawLength);
    compressor->Decompress(&dib, payload.data(), static_cast<uint32_t>(payload.size()), raw.data(), rawLength);
    ApplyRawDIBStream(dib, raw.data(), raw.size());
}

void ReadRaw(TAbstractSuperDIB& dib, TDIBStream& stream)
{
    uint8_t header[RawHeaderSize];
    stream.ReadBuffer(header, sizeof header);
    const uint64_t pixelBytes = uint64_t(ReadLE16(header + RawWidthOffset)) * ReadLE16(header + RawHeightOffset) * 4;
    if (pixelBytes > stream.Remaining())
        throw EDIBStreamError(StreamReadErrorMessage);
    std::vector<uint8_t> raw(RawHeaderSize + pixelBytes);
    std::memcpy(raw.data(), header, sizeof header);
    stream.ReadBuffer(raw.data() + RawPixelsOffset, pixelBytes);
    ApplyRawDIBStream(dib, raw.data(), raw.size());
}

}

std::vector<uint8_t> BuildRawDIBStream(const TAbstractSuperDIB& dib)
{
    if (!dib.Bits())
        throw EDIBStreamError("The surface has no pixels to write.");
    const size_t pixelBytes = size_t(dib.Width()) * size_t(dib.Height()) * 4;
    std::vector<uint8_t> raw(RawHeaderSize + pixelBytes);
    WriteLE16(raw.data() + RawWidthOffset, static_cast<uint16_t>(dib.Width()));
    WriteLE16(raw.data() + RawHeightOffset, static_cast<uint16_t>(dib.Height()));
    std::memcpy(raw.data() + RawPixelsOffset, dib.Bits(), pixelBytes);
    return raw;
}

void ApplyRawDIBStream(TAbstractSuperDIB& dib, const uint8_t* raw, size_t rawSize)
{
    if (rawSize < RawHeaderSize)
        throw EDIBStreamError(StreamReadErrorMessage);
    const int width = ReadLE16(raw + RawWidthOffset);
    const int height = ReadLE16(raw + RawHeightOffset);
    const uint64_t pixels = uint64_t(width) * uint64_t(height);
    if (pixels * 4 > rawSize - RawHeaderSize)
        throw EDIBStreamError(StreamReadErrorMessage);
    if (width == 0 || height == 0)
        throw EDIBStreamError("A DIB stream of " + std::to_string(width) + " x " + std::to_string(height)
            + " pixels has no pixels.");
    if (pixels > uint64_t(TAbstractSuperDIB::MaxPixels))
        throw EDIBStreamError("A DIB stream of " + std::to_string(width) + " x " + std::to_string(height)
            + " pixels is too large.");
    dib.SetSize(width, height);
    std::memcpy(dib.Bits(), raw + RawPixelsOffset, static_cast<size_t>(pixels) * 4);
    dib.Changed();
}

void WriteDIBData(const TAbstractSuperDIB& dib, TDIBStream& stream)
{
    const std::vector<uint8_t> raw = BuildRawDIBStream(dib);
    if (TAbstractDIBCompressor* compressor = CurrentDIBCompressor()) {
        std::vector<uint8_t> packed(raw.size());
        uint32_t packedLength = 0;
        try {
            packedLength = compressor->Compress(&dib, raw.data(), static_cast<uint32_t>(raw.size()), packed.data());
        } catch (const std::exception&) {
            packedLength = 0; // a failing compressor only means the raw stream is written
        }
        if (packedLength > 0 && packedLength <= raw.size()) {
            uint8_t header[EnvelopeHeaderSize];
            std::memcpy(header + EnvelopeSignatureOffset, EnvelopeSignature, sizeof EnvelopeSignature);
            TGUID id;
            compressor->GetID(id);
            id.ToBytes(header + EnvelopeIdOffset);
            WriteLE32(header + EnvelopeRawLengthOffset, static_cast<uint32_t>(raw.size()));
            stream.WriteBuffer(header, sizeof header);
            stream.WriteBuffer(packed.data(), packedLength);
            return;
        }
    }
    stream.WriteBytes(raw);
}

void ReadDIBData(TAbstractSuperDIB& dib, TDIBStream& stream)
{
    const uint64_t start = stream.Position();
    if (stream.Remaining() >= EnvelopeHeaderSize) {
        uint8_t header[EnvelopeHeaderSize];
        stream.ReadBuffer(header, sizeof header);
        if (std::memcmp(header + EnvelopeSignatureOffset, EnvelopeSignature, sizeof EnvelopeSignature) == 0) {
            ReadEnvelope(dib, stream, header);
            return;
        }
        stream.SetPosition(start);
    }
    ReadRaw(dib, stream);
}
