// Surfaces driven by arbitrary input: sizes, drawing properties and draw rectangles from the
// first bytes (as a stored form or a caller could give them), a picture file from the rest.
// Nothing may read or write outside pixel memory, and failures must leave the surface whole.

#include "dib/surface/cDIB.h"

#include <cstdint>
#include <cstring>
#include <span>

namespace {

class Input {
public:
    Input(const uint8_t* data, size_t size)
        : m_data(data)
        , m_size(size)
    {
    }
    template <typename T>
    T Take()
    {
        T value {};
        const size_t count = std::min(sizeof(T), m_size - m_offset);
        std::memcpy(&value, m_data + m_offset, count);
        m_offset += count;
        return value;
    }
    std::span<const uint8_t> Rest() const { return { m_data + m_offset, m_size - m_offset }; }

private:
    const uint8_t* m_data;
    size_t m_size;
    size_t m_offset = 0;
};

// Shorter inputs do not reach the draw.
constexpr size_t MinimumInput = 32;

void Configure(TAbstractSuperDIB& dib, Input& in)
{
    const uint8_t flags = in.Take<uint8_t>();
    dib.SetOpacity(in.Take<int16_t>());
    dib.SetMasked(flags & 1);
    dib.SetTransparent(flags & 2);
    dib.SetTransparentMode(flags & 4 ? tmFixed : tmAuto);
    dib.SetAutoSize(flags & 8);
    dib.SetTransparentColor(in.Take<int32_t>());
    if (flags & 16) {
        dib.SetAngle(in.Take<int16_t>());
        // Scales up to 4x keep the temporary box small enough for a quick run.
        dib.SetScaleX(in.Take<uint16_t>() % 400);
        dib.SetScaleY(in.Take<uint16_t>() % 400);
    }
}

void Exercise(const uint8_t* data, size_t size)
{
    Input in(data, size);
    TMemoryDIB source(1 + in.Take<uint8_t>() % 40, 1 + in.Take<uint8_t>() % 40);
    TWinDIB dest(1 + in.Take<uint8_t>() % 40, 1 + in.Take<uint8_t>() % 40);
    for (int i = 0; i < source.Width() * source.Height(); ++i)
        source.Bits()[i] = 0x01020304u * static_cast<uint32_t>(i + 1);
    Configure(source, in);
    dest.SetClipRect(in.Take<int16_t>(), in.Take<int16_t>(), in.Take<int16_t>(), in.Take<int16_t>());
    const int x = in.Take<int16_t>() % 2048, y = in.Take<int16_t>() % 2048;
    // Boxes up to 512 square (2048 once scaled) keep a run quick; the clipping does not care.
    const int w = in.Take<int16_t>() % 512, h = in.Take<int16_t>() % 512;
    const int srcX = in.Take<int32_t>(), srcY = in.Take<int32_t>();
    try {
        source.Draw(x, y, w, h, dest, srcX, srcY);
        source.DrawOpaque(x, y, w, h, dest, srcX, srcY);
        source.DrawMaskChannel(x, y, w, h, dest, srcX, srcY);
    } catch (const EDIBError&) {
    }
    source.FillRect(0x123456, in.Take<int32_t>(), in.Take<int32_t>(), in.Take<int32_t>(), in.Take<int32_t>());
    source.RenderTransformed(dest);
    (void)dest.BuildRegion(static_cast<TColor>(dest.TransparentColor()));

    // Sizes that must be refused, and small ones; a legal huge size would only cost time.
    const int newWidth = in.Take<int32_t>(), newHeight = in.Take<int32_t>();
    const bool refused = newWidth < 0 || newHeight < 0 || int64_t(newWidth) * newHeight > TAbstractSuperDIB::MaxPixels
        || newWidth > TAbstractSuperDIB::MaxDimension || newHeight > TAbstractSuperDIB::MaxDimension;
    if (refused || (newWidth <= 512 && newHeight <= 512)) {
        try {
            source.SetSize(newWidth, newHeight);
            if (refused)
                __builtin_trap();
        } catch (const EDIBError&) {
            if (!refused)
                __builtin_trap();
        }
    }
    const int width = dest.Width(), height = dest.Height();
    const uint32_t corner = dest.Bits()[0];
    try {
        dest.LoadPictureBytes(in.Rest());
        (void)dest.BuildRegion(0);
    } catch (const std::exception&) {
        // A picture that cannot be read leaves the surface as it was.
        if (dest.Width() != width || dest.Height() != height || dest.Bits()[0] != corner)
            __builtin_trap();
    }
}

}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    if (size < MinimumInput)
        return 0;
    Exercise(data, size);
    return 0;
}
