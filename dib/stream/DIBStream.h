#pragma once

// The byte streams that surfaces, compressors and picture formats read and write: positioned,
// sized, with whole-buffer reads that fail on a short stream.

#include "platform/types/Exception.h"

#include <cstddef>
#include <cstdint>
#include <span>
#include <string>
#include <vector>

class EDIBStreamError : public platform::Exception {
public:
    using platform::Exception::Exception;
};

inline constexpr const char* StreamReadErrorMessage = "Stream read error";
inline constexpr const char* StreamWriteErrorMessage = "Stream write error";

class TDIBStream {
public:
    virtual ~TDIBStream() = default;

    // Up to count bytes from the position on; returns how many were read.
    virtual size_t Read(void* buffer, size_t count) = 0;
    virtual void Write(const void* buffer, size_t count) = 0;
    virtual uint64_t Position() const = 0;
    virtual void SetPosition(uint64_t position) = 0;
    virtual uint64_t Size() const = 0;

    uint64_t Remaining() const { return Size() > Position() ? Size() - Position() : 0; }

    // Exactly count bytes, else EDIBStreamError StreamReadErrorMessage with nothing consumed
    // that the caller could rely on.
    void ReadBuffer(void* buffer, size_t count);
    void WriteBuffer(const void* buffer, size_t count) { Write(buffer, count); }
    void WriteBytes(std::span<const uint8_t> bytes) { Write(bytes.data(), bytes.size()); }

    uint16_t ReadUInt16();
    uint32_t ReadUInt32();
    void WriteUInt16(uint16_t value);
    void WriteUInt32(uint32_t value);

    // Everything from the position to the end.
    std::vector<uint8_t> ReadRest();
};

// A stream over a growable byte block it owns.
class TDIBMemoryStream : public TDIBStream {
public:
    TDIBMemoryStream() = default;
    explicit TDIBMemoryStream(std::vector<uint8_t> bytes)
        : m_bytes(std::move(bytes))
    {
    }
    explicit TDIBMemoryStream(std::span<const uint8_t> bytes)
        : m_bytes(bytes.begin(), bytes.end())
    {
    }

    size_t Read(void* buffer, size_t count) override;
    void Write(const void* buffer, size_t count) override;
    uint64_t Position() const override { return m_position; }
    void SetPosition(uint64_t position) override { m_position = position; }
    uint64_t Size() const override { return m_bytes.size(); }

    const std::vector<uint8_t>& Bytes() const { return m_bytes; }
    std::vector<uint8_t> TakeBytes();

private:
    std::vector<uint8_t> m_bytes;
    uint64_t m_position = 0;
};
