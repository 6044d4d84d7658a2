#include "dib/stream/cDIBCompressor.h"

#include "dib/stream/cDIBStandardCompressors.h"
#include "platform/bytes/ByteReader.h"
#include "platform/bytes/ByteWriter.h"

#include <algorithm>

namespace {

struct CompressorRegistry {
    std::vector<std::unique_ptr<TAbstractDIBCompressor>> compressors;
    TAbstractDIBCompressor* current = nullptr;

    CompressorRegistry() { AddStandardDIBCompressors(compressors); }
};

CompressorRegistry& Registry()
{
    static CompressorRegistry registry;
    return registry;
}

}

TGUID TGUID::FromBytes(std::span<const uint8_t> bytes)
{
    const platform::ByteReader guid(bytes);
    TGUID id;
    id.D1 = guid.U32(D1Offset, "GUID");
    id.D2 = guid.U16(D2Offset, "GUID");
    id.D3 = guid.U16(D3Offset, "GUID");
    std::ranges::copy(guid.Bytes(D4Offset, id.D4.size(), "GUID"), id.D4.begin());
    return id;
}

std::array<uint8_t, TGUID::ByteSize> TGUID::ToBytes() const
{
    platform::ByteWriter guid(ByteSize);
    guid.Put32(D1Offset, D1);
    guid.Put16(D2Offset, D2);
    guid.Put16(D3Offset, D3);
    guid.PutBytes(D4Offset, D4);
    std::array<uint8_t, ByteSize> bytes {};
    std::ranges::copy(guid.Bytes(), bytes.begin());
    return bytes;
}

uint64_t TAbstractDIBCompressor::MaxUnpackedSize(uint64_t) const { return UINT64_MAX; }

void RegisterDIBCompressor(std::unique_ptr<TAbstractDIBCompressor> compressor)
{
    if (compressor)
        Registry().compressors.push_back(std::move(compressor));
}

std::unique_ptr<TAbstractDIBCompressor> UnregisterDIBCompressor(TAbstractDIBCompressor* compressor)
{
    auto& registry = Registry();
    auto found = std::find_if(registry.compressors.begin(), registry.compressors.end(),
        [compressor](const auto& entry) { return entry.get() == compressor; });
    if (found == registry.compressors.end())
        return nullptr;
    std::unique_ptr<TAbstractDIBCompressor> owned = std::move(*found);
    registry.compressors.erase(found);
    if (registry.current == compressor)
        registry.current = nullptr;
    return owned;
}

std::vector<TAbstractDIBCompressor*> DIBCompressors()
{
    std::vector<TAbstractDIBCompressor*> list;
    for (const auto& compressor : Registry().compressors)
        list.push_back(compressor.get());
    return list;
}

TAbstractDIBCompressor* FindDIBCompressor(const TGUID& id)
{
    const auto& compressors = Registry().compressors;
    for (auto it = compressors.rbegin(); it != compressors.rend(); ++it) {
        if ((*it)->HandlesID(id))
            return it->get();
    }
    return nullptr;
}

TAbstractDIBCompressor* CurrentDIBCompressor() { return Registry().current; }

void SetCurrentDIBCompressor(TAbstractDIBCompressor* compressor) { Registry().current = compressor; }
