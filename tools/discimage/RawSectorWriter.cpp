#include "tools/discimage/RawSectorWriter.h"

#include <array>
#include <cstdint>
#include <fstream>

namespace discimage {

namespace {

constexpr size_t UserBytes = 2048;
constexpr size_t RawBytes = 2352;
constexpr size_t SyncBytes = 12;
constexpr size_t HeaderOffset = 12; // minute, second, frame (BCD), mode
constexpr size_t Mode1Data = 16;
constexpr size_t Mode1Edc = 2064;      // over bytes 0..2063
constexpr size_t SubheaderOffset = 16; // mode 2: the subheader twice, 4 bytes each
constexpr size_t Mode2Data = 24;
constexpr size_t Mode2Edc = 2072; // over the subheader and data, bytes 16..2071
constexpr uint8_t SubmodeData = 0x08;
// The first sector of a disc's first track is at 00:02:00, after the two-second lead-in.
constexpr uint32_t LeadInFrames = 150;

std::array<uint32_t, 256> EdcTable()
{
    std::array<uint32_t, 256> table {};
    for (uint32_t i = 0; i < 256; ++i) {
        uint32_t value = i;
        for (int bit = 0; bit < 8; ++bit)
            value = (value >> 1) ^ ((value & 1) ? 0xD8018001u : 0);
        table[i] = value;
    }
    return table;
}

uint32_t Edc(const uint8_t* data, size_t size)
{
    static const std::array<uint32_t, 256> table = EdcTable();
    uint32_t edc = 0;
    for (size_t i = 0; i < size; ++i)
        edc = (edc >> 8) ^ table[(edc ^ data[i]) & 0xFF];
    return edc;
}

uint8_t Bcd(uint32_t value)
{
    return static_cast<uint8_t>((value / 10) << 4 | (value % 10));
}

void PutLe32(uint8_t* p, uint32_t value)
{
    for (int i = 0; i < 4; ++i)
        p[i] = static_cast<uint8_t>(value >> (8 * i));
}

void MakeSector(const uint8_t* user, uint32_t index, RawMode mode, uint8_t* sector)
{
    std::fill(sector, sector + RawBytes, 0);
    std::fill(sector + 1, sector + SyncBytes - 1, 0xFF);
    uint32_t frame = index + LeadInFrames;
    sector[HeaderOffset] = Bcd(frame / (75 * 60));
    sector[HeaderOffset + 1] = Bcd(frame / 75 % 60);
    sector[HeaderOffset + 2] = Bcd(frame % 75);
    if (mode == RawMode::Mode1) {
        sector[HeaderOffset + 3] = 1;
        std::copy(user, user + UserBytes, sector + Mode1Data);
        PutLe32(sector + Mode1Edc, Edc(sector, Mode1Edc));
    } else {
        sector[HeaderOffset + 3] = 2;
        sector[SubheaderOffset + 2] = SubmodeData;
        sector[SubheaderOffset + 6] = SubmodeData;
        std::copy(user, user + UserBytes, sector + Mode2Data);
        PutLe32(sector + Mode2Edc, Edc(sector + SubheaderOffset, Mode2Edc - SubheaderOffset));
    }
}

}

platform::Result<void> WriteRawImage(const std::filesystem::path& iso, const std::filesystem::path& bin,
    const std::filesystem::path& cue, RawMode mode)
{
    std::ifstream in(iso, std::ios::binary);
    if (!in)
        return platform::Problem { iso.string(), "cannot be read" };
    std::ofstream out(bin, std::ios::binary | std::ios::trunc);
    if (!out)
        return platform::Problem { bin.string(), "cannot be written" };
    std::array<uint8_t, UserBytes> user {};
    std::array<uint8_t, RawBytes> sector {};
    for (uint32_t index = 0;; ++index) {
        in.read(reinterpret_cast<char*>(user.data()), UserBytes);
        if (in.gcount() == 0)
            break;
        if (static_cast<size_t>(in.gcount()) != UserBytes)
            return platform::Problem { iso.string(), "not a whole number of 2048-byte sectors" };
        MakeSector(user.data(), index, mode, sector.data());
        out.write(reinterpret_cast<const char*>(sector.data()), RawBytes);
    }
    std::ofstream sheet(cue, std::ios::binary | std::ios::trunc);
    sheet << "FILE \"" << bin.filename().string() << "\" BINARY\n  TRACK 01 " << (mode == RawMode::Mode1 ? "MODE1/2352" : "MODE2/2352")
          << "\n    INDEX 01 00:00:00\n";
    if (!out.flush() || !sheet.flush())
        return platform::Problem { bin.string(), "cannot be written" };
    return {};
}

}
