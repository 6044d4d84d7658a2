#include "dib/surface/DIBData.h"

#include "dib/surface/cDIB.h"
#include "dib/stream/cDIBCompressor.h"
#include "platform/bytes/ByteReader.h"
#include "platform/bytes/ByteWriter.h"

#include <algorithm>
#include <array>
#include <cstring>

using namespace dibstream;

namespace {

// Largest raw stream a surface can be read from.
constexpr uint64_t MaxRawLength = RawHeaderSize + uint64_t(TAbstractSuperDIB::MaxPixels) * 4;

void ReadEnvelope(TAbstractSuperDIB& dib, TDIBStream& stream, const platform::ByteReader& header)
{
    const TGUID id = TGUID::FromBytes(header.Bytes(EnvelopeIdOffset, TGUID::ByteSize));
    const uint32_t rawLength = header.U32(EnvelopeRawLengthOffset);
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
    ApplyRawDIBStream(dib, raw);
}

void ReadRaw(TAbstractSuperDIB& dib, TDIBStream& stream)
{
    std::vector<uint8_t> raw(RawHeaderSize);
    stream.ReadBuffer(raw.data(), raw.size());
    const platform::ByteReader header(raw);
    const uint64_t pixelBytes = uint64_t(header.U16(RawWidthOffset)) * header.U16(RawHeightOffset) * 4;
    if (pixelBytes > stream.Remaining())
        throw EDIBStreamError(StreamReadErrorMessage);
    raw.resize(RawHeaderSize + pixelBytes);
    stream.ReadBuffer(raw.data() + RawPixelsOffset, pixelBytes);
    ApplyRawDIBStream(dib, raw);
}

}

std::vector<uint8_t> BuildRawDIBStream(const TAbstractSuperDIB& dib)
{
    if (!dib.Bits())
        throw EDIBStreamError("The surface has no pixels to write.");
    const size_t pixelBytes = size_t(dib.Width()) * size_t(dib.Height()) * 4;
    platform::ByteWriter raw(RawHeaderSize + pixelBytes);
    raw.Put16(RawWidthOffset, static_cast<uint16_t>(dib.Width()));
    raw.Put16(RawHeightOffset, static_cast<uint16_t>(dib.Height()));
    raw.PutBytes(RawPixelsOffset, std::span(reinterpret_cast<const uint8_t*>(dib.Bits()), pixelBytes));
    return raw.Take();
}

void ApplyRawDIBStream(TAbstractSuperDIB& dib, std::span<const uint8_t> raw)
{
    const platform::ByteReader fields(raw);
    if (!fields.Holds(0, RawHeaderSize))
        throw EDIBStreamError(StreamReadErrorMessage);
    const int width = fields.U16(RawWidthOffset);
    const int height = fields.U16(RawHeightOffset);
    const uint64_t pixels = uint64_t(width) * uint64_t(height);
    if (!fields.Holds(RawPixelsOffset, pixels * 4))
        throw EDIBStreamError(StreamReadErrorMessage);
    if (width == 0 || height == 0)
        throw EDIBStreamError("A DIB stream of " + std::to_string(width) + " x " + std::to_string(height)
            + " pixels has no pixels.");
    if (pixels > uint64_t(TAbstractSuperDIB::MaxPixels))
        throw EDIBStreamError("A DIB stream of " + std::to_string(width) + " x " + std::to_string(height)
            + " pixels is too large.");
    dib.SetSize(width, height);
    std::memcpy(dib.Bits(), fields.Bytes(RawPixelsOffset, pixels * 4).data(), static_cast<size_t>(pixels) * 4);
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
            platform::ByteWriter header(EnvelopeHeaderSize);
            header.PutBytes(EnvelopeSignatureOffset, EnvelopeSignature);
            TGUID id;
            compressor->GetID(id);
            header.PutBytes(EnvelopeIdOffset, id.ToBytes());
            header.Put32(EnvelopeRawLengthOffset, static_cast<uint32_t>(raw.size()));
            stream.WriteBytes(header.Bytes());
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
        std::array<uint8_t, EnvelopeHeaderSize> bytes;
        stream.ReadBuffer(bytes.data(), bytes.size());
        const platform::ByteReader header(bytes);
        if (std::ranges::equal(header.Bytes(EnvelopeSignatureOffset, sizeof EnvelopeSignature), EnvelopeSignature)) {
            ReadEnvelope(dib, stream, header);
            return;
        }
        stream.SetPosition(start);
    }
    ReadRaw(dib, stream);
}
