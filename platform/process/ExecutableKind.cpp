#include "platform/process/Process.h"

#include <cstdint>

namespace platform {

namespace {

// Offsets of the DOS header and of the new-style header it points at.
constexpr size_t kDosSignatureOffset = 0x00;
constexpr size_t kNewHeaderPointerOffset = 0x3C;

uint32_t ReadLittle32(std::string_view bytes, size_t offset)
{
    uint32_t value = 0;
    for (size_t i = 0; i < 4; ++i)
        value |= static_cast<uint32_t>(static_cast<uint8_t>(bytes[offset + i])) << (8 * i);
    return value;
}

bool StartsWith(std::string_view bytes, size_t offset, std::string_view signature)
{
    return bytes.size() >= offset + signature.size() && bytes.substr(offset, signature.size()) == signature;
}

}

ExecutableKind ClassifyExecutable(std::string_view bytes)
{
    if (StartsWith(bytes, 0, "\x7F"
                             "ELF")
        || StartsWith(bytes, 0, "#!"))
        return ExecutableKind::Native;
    if (!StartsWith(bytes, kDosSignatureOffset, "MZ") || bytes.size() < kNewHeaderPointerOffset + 4)
        return ExecutableKind::None;
    uint32_t newHeader = ReadLittle32(bytes, kNewHeaderPointerOffset);
    if (StartsWith(bytes, newHeader, std::string_view("PE\0\0", 4)) || StartsWith(bytes, newHeader, "NE"))
        return ExecutableKind::Windows;
    return ExecutableKind::None;
}

size_t ExecutableHeaderBytesNeeded(std::string_view firstBytes)
{
    if (!StartsWith(firstBytes, kDosSignatureOffset, "MZ") || firstBytes.size() < kNewHeaderPointerOffset + 4)
        return 0;
    uint32_t newHeader = ReadLittle32(firstBytes, kNewHeaderPointerOffset);
    return static_cast<size_t>(newHeader) + 4;
}

}
