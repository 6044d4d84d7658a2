#include "dib/surface/cDIB.h"

#include "dib/stream/DIBStream.h"
#include "dib/surface/DIBData.h"
#include "dib/surface/cDIBSpans.h"
#include "platform/components/ClassBuilder.h"
#include "platform/canvas/Canvas.h"
#include "platform/files/Files.h"
#include "platform/picture/Picture.h"

#include <algorithm>
#include <climits>
#include <cstdint>
#include <cstring>
#include <memory>
#include <new>

namespace {

constexpr uint32_t ColourBits = 0x00FFFFFFu;
constexpr uint32_t MaskByte = 0xFF000000u;
constexpr uint32_t AutoKeyFlag = 0x01000000u;

// The addresses a rectangle of rows covers, from its lowest to one past its highest.
struct RowsExtent {
    uintptr_t low;
    uintptr_t high;
};

RowsExtent ExtentOfRows(const uint32_t* first, int rows, int pixels, ptrdiff_t step)
{
    const uintptr_t start = reinterpret_cast<uintptr_t>(first);
    const uintptr_t last = start + static_cast<uintptr_t>(static_cast<ptrdiff_t>(rows - 1) * step * 4);
    return { std::min(start, last), std::max(start, last) + static_cast<uintptr_t>(pixels) * 4 };
}

// Rows of a bottom-up surface lie downwards in memory, and the processor's prefetchers lose
// each stream at every row start when they are walked that way: a blend of surfaces out of
// the cache ran at a fifth of its speed. Rows are therefore walked upwards in memory whenever
// source and destination share no memory; where they do, the drawing order decides the result
// and is kept.
bool RowsShareNoMemory(const uint32_t* src, const uint32_t* dst, int rows, int pixels, ptrdiff_t srcStep, ptrdiff_t dstStep)
{
    const RowsExtent from = ExtentOfRows(src, rows, pixels, srcStep);
    const RowsExtent to = ExtentOfRows(dst, rows, pixels, dstStep);
    return from.high <= to.low || to.high <= from.low;
}

bool WalkRowsUpwards(const uint32_t* src, const uint32_t* dst, int rows, int pixels, ptrdiff_t srcStep, ptrdiff_t dstStep)
{
    if (rows < 2 || srcStep >= 0 || dstStep >= 0)
        return false;
    return RowsShareNoMemory(src, dst, rows, pixels, srcStep, dstStep);
}

// Pixel memory starts on a cache line, so rows whose width is a multiple of sixteen pixels
// are walked in whole lines by the vector kernels.
constexpr std::align_val_t PixelAlignment { 64 };

uint32_t* NewPixelMemory(int width, int height)
{
    return new (PixelAlignment) uint32_t[static_cast<size_t>(width) * height]();
}

void DeletePixelMemory(uint32_t* bits)
{
    ::operator delete[](bits, PixelAlignment);
}

// Rows that follow each other in both surfaces are one run of pixels. Where the surfaces
// overlap without being the same pixels, the rows are kept apart: a vector kernel reads
// sixteen pixels before it writes them, and its steps must fall where they did.
bool RowsFormOneRun(const uint32_t* src, const uint32_t* dst, int rows, int pixels, ptrdiff_t srcStep, ptrdiff_t dstStep)
{
    if (rows < 2 || srcStep != pixels || dstStep != pixels || int64_t(rows) * pixels > INT32_MAX)
        return false;
    return src == dst || RowsShareNoMemory(src, dst, rows, pixels, srcStep, dstStep);
}

// Runs `row` over each of `rows` rows. The pointers are not moved past the last row: below
// the bottom row there is no memory to point at.
template <typename RowFunction>
void ForEachRow(const uint32_t* src, uint32_t* dst, int rows, int pixels, int srcStepBack, int dstStepBack, RowFunction row)
{
    ptrdiff_t srcStep = pixels - static_cast<ptrdiff_t>(srcStepBack);
    ptrdiff_t dstStep = pixels - static_cast<ptrdiff_t>(dstStepBack);
    if (WalkRowsUpwards(src, dst, rows, pixels, srcStep, dstStep)) {
        src += (rows - 1) * srcStep;
        dst += (rows - 1) * dstStep;
        srcStep = -srcStep;
        dstStep = -dstStep;
    }
    if (RowsFormOneRun(src, dst, rows, pixels, srcStep, dstStep)) {
        row(src, dst, rows * pixels);
        return;
    }
    for (int r = 0; r < rows; ++r) {
        row(src, dst, pixels);
        if (r + 1 == rows)
            break;
        src += srcStep;
        dst += dstStep;
    }
}

// Puts the span routine back however the draw ends.
class DrawProcRestorer {
public:
    DrawProcRestorer(TAbstractSuperDIB& surface)
        : m_surface(surface)
        , m_saved(surface.DrawProc())
    {
    }
    ~DrawProcRestorer() { m_surface.SetDrawProc(m_saved); }

private:
    TAbstractSuperDIB& m_surface;
    TDIBDrawProc m_saved;
};

void CheckSize(int width, int height)
{
    const bool valid = width >= 0 && height >= 0 && width <= TAbstractSuperDIB::MaxDimension
        && height <= TAbstractSuperDIB::MaxDimension
        && static_cast<int64_t>(width) * height <= TAbstractSuperDIB::MaxPixels;
    if (!valid)
        throw EDIBError("Invalid DIB size " + std::to_string(width) + " x " + std::to_string(height));
}

uint32_t ReferenceToPixel(TColor color)
{
    return SwapRedBlue(static_cast<uint32_t>(DIBColorToRGB(color)));
}

// The published properties of the two concrete surfaces, in the order a stored form lists them.
template <class T>
platform::ClassInfo PublishSurface(const char* name, const platform::ClassInfo& parent)
{
    return platform::ClassBuilder<T>(name, &parent)
        .Integer(
            "Angle", [](const T& d) { return int(d.Angle()); }, [](T& d, int v) { d.SetAngle(v); }, 0)
        .Boolean(
            "AutoSize", &T::AutoSize, [](T& d, bool v) { d.SetAutoSize(v); }, false)
        .Integer(
            "Height", [](const T& d) { return d.Height(); }, [](T& d, int v) { d.SetHeight(v); })
        .Boolean(
            "Masked", &T::Masked, [](T& d, bool v) { d.SetMasked(v); }, false)
        .Integer(
            "Opacity", [](const T& d) { return int(d.Opacity()); }, [](T& d, int v) { d.SetOpacity(v); }, 255)
        .Float(
            "Scale", &T::Scale, [](T& d, double v) { d.SetScale(v); }, 100.0)
        .Boolean(
            "Transparent", &T::Transparent, [](T& d, bool v) { d.SetTransparent(v); }, false)
        .Color(
            "TransparentColor", [](const T& d) { return static_cast<int32_t>(d.TransparentColor()); },
            [](T& d, int32_t v) { d.SetTransparentColor(v); })
        .Enum(
            "TransparentMode", TransparentModeInfo(), &T::TransparentMode,
            [](T& d, TTransparentMode v) { d.SetTransparentMode(v); }, int(tmAuto))
        .Integer(
            "Width", [](const T& d) { return d.Width(); }, [](T& d, int v) { d.SetWidth(v); })
        .Build();
}

}

const platform::EnumInfo& TransparentModeInfo()
{
    static const platform::EnumInfo info { "TTransparentMode", { { "tmAuto", tmAuto }, { "tmFixed", tmFixed } } };
    return info;
}

const platform::ClassInfo& TAbstractSuperDIB::StaticClass()
{
    static const platform::ClassInfo info("TAbstractSuperDIB", &platform::TPersistent::StaticClass());
    return info;
}

const platform::ClassInfo& TCustomWinDIB::StaticClass()
{
    static const platform::ClassInfo info("TCustomWinDIB", &TAbstractSuperDIB::StaticClass());
    return info;
}

const platform::ClassInfo& TWinDIB::StaticClass()
{
    static const platform::ClassInfo info = PublishSurface<TWinDIB>("TWinDIB", TCustomWinDIB::StaticClass());
    return info;
}

const platform::ClassInfo& TCustomMemoryDIB::StaticClass()
{
    static const platform::ClassInfo info("TCustomMemoryDIB", &TAbstractSuperDIB::StaticClass());
    return info;
}

const platform::ClassInfo& TMemoryDIB::StaticClass()
{
    static const platform::ClassInfo info = PublishSurface<TMemoryDIB>("TMemoryDIB", TCustomMemoryDIB::StaticClass());
    return info;
}

TColor DIBColorToRGB(TColor color)
{
    return color < 0 ? platform::ColorToRGB(color) : color;
}

TAbstractSuperDIB::TAbstractSuperDIB()
{
    m_drawProc = { &TAbstractSuperDIB::CopySpan, this };
    ResetProperties();
}

void TAbstractSuperDIB::InitSized(int width, int height)
{
    SetSize(width, height);
    SetClipRect(0, 0, width, height);
}

void TAbstractSuperDIB::InitShared(TAbstractSuperDIB& source)
{
    ShareBits(source);
}

void TAbstractSuperDIB::ReleaseOwnedBits()
{
    if (m_ownsBits && m_bits) {
        FreeBits(m_bits);
        m_bits = nullptr;
    }
}

void TAbstractSuperDIB::SetAngle(int value) { StoreAndNotify(m_angle, ToAngle(value)); }

void TAbstractSuperDIB::SetAutoSize(bool value) { StoreAndNotify(m_autoSize, value); }

void TAbstractSuperDIB::SetClipRect(const TRect& rect)
{
    TRect clip = rect;
    if (clip.Left > clip.Right)
        std::swap(clip.Left, clip.Right);
    if (clip.Top > clip.Bottom)
        std::swap(clip.Top, clip.Bottom);
    clip.Right = std::min(clip.Right, m_width - 1);
    clip.Left = std::max(clip.Left, 0);
    clip.Bottom = std::min(clip.Bottom, m_height - 1);
    clip.Top = std::max(clip.Top, 0);
    m_clipRect = clip;
}

void TAbstractSuperDIB::SetWidth(int value)
{
    SetSize(value, m_height);
}

void TAbstractSuperDIB::SetHeight(int value)
{
    SetSize(m_width, value);
}

void TAbstractSuperDIB::SetMasked(bool value) { StoreAndNotify(m_masked, value); }

void TAbstractSuperDIB::SetOpacity(int value) { StoreAndNotify(m_opacity, static_cast<uint8_t>(std::clamp(value, 0, 255))); }

void TAbstractSuperDIB::SetScaleX(double value) { StoreAndNotify(m_scaleX, value); }

void TAbstractSuperDIB::SetScaleY(double value) { StoreAndNotify(m_scaleY, value); }

void TAbstractSuperDIB::SetScale(double value)
{
    const bool differs = value != m_scaleX || value != m_scaleY;
    m_scaleX = value;
    m_scaleY = value;
    if (differs)
        Changed();
}

void TAbstractSuperDIB::SetTransparent(bool value) { StoreAndNotify(m_transparent, value); }

void TAbstractSuperDIB::SetTransparentMode(TTransparentMode value) { StoreAndNotify(m_transparentMode, value); }

uint32_t TAbstractSuperDIB::TransparentColor() const
{
    // Without pixels there is no bottom-left pixel to take the key from.
    if (m_transparentMode == tmFixed || !m_bits)
        return m_transparentKey;
    return (m_bits[0] & ColourBits) + AutoKeyFlag;
}

void TAbstractSuperDIB::SetTransparentColor(TColor value)
{
    const uint32_t key = SwapRedBlue(static_cast<uint32_t>(value));
    if (key != TransparentColor()) {
        m_transparentKey = key;
        Changed();
    }
}

bool TAbstractSuperDIB::HasBits() const
{
    return m_bits != nullptr || !m_ownsBits;
}

uint32_t* TAbstractSuperDIB::ScanLine(int y) const
{
    return m_bits + static_cast<ptrdiff_t>(m_height - y - 1) * m_width;
}

PixelView TAbstractSuperDIB::View() const
{
    if (!m_bits)
        return {};
    return { reinterpret_cast<uint8_t*>(m_bits), m_width, m_height };
}

void TAbstractSuperDIB::Changed()
{
    SelectDrawProc();
    if (OnChange)
        OnChange(this);
}

void TAbstractSuperDIB::SelectDrawProc()
{
    TDIBSpanMethod method;
    if (m_opacity == 255)
        method = m_masked   ? &TAbstractSuperDIB::MaskSpan
            : m_transparent ? &TAbstractSuperDIB::KeySpan
                            : &TAbstractSuperDIB::CopySpan;
    else
        method = m_masked   ? &TAbstractSuperDIB::MaskBlendSpan
            : m_transparent ? &TAbstractSuperDIB::KeyBlendSpan
                            : &TAbstractSuperDIB::BlendSpan;
    m_drawProc = { method, this };
}

void TAbstractSuperDIB::SetSize(int width, int height)
{
    width = width == 0 ? 1 : width;
    height = height == 0 ? 1 : height;
    if (width == m_width && height == m_height)
        return;
    CheckSize(width, height);
    // A view that is given a size of its own cannot keep pointing at memory of another size:
    // it becomes a surface with memory of its own.
    uint32_t* fresh = AllocBits(width, height);
    ReleaseOwnedBits();
    m_ownsBits = true;
    m_bits = fresh;
    m_width = width;
    m_height = height;
    m_clipRect = { 0, 0, width - 1, height - 1 };
    BitsReplaced();
}

void TAbstractSuperDIB::Draw(int x, int y, int width, int height, TAbstractSuperDIB& dest, int srcX, int srcY)
{
    if (IsTransformed())
        DrawTransformed(x, y, width, height, dest);
    else
        DrawPlain(x, y, width, height, dest, srcX, srcY);
}

bool TAbstractSuperDIB::IsTransformed() const
{
    return m_angle != 0 || m_scaleX != 100 || m_scaleY != 100;
}

void TAbstractSuperDIB::DrawPlain(int x, int y, int width, int height, TAbstractSuperDIB& dest, int srcX, int srcY)
{
    if (!m_bits || !dest.m_bits || !m_drawProc.Method)
        return;
    const TRect& clip = dest.m_clipRect;
    const int64_t destWidth = dest.m_width;
    const int64_t destHeight = dest.m_height;
    int64_t dx = x, dy = y, w = width, h = height, sx = srcX, sy = srcY;
    // Columns and rows before the source's first do not exist; they are skipped like clipped ones.
    if (sx < 0) {
        dx -= sx;
        w += sx;
        sx = 0;
    }
    if (sy < 0) {
        dy -= sy;
        h += sy;
        sy = 0;
    }
    if (dx < clip.Left) {
        sx += clip.Left - dx;
        w -= clip.Left - dx;
        dx = clip.Left;
    }
    if (dy < clip.Top) {
        sy += clip.Top - dy;
        h -= clip.Top - dy;
        dy = clip.Top;
    }
    if (dx + w > clip.Right)
        w = clip.Right - dx + 1;
    if (dy + h > clip.Bottom)
        h = clip.Bottom - dy + 1;
    if (sx + w > m_width)
        w = m_width - sx;
    if (sy + h > m_height)
        h = m_height - sy;
    if (w < 1 || h < 1 || dx > destWidth || dy > destHeight || dx + m_width < 0 || dy + m_height < 0)
        return;
    if (dx + w > destWidth)
        w = destWidth - dx;
    if (dy + h > destHeight)
        h = destHeight - dy;
    if (w < 1 || h < 1)
        return;
    const int pixels = static_cast<int>(w);
    m_drawProc(ScanLine(static_cast<int>(sy)) + sx, dest.ScanLine(static_cast<int>(dy)) + dx, static_cast<int>(h), pixels,
        pixels + m_width, pixels + dest.m_width);
    dest.Changed();
}

void TAbstractSuperDIB::DrawWith(TDIBSpanMethod method, int x, int y, int width, int height, TAbstractSuperDIB& dest,
    int srcX, int srcY)
{
    DrawProcRestorer restorer(*this);
    m_drawProc = { method, this };
    Draw(x, y, width, height, dest, srcX, srcY);
}

void TAbstractSuperDIB::DrawOpaque(int x, int y, int width, int height, TAbstractSuperDIB& dest, int srcX, int srcY)
{
    DrawWith(&TAbstractSuperDIB::CopySpan, x, y, width, height, dest, srcX, srcY);
}

void TAbstractSuperDIB::DrawMaskChannel(int x, int y, int width, int height, TAbstractSuperDIB& dest, int srcX, int srcY)
{
    DrawWith(&TAbstractSuperDIB::AlphaCopySpan, x, y, width, height, dest, srcX, srcY);
}

void TAbstractSuperDIB::Fill(TColor color)
{
    if (m_bits)
        std::fill_n(m_bits, static_cast<size_t>(m_width) * m_height, ReferenceToPixel(color));
    Changed();
}

void TAbstractSuperDIB::FillRect(TColor color, int x, int y, int width, int height)
{
    if (!m_bits || width <= 0 || height <= 0)
        return;
    const int64_t left = std::max<int64_t>(x, 0);
    const int64_t top = std::max<int64_t>(y, 0);
    const int64_t right = std::min<int64_t>(int64_t(x) + width, m_width);
    const int64_t bottom = std::min<int64_t>(int64_t(y) + height, m_height);
    if (left >= right || top >= bottom)
        return;
    const uint32_t pixel = ReferenceToPixel(color);
    for (int64_t row = top; row < bottom; ++row)
        std::fill_n(ScanLine(static_cast<int>(row)) + left, right - left, pixel);
}

void TAbstractSuperDIB::SetAlpha(uint8_t value)
{
    if (m_bits) {
        const uint32_t mask = static_cast<uint32_t>(value) << 24;
        const size_t count = static_cast<size_t>(m_width) * m_height;
        for (size_t i = 0; i < count; ++i)
            m_bits[i] = (m_bits[i] & ColourBits) | mask;
    }
    Changed();
}

void TAbstractSuperDIB::ResetProperties()
{
    m_angle = 0;
    m_masked = false;
    m_opacity = 255;
    m_scaleX = 100;
    m_scaleY = 100;
    m_transparent = false;
}

void TAbstractSuperDIB::ShareBits(TAbstractSuperDIB& source)
{
    if (&source == this)
        return;
    ReleaseOwnedBits();
    m_ownsBits = false;
    source.AssignProperties(*this);
    m_bits = source.m_bits;
    BitsReplaced();
}

void TAbstractSuperDIB::AssignProperties(TAbstractSuperDIB& dest) const
{
    dest.m_angle = m_angle;
    dest.m_autoSize = m_autoSize;
    dest.m_masked = m_masked;
    dest.m_opacity = m_opacity;
    dest.m_scaleX = m_scaleX;
    dest.m_scaleY = m_scaleY;
    dest.m_transparent = m_transparent;
    dest.m_transparentKey = m_transparentKey;
    dest.m_transparentMode = m_transparentMode;
    dest.m_drawProc = m_drawProc;
    if (!dest.m_ownsBits) {
        dest.m_width = m_width;
        dest.m_height = m_height;
    }
}

void TAbstractSuperDIB::Assign(const TAbstractSuperDIB& source)
{
    if (&source == this)
        return;
    SetSize(source.m_width, source.m_height);
    if (m_bits && source.m_bits && m_width == source.m_width && m_height == source.m_height)
        std::memcpy(m_bits, source.m_bits, static_cast<size_t>(m_width) * m_height * 4);
    source.AssignProperties(*this);
    Changed();
}

void TAbstractSuperDIB::AssignProperties(platform::TPersistent& dest) const
{
    auto* surface = dynamic_cast<TAbstractSuperDIB*>(&dest);
    if (!surface)
        throw EDIBError("Cannot assign a TAbstractDIB to a " + dest.ClassName());
    AssignProperties(*surface);
}

void TAbstractSuperDIB::Assign(const platform::TPersistent& source)
{
    if (auto* surface = dynamic_cast<const TAbstractSuperDIB*>(&source))
        Assign(*surface);
    else
        platform::TPersistent::Assign(source);
}

void TAbstractSuperDIB::DefineProperties(platform::TFiler& filer)
{
    platform::TPersistent::DefineProperties(filer);
    filer.DefineBinaryProperty(
        "Data",
        [this](const std::vector<uint8_t>& bytes) {
            TDIBMemoryStream stream(bytes);
            ReadData(stream);
        },
        [this] {
            TDIBMemoryStream stream;
            WriteData(stream);
            return stream.Bytes();
        },
        m_bits != nullptr);
}

void TAbstractSuperDIB::ReadData(TDIBStream& stream)
{
    ReadDIBData(*this, stream);
    Changed();
}

void TAbstractSuperDIB::WriteData(TDIBStream& stream) const
{
    WriteDIBData(*this, stream);
}

void TAbstractSuperDIB::LoadPicture(const platform::Picture& picture)
{
    CheckSize(picture.width, picture.height);
    if (picture.width < 1 || picture.height < 1
        || picture.pixels.size() != static_cast<size_t>(picture.width) * picture.height)
        throw EDIBError("Invalid picture size " + std::to_string(picture.width) + " x " + std::to_string(picture.height));
    SetSize(picture.width, picture.height);
    for (int row = 0; row < picture.height; ++row)
        std::memcpy(ScanLine(row), picture.pixels.data() + static_cast<size_t>(row) * picture.width,
            static_cast<size_t>(picture.width) * 4);
    SetAlpha(255);
    Changed();
}

void TAbstractSuperDIB::LoadPictureBytes(std::span<const uint8_t> bytes)
{
    auto picture = platform::DecodePicture(bytes, {});
    if (!picture)
        throw platform::PictureError(picture.Error().Message());
    LoadPicture(*picture);
}

void TAbstractSuperDIB::LoadPictureFile(const std::string& fileName)
{
    const std::optional<std::string> content = platform::ReadWholeFile(fileName);
    if (!content)
        throw platform::PictureError(fileName + ": cannot be read");
    auto picture = platform::DecodePicture(std::span(reinterpret_cast<const uint8_t*>(content->data()), content->size()), fileName);
    if (!picture)
        throw platform::PictureError(picture.Error().Message());
    LoadPicture(*picture);
}

void TAbstractSuperDIB::Render8Bit(IDIB8BitDevice& dc, int x, int y, const IDIBLookupPalette& palette, int srcX, int srcY,
    int width, int height) const
{
    const uint8_t* table = palette.LookupTable();
    if (!table)
        throw EDIBError("Render8Bit can only be used with a palette containing a lookup table");
    if (dc.BitsPerPixel() != 8)
        throw EDIBError("Render8Bit can only be used to blit to an 8 bit DC");
    if (!m_bits)
        return;
    // In 64 bits: a caller's huge width must not wrap around.
    const auto clampedEnd = [](int start, int extent, int limit) {
        return static_cast<int>(std::clamp<int64_t>(int64_t(start) + extent, 0, limit));
    };
    const TRect area = Intersect(TRect { std::clamp(srcX, 0, m_width), std::clamp(srcY, 0, m_height),
                                     clampedEnd(srcX, width, m_width), clampedEnd(srcY, height, m_height) },
        TRect { 0, 0, m_width, m_height });
    if (area.IsEmpty())
        return;
    const int stride = (area.Width() + 3) & ~3;
    std::vector<uint8_t> buffer(static_cast<size_t>(stride) * area.Height());
    for (int row = 0; row < area.Height(); ++row) {
        const uint32_t* line = ScanLine(area.Bottom - 1 - row) + area.Left;
        uint8_t* out = buffer.data() + static_cast<size_t>(row) * stride;
        for (int i = 0; i < area.Width(); ++i) {
            const uint32_t p = line[i];
            const uint32_t blue = (p & 0xFF) >> 2, green = ((p >> 8) & 0xFF) >> 2, red = ((p >> 16) & 0xFF) >> 2;
            out[i] = table[blue + green * 64 + red * 4096];
        }
    }
    dc.SetDIBitsToDevice(x + (area.Left - srcX), y + (area.Top - srcY), area.Width(), area.Height(), buffer.data(), stride,
        palette.Entries());
}

void TAbstractSuperDIB::AlphaCopySpan(const uint32_t* src, uint32_t* dst, int rows, int pixels, int srcStepBack,
    int dstStepBack) const
{
    ForEachRow(src, dst, rows, pixels, srcStepBack, dstStepBack, [](const uint32_t* s, uint32_t* d, int n) {
        for (int i = 0; i < n; ++i)
            d[i] = (d[i] & ColourBits) | (s[i] & MaskByte);
    });
}

void TAbstractSuperDIB::CopySpan(const uint32_t* src, uint32_t* dst, int rows, int pixels, int srcStepBack,
    int dstStepBack) const
{
    ForEachRow(src, dst, rows, pixels, srcStepBack, dstStepBack,
        [](const uint32_t* s, uint32_t* d, int n) { std::memmove(d, s, static_cast<size_t>(n) * 4); });
}

void TAbstractSuperDIB::BlendSpan(const uint32_t* src, uint32_t* dst, int rows, int pixels, int srcStepBack,
    int dstStepBack) const
{
    const auto blend = dibspans::ActiveKernels().blend;
    const unsigned opacity = m_opacity;
    ForEachRow(src, dst, rows, pixels, srcStepBack, dstStepBack,
        [=](const uint32_t* s, uint32_t* d, int n) { blend(s, d, n, opacity); });
}

void TAbstractSuperDIB::MaskSpan(const uint32_t* src, uint32_t* dst, int rows, int pixels, int srcStepBack,
    int dstStepBack) const
{
    const auto mask = dibspans::ActiveKernels().mask;
    ForEachRow(src, dst, rows, pixels, srcStepBack, dstStepBack,
        [=](const uint32_t* s, uint32_t* d, int n) { mask(s, d, n); });
}

void TAbstractSuperDIB::MaskBlendSpan(const uint32_t* src, uint32_t* dst, int rows, int pixels, int srcStepBack,
    int dstStepBack) const
{
    const auto maskBlend = dibspans::ActiveKernels().maskBlend;
    const unsigned opacity = m_opacity;
    ForEachRow(src, dst, rows, pixels, srcStepBack, dstStepBack,
        [=](const uint32_t* s, uint32_t* d, int n) { maskBlend(s, d, n, opacity); });
}

void TAbstractSuperDIB::KeySpan(const uint32_t* src, uint32_t* dst, int rows, int pixels, int srcStepBack,
    int dstStepBack) const
{
    const auto key = dibspans::ActiveKernels().key;
    const uint32_t keyColour = TransparentColor();
    ForEachRow(src, dst, rows, pixels, srcStepBack, dstStepBack,
        [=](const uint32_t* s, uint32_t* d, int n) { key(s, d, n, keyColour); });
}

void TAbstractSuperDIB::KeyBlendSpan(const uint32_t* src, uint32_t* dst, int rows, int pixels, int srcStepBack,
    int dstStepBack) const
{
    const auto keyBlend = dibspans::ActiveKernels().keyBlend;
    const uint32_t keyColour = TransparentColor();
    const unsigned opacity = m_opacity;
    ForEachRow(src, dst, rows, pixels, srcStepBack, dstStepBack,
        [=](const uint32_t* s, uint32_t* d, int n) { keyBlend(s, d, n, keyColour, opacity); });
}

TCustomWinDIB::TCustomWinDIB() = default;

TCustomWinDIB::TCustomWinDIB(int width, int height)
{
    InitSized(width, height);
}

TCustomWinDIB::TCustomWinDIB(TAbstractSuperDIB& source)
{
    InitShared(source);
}

TCustomWinDIB::~TCustomWinDIB()
{
    ReleaseOwnedBits();
}

platform::TCanvas& TCustomWinDIB::Canvas()
{
    if (!m_canvas) {
        m_canvas = std::make_unique<platform::TCanvas>(View());
        m_canvas->OnChange = [this] { Changed(); };
    }
    return *m_canvas;
}

void TCustomWinDIB::BitsReplaced()
{
    if (m_canvas)
        m_canvas->SetTarget(View());
}

uint32_t* TCustomWinDIB::AllocBits(int width, int height)
{
    // Zeroed, as a fresh section is; a failure reads as the window system reports it.
    try {
        return NewPixelMemory(width, height);
    } catch (const std::bad_alloc&) {
        throw platform::Exception("Windows error (8) Not enough storage is available to process this command.");
    }
}

void TCustomWinDIB::FreeBits(uint32_t* bits)
{
    DeletePixelMemory(bits);
}

TCustomMemoryDIB::TCustomMemoryDIB() = default;

TCustomMemoryDIB::TCustomMemoryDIB(int width, int height)
{
    InitSized(width, height);
}

TCustomMemoryDIB::TCustomMemoryDIB(TAbstractSuperDIB& source)
{
    InitShared(source);
}

TCustomMemoryDIB::~TCustomMemoryDIB()
{
    ReleaseOwnedBits();
}

uint32_t* TCustomMemoryDIB::AllocBits(int width, int height)
{
    // Zeroed too: undefined contents would make drawing results depend on the heap.
    return NewPixelMemory(width, height);
}

void TCustomMemoryDIB::FreeBits(uint32_t* bits)
{
    DeletePixelMemory(bits);
}
