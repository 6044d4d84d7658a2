#pragma once

// Hand-built ISO 9660 images for shapes no mastering tool makes (shared or overlapping extents,
// files in several extents, bad names): a primary volume descriptor and folders of records put
// at the sectors a test chooses.

#include <cstdint>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

class IsoBuilder {
public:
    static constexpr uint32_t Sector = 2048;
    static constexpr uint8_t Folder = 0x02;
    static constexpr uint8_t MoreExtents = 0x80;

    struct Record {
        std::string name; // as recorded: "NAME.EXT;1"
        uint32_t lsn = 0;
        uint32_t size = 0;
        uint8_t flags = 0;
    };

    explicit IsoBuilder(uint32_t sectors)
        : m_image(size_t(sectors) * Sector, '\0') {}

    // The records of a folder at `lsn`, after its "." and ".."; a record never crosses a sector.
    void PutFolder(uint32_t lsn, const std::vector<Record>& records)
    {
        std::vector<Record> all { { std::string(1, '\0'), lsn, Sector, Folder }, { std::string(1, '\1'), lsn, Sector, Folder } };
        all.insert(all.end(), records.begin(), records.end());
        size_t at = size_t(lsn) * Sector;
        for (const Record& record : all) {
            std::string bytes = Encode(record);
            if (at / Sector != (at + bytes.size() - 1) / Sector)
                at = (at / Sector + 1) * Sector;
            m_image.replace(at, bytes.size(), bytes);
            at += bytes.size();
        }
    }
    void PutBytes(uint32_t lsn, const std::string& bytes) { m_image.replace(size_t(lsn) * Sector, bytes.size(), bytes); }

    // Writes the image with its root folder at `rootLsn`, `rootSize` bytes long.
    void Write(const std::filesystem::path& file, uint32_t rootLsn, uint32_t rootSize)
    {
        std::string primary(Sector, '\0');
        primary.replace(0, 6, "\1CD001");
        primary[6] = 1;
        primary.replace(40, 4, "HAND");
        primary.replace(80, 8, BothEndian(static_cast<uint32_t>(m_image.size() / Sector)));
        primary.replace(156, 34, Encode({ std::string(1, '\0'), rootLsn, rootSize, Folder }));
        m_image.replace(16 * Sector, Sector, primary);
        m_image.replace(17 * Sector, 7, "\xFF"
                                        "CD001\1");
        std::ofstream(file, std::ios::binary) << m_image;
    }

private:
    static std::string BothEndian(uint32_t value)
    {
        std::string out(8, '\0');
        for (int i = 0; i < 4; ++i) {
            out[size_t(i)] = static_cast<char>(value >> (8 * i));
            out[size_t(7 - i)] = static_cast<char>(value >> (8 * i));
        }
        return out;
    }
    static std::string Encode(const Record& record)
    {
        size_t length = 33 + record.name.size() + (record.name.size() % 2 == 0 ? 1 : 0);
        std::string bytes(length, '\0');
        bytes[0] = static_cast<char>(length);
        bytes.replace(2, 8, BothEndian(record.lsn));
        bytes.replace(10, 8, BothEndian(record.size));
        bytes.replace(18, 3, "\x7A\x06\x0F"); // 2022-06-15
        bytes[25] = static_cast<char>(record.flags);
        bytes[28] = bytes[31] = 1; // volume sequence number
        bytes[32] = static_cast<char>(record.name.size());
        bytes.replace(33, record.name.size(), record.name);
        return bytes;
    }

    std::string m_image;
};
