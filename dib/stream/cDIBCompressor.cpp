#include "dib/stream/cDIBCompressor.h"

#include "dib/stream/cDIBStandardCompressors.h"
#include "dib/stream/LittleEndian.h"

#include <algorithm>
#include <cstring>

using namespace dibstream;

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

TGUID TGUID::FromBytes(const uint8_t* bytes)
{
    TGUID id;
    id.D1 = ReadLE32(bytes);
    id.D2 = ReadLE16(bytes + 4);
    id.D3 = ReadLE16(bytes + 6);
    std::memcpy(id.D4.data(), bytes + 8, id.D4.size());
    return id;
}

void TGUID::ToBytes(uint8_t* bytes) const
{
    WriteLE32(bytes, D1);
    WriteLE16(bytes + 4, D2);
    WriteLE16(bytes + 6, D3);
    std::memcpy(bytes + 8, D4.data(), D4.size());
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
