#include "platform/image/ZisofsFile.h"

#include "platform/bytes/ByteReader.h"

#include <zlib.h>

#include <cstring>
#include <optional>
#include <vector>

namespace platform {

namespace {

namespace Header {
constexpr size_t Magic = 0;
constexpr size_t Size = 8;        // 32-bit little-endian
constexpr size_t HeaderSize = 12; // in units of 4 bytes
constexpr size_t BlockLog2 = 13;
constexpr size_t Bytes = 16;
}
constexpr char MagicBytes[8] = { '\x37', '\xE4', '\x53', '\x96', '\xC9', '\xDB', '\xD6', '\x07' };
constexpr unsigned MinBlockLog2 = 15;
constexpr unsigned MaxBlockLog2 = 17;

// A block that inflates to `expected` bytes, or what is wrong with it.
std::optional<std::string> InflateBlock(std::string_view stored, size_t expected, std::string& out)
{
    out.assign(expected, '\0');
    if (stored.empty())
        return std::nullopt;
    z_stream stream {};
    if (inflateInit(&stream) != Z_OK)
        return "zlib cannot start";
    stream.next_in = reinterpret_cast<Bytef*>(const_cast<char*>(stored.data()));
    stream.avail_in = static_cast<uInt>(stored.size());
    // One byte more than expected shows a block that inflates too far.
    std::string room(expected + 1, '\0');
    stream.next_out = reinterpret_cast<Bytef*>(room.data());
    stream.avail_out = static_cast<uInt>(room.size());
    int status = inflate(&stream, Z_FINISH);
    size_t produced = room.size() - stream.avail_out;
    inflateEnd(&stream);
    if (status != Z_STREAM_END || produced != expected)
        return "a zisofs block does not inflate to its size";
    std::memcpy(out.data(), room.data(), expected);
    return std::nullopt;
}

}

Result<InflateResult> InflateZisofs(uint64_t stored, uint64_t size, const StoredBytes& read, const InflatedBytes& write,
    const std::string& name)
{
    if (stored < Header::Bytes)
        return Problem { name, "a zisofs file is shorter than its header" };
    auto head = read(0, Header::Bytes);
    if (!head)
        return InflateResult::Unreadable;
    ByteReader fields(*head);
    unsigned headerBytes = static_cast<uint8_t>((*head)[Header::HeaderSize]) * 4u;
    unsigned blockLog2 = static_cast<uint8_t>((*head)[Header::BlockLog2]);
    if (std::memcmp(head->data() + Header::Magic, MagicBytes, sizeof MagicBytes) != 0 || headerBytes < Header::Bytes
        || blockLog2 < MinBlockLog2 || blockLog2 > MaxBlockLog2 || fields.U32(Header::Size) != size)
        return Problem { name, "a zisofs header is not one (magic, header size, block size or file size)" };
    const uint64_t blockBytes = uint64_t(1) << blockLog2;
    const uint64_t blocks = (size + blockBytes - 1) / blockBytes;
    const uint64_t tableBytes = (blocks + 1) * 4;
    if (headerBytes + tableBytes > stored)
        return Problem { name, "a zisofs block table runs past its file" };
    auto table = read(headerBytes, static_cast<size_t>(tableBytes));
    if (!table)
        return InflateResult::Unreadable;
    ByteReader pointers(*table);
    // zlib never makes a block much larger than what it holds.
    const uint64_t maxStoredBlock = blockBytes + blockBytes / 8 + 64;
    std::string block;
    for (uint64_t i = 0; i < blocks; ++i) {
        uint64_t from = pointers.U32(i * 4), to = pointers.U32((i + 1) * 4);
        if (from < headerBytes + tableBytes || to < from || to > stored || to - from > maxStoredBlock)
            return Problem { name, "a zisofs block pointer lies outside its file" };
        auto bytes = read(from, static_cast<size_t>(to - from));
        if (!bytes)
            return InflateResult::Unreadable;
        size_t expected = static_cast<size_t>(std::min(blockBytes, size - i * blockBytes));
        if (auto damage = InflateBlock(*bytes, expected, block))
            return Problem { name, *damage };
        if (!write(block))
            return InflateResult::Stopped;
    }
    return InflateResult::Done;
}

}
