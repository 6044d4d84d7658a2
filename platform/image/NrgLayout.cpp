#include "platform/image/NrgLayout.h"

namespace platform {

namespace {

// Footer: "NER5" and a 64-bit offset in the last 12 bytes, or (older) "NERO" and 32 bits in
// the last 8; big-endian like every number of the format.
constexpr size_t FooterV2 = 12;
constexpr size_t FooterV1 = 8;
// Chunk: four letters, a 32-bit length, the data.
constexpr size_t ChunkHeader = 8;
constexpr size_t MaxChunks = 256;
constexpr uint32_t MaxChunkBytes = 1u << 20;

// Track at once: one entry per track.
namespace Etn2 {
constexpr size_t Size = 32;
constexpr size_t Start = 0;  // 64-bit
constexpr size_t Length = 8; // 64-bit
constexpr size_t Mode = 16;  // 32-bit
}
namespace Etnf {
constexpr size_t Size = 20;
constexpr size_t Start = 0; // 32-bit
constexpr size_t Length = 4;
constexpr size_t Mode = 8;
}
// Disc at once: a 22-byte header, then one entry per track.
constexpr size_t DaoHeader = 22;
namespace Daox {
constexpr size_t Size = 42;
constexpr size_t SectorSize = 12; // 16-bit
constexpr size_t Index1 = 26;     // 64-bit
constexpr size_t End = 34;
}
namespace Daoi {
constexpr size_t Size = 30;
constexpr size_t SectorSize = 12;
constexpr size_t Index1 = 22; // 32-bit
constexpr size_t End = 26;
}

uint64_t Be(std::string_view bytes, size_t at, size_t width)
{
    uint64_t value = 0;
    for (size_t i = 0; i < width; ++i)
        value = value << 8 | static_cast<uint8_t>(bytes[at + i]);
    return value;
}

// Track-at-once modes: 0 mode 1 and 2 mode 2 form 1 keep 2048 bytes a sector, 3 mode 2 keeps
// 2336, 7 audio and 6 mixed mode 2 keep whole 2352-byte frames.
std::optional<uint32_t> TaoSectorSize(uint64_t mode)
{
    switch (mode) {
    case 0:
    case 2:
        return 2048;
    case 3:
        return 2336;
    case 6:
        return 2352;
    default:
        return std::nullopt;
    }
}

bool KnownSectorSize(uint64_t size)
{
    return size == 2048 || size == 2336 || size == 2352 || size == 2448;
}

}

Result<NrgTrack> ReadNrgLayout(uint64_t fileBytes, const NrgReader& read, const std::string& file)
{
    uint64_t chunks = 0;
    auto v2 = fileBytes >= FooterV2 ? read(fileBytes - FooterV2, FooterV2) : std::nullopt;
    auto v1 = fileBytes >= FooterV1 ? read(fileBytes - FooterV1, FooterV1) : std::nullopt;
    uint64_t chunksEnd = fileBytes;
    if (v2 && v2->size() == FooterV2 && v2->compare(0, 4, "NER5") == 0) {
        chunks = Be(*v2, 4, 8);
        chunksEnd = fileBytes - FooterV2;
    } else if (v1 && v1->size() == FooterV1 && v1->compare(0, 4, "NERO") == 0) {
        chunks = Be(*v1, 4, 4);
        chunksEnd = fileBytes - FooterV1;
    } else {
        return Problem { file, "no NRG footer (NER5 or NERO) at its end" };
    }
    if (chunks >= chunksEnd) {
        return Problem { file, "its NRG footer points beyond the file" };
    }
    uint64_t at = chunks;
    for (size_t count = 0; count < MaxChunks && at + ChunkHeader <= chunksEnd; ++count) {
        auto header = read(at, ChunkHeader);
        if (!header || header->size() != ChunkHeader)
            break;
        std::string id = header->substr(0, 4);
        uint64_t length = Be(*header, 4, 4);
        if (id == "END!")
            break;
        if (length > MaxChunkBytes || at + ChunkHeader + length > chunksEnd) {
            return Problem { file, "its NRG chunk " + id + " does not fit the file" };
        }
        auto data = read(at + ChunkHeader, static_cast<size_t>(length));
        if (!data || data->size() != length)
            break;
        NrgTrack track;
        bool found = false;
        if (id == "ETN2" && length >= Etn2::Size) {
            auto size = TaoSectorSize(Be(*data, Etn2::Mode, 4));
            track = { Be(*data, Etn2::Start, 8), Be(*data, Etn2::Length, 8), size.value_or(0) };
            found = size.has_value();
        } else if (id == "ETNF" && length >= Etnf::Size) {
            auto size = TaoSectorSize(Be(*data, Etnf::Mode, 4));
            track = { Be(*data, Etnf::Start, 4), Be(*data, Etnf::Length, 4), size.value_or(0) };
            found = size.has_value();
        } else if (id == "DAOX" && length >= DaoHeader + Daox::Size) {
            uint64_t index1 = Be(*data, DaoHeader + Daox::Index1, 8);
            uint64_t end = Be(*data, DaoHeader + Daox::End, 8);
            track = { index1, end > index1 ? end - index1 : 0, static_cast<uint32_t>(Be(*data, DaoHeader + Daox::SectorSize, 2)) };
            found = KnownSectorSize(track.sectorSize);
        } else if (id == "DAOI" && length >= DaoHeader + Daoi::Size) {
            uint64_t index1 = Be(*data, DaoHeader + Daoi::Index1, 4);
            uint64_t end = Be(*data, DaoHeader + Daoi::End, 4);
            track = { index1, end > index1 ? end - index1 : 0, static_cast<uint32_t>(Be(*data, DaoHeader + Daoi::SectorSize, 2)) };
            found = KnownSectorSize(track.sectorSize);
        }
        if (found) {
            if (track.offset >= chunks) {
                return Problem { file, "its first NRG track starts beyond its data" };
            }
            if (track.bytes == 0 || track.offset + track.bytes > chunks)
                track.bytes = chunks - track.offset;
            return track;
        }
        at += ChunkHeader + length;
    }
    return Problem { file, "its NRG chunks name no data track" };
}

}
