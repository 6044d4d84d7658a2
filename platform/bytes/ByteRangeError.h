#pragma once

// A field that lies outside the bytes it was to be read from or written to.

#include "platform/types/Exception.h"

#include <cstdint>
#include <string>

namespace platform {

class ByteRangeError : public Exception {
public:
    // `offset` counts from the start of the whole input, not of the window that was read.
    ByteRangeError(std::string field, uint64_t offset)
        : Exception(field + " at offset " + std::to_string(offset) + " runs past the end")
        , m_field(std::move(field))
        , m_offset(offset)
    {
    }

    const std::string& Field() const { return m_field; }
    uint64_t Offset() const { return m_offset; }

private:
    std::string m_field;
    uint64_t m_offset;
};

}
