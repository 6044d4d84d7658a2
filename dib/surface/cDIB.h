#pragma once

// 32-bit surfaces and the span routines that draw one onto another. Pixels are 0xMMRRGGBB
// words (blue first in memory), rows bottom-up with a stride of exactly Width pixels; the
// fourth byte is the per-pixel mask, used only when Masked is on.

#include "platform/components/Classes.h"
#include "platform/types/Color.h"
#include "platform/types/Geometry.h"
#include "platform/types/PixelView.h"

#include <memory>

#include <cstdint>
#include <functional>
#include <span>
#include <stdexcept>
#include <string>
#include <vector>

// Rotations in whole degrees, 0 to 359: the rotation tables have one entry per degree.
using TAngle = uint16_t;
// Any number of degrees as an angle, taken modulo 360 (-90 is 270).
constexpr TAngle ToAngle(int degrees) { return static_cast<TAngle>(((degrees % 360) + 360) % 360); }

enum TTransparentMode : uint8_t { tmAuto,
    tmFixed };
const platform::EnumInfo& TransparentModeInfo();

class EDIBError : public platform::Exception {
public:
    using platform::Exception::Exception;
};

class TDIBStream;

class TAbstractSuperDIB;

namespace platform {
class TCanvas;
}

using TDIBNotifyEvent = std::function<void(TAbstractSuperDIB* sender)>;

// A span routine: Rows rows of Pixels pixels; after each row both pointers step back by their
// own step-back (in pixels), which lands one image row further down.
using TDIBSpanMethod = void (TAbstractSuperDIB::*)(const uint32_t* src, uint32_t* dst, int rows, int pixels,
    int srcStepBack, int dstStepBack) const;

// The span routine together with the surface whose opacity and key it uses.
struct TDIBDrawProc {
    TDIBSpanMethod Method = nullptr;
    const TAbstractSuperDIB* Surface = nullptr;

    void operator()(const uint32_t* src, uint32_t* dst, int rows, int pixels, int srcStepBack, int dstStepBack) const
    {
        (Surface->*Method)(src, dst, rows, pixels, srcStepBack, dstStepBack);
    }
    friend bool operator==(const TDIBDrawProc&, const TDIBDrawProc&) = default;
};

// What Render8Bit needs of a palette: a 64 x 64 x 64 table of palette indices, indexed by
// (blue div 4) + (green div 4) * 64 + (red div 4) * 4096, and the palette's colours in pixel order.
class IDIBLookupPalette {
public:
    static constexpr int LookupTableSize = 64 * 64 * 64;
    virtual ~IDIBLookupPalette() = default;
    // Null when the palette has no lookup table.
    virtual const uint8_t* LookupTable() const = 0;
    virtual std::vector<uint32_t> Entries() const = 0;
};

// An 8-bit device that takes a bottom-up indexed picture with its colour table.
class IDIB8BitDevice {
public:
    virtual ~IDIB8BitDevice() = default;
    virtual int BitsPerPixel() const = 0;
    // Rows of `bits` are bottom-up, `stride` bytes apart (a multiple of 4).
    virtual void SetDIBitsToDevice(int x, int y, int width, int height, const uint8_t* bits, int stride,
        const std::vector<uint32_t>& colorTable) = 0;
};

namespace platform {
struct Picture;
}

class TAbstractSuperDIB : public platform::TPersistent {
    TORVA_CLASS(TAbstractSuperDIB)
public:
    // Beyond this many pixels a size is refused: no picture of the system comes near it, and it
    // keeps a corrupt size from reserving gigabytes.
    static constexpr int64_t MaxPixels = int64_t(1) << 26;
    static constexpr int MaxDimension = 65535;

    ~TAbstractSuperDIB() override = default;
    TAbstractSuperDIB(const TAbstractSuperDIB&) = delete;
    TAbstractSuperDIB& operator=(const TAbstractSuperDIB&) = delete;

    // Properties.
    TAngle Angle() const { return m_angle; }
    virtual void SetAngle(int value);
    bool AutoSize() const { return m_autoSize; }
    virtual void SetAutoSize(bool value);
    // Inclusive on all four sides.
    const TRect& ClipRect() const { return m_clipRect; }
    void SetClipRect(const TRect& rect);
    void SetClipRect(int left, int top, int right, int bottom) { SetClipRect(TRect { left, top, right, bottom }); }
    int Width() const { return m_width; }
    virtual void SetWidth(int value);
    int Height() const { return m_height; }
    virtual void SetHeight(int value);
    bool Masked() const { return m_masked; }
    virtual void SetMasked(bool value);
    uint8_t Opacity() const { return m_opacity; }
    // Clamped to 0..255.
    virtual void SetOpacity(int value);
    bool OwnsBits() const { return m_ownsBits; }
    double ScaleX() const { return m_scaleX; }
    virtual void SetScaleX(double value);
    double ScaleY() const { return m_scaleY; }
    virtual void SetScaleY(double value);
    double Scale() const { return m_scaleX; }
    virtual void SetScale(double value);
    bool Transparent() const { return m_transparent; }
    virtual void SetTransparent(bool value);
    uint32_t TransparentKey() const { return m_transparentKey; }
    TTransparentMode TransparentMode() const { return m_transparentMode; }
    void SetTransparentMode(TTransparentMode value);
    // Reads in pixel order: the fixed key, or in tmAuto the bottom-left pixel plus 0x01000000.
    uint32_t TransparentColor() const;
    // Takes a colour reference (0x00BBGGRR).
    void SetTransparentColor(TColor value);
    TDIBNotifyEvent OnChange;
    const TDIBDrawProc& DrawProc() const { return m_drawProc; }
    void SetDrawProc(const TDIBDrawProc& proc) { m_drawProc = proc; }

    // Pixel memory.
    uint32_t* Bits() const { return m_bits; }
    virtual bool HasBits() const;
    // Image row Y, counted from the top.
    uint32_t* ScanLine(int y) const;
    uint32_t Pixels(int x, int y) const { return ScanLine(y)[x]; }
    void SetPixel(int x, int y, uint32_t value) { ScanLine(y)[x] = value; }
    // The pixel memory as the platform's drawing code sees it (empty without memory).
    PixelView View() const;

    // Operations.
    virtual void Changed();
    virtual void SelectDrawProc();
    virtual void SetSize(int width, int height);
    virtual void Draw(int x, int y, int width, int height, TAbstractSuperDIB& dest, int srcX, int srcY);
    virtual void DrawOpaque(int x, int y, int width, int height, TAbstractSuperDIB& dest, int srcX, int srcY);
    virtual void DrawMaskChannel(int x, int y, int width, int height, TAbstractSuperDIB& dest, int srcX, int srcY);
    virtual void Fill(TColor color);
    virtual void FillRect(TColor color, int x, int y, int width, int height);
    void SetAlpha(uint8_t value);
    virtual void ResetProperties();
    virtual void ShareBits(TAbstractSuperDIB& source);
    virtual void AssignProperties(TAbstractSuperDIB& dest) const;
    // Raises EDIBError unless `dest` is a surface.
    void AssignProperties(platform::TPersistent& dest) const;
    // Makes this surface a copy of `source`: size, pixels and drawing properties.
    void Assign(const TAbstractSuperDIB& source);
    // From another surface as above; anything else raises the framework's assign error.
    void Assign(const platform::TPersistent& source) override;
    // The binary "Data" property: the pixels in the surfaces' stream format, while there are any.
    void DefineProperties(platform::TFiler& filer) override;
    void ReadData(TDIBStream& stream);
    void WriteData(TDIBStream& stream) const;
    virtual void RenderTransformed(TAbstractSuperDIB& dest) const;
    // Run rectangles (right and bottom exclusive) covering every pixel that is not `color`.
    std::vector<TRect> BuildRegion(TColor color) const;
    // A Windows bitmap or JPEG file by its Windows path on the current machine. A file that
    // cannot be read or decoded raises before the surface is touched.
    void LoadPictureFile(const std::string& fileName);
    // The same from the file's bytes.
    void LoadPictureBytes(std::span<const uint8_t> bytes);
    void LoadPicture(const platform::Picture& picture);
    virtual void Render8Bit(IDIB8BitDevice& dc, int x, int y, const IDIBLookupPalette& palette, int srcX, int srcY,
        int width, int height) const;

    // Span routines; the opacity and key are this surface's.
    virtual void AlphaCopySpan(const uint32_t* src, uint32_t* dst, int rows, int pixels, int srcStepBack, int dstStepBack) const;
    virtual void CopySpan(const uint32_t* src, uint32_t* dst, int rows, int pixels, int srcStepBack, int dstStepBack) const;
    virtual void BlendSpan(const uint32_t* src, uint32_t* dst, int rows, int pixels, int srcStepBack, int dstStepBack) const;
    virtual void MaskSpan(const uint32_t* src, uint32_t* dst, int rows, int pixels, int srcStepBack, int dstStepBack) const;
    virtual void MaskBlendSpan(const uint32_t* src, uint32_t* dst, int rows, int pixels, int srcStepBack, int dstStepBack) const;
    virtual void KeySpan(const uint32_t* src, uint32_t* dst, int rows, int pixels, int srcStepBack, int dstStepBack) const;
    virtual void KeyBlendSpan(const uint32_t* src, uint32_t* dst, int rows, int pixels, int srcStepBack, int dstStepBack) const;

protected:
    TAbstractSuperDIB();
    // The sized and shared-view constructors of the derived classes end with these, once the
    // memory operations are theirs.
    void InitSized(int width, int height);
    void InitShared(TAbstractSuperDIB& source);
    // Returns new memory for width x height pixels without touching the surface; throws on failure.
    virtual uint32_t* AllocBits(int width, int height) = 0;
    virtual void FreeBits(uint32_t* bits) = 0;
    // Derived destructors call this: the memory operations are theirs.
    void ReleaseOwnedBits();
    // Called whenever the pixel memory or the size changed.
    virtual void BitsReplaced() {}

private:
    void DrawWith(TDIBSpanMethod method, int x, int y, int width, int height, TAbstractSuperDIB& dest, int srcX, int srcY);
    void DrawPlain(int x, int y, int width, int height, TAbstractSuperDIB& dest, int srcX, int srcY);
    void DrawTransformed(int x, int y, int width, int height, TAbstractSuperDIB& dest);
    bool IsTransformed() const;
    // A property setter's work: stores the value and calls Changed when it differs.
    template <class T>
    void StoreAndNotify(T& field, T value)
    {
        if (platform::ChangeValue(field, value))
            Changed();
    }

    TAngle m_angle = 0;
    bool m_autoSize = false;
    TRect m_clipRect {};
    int m_height = 0;
    bool m_masked = false;
    uint8_t m_opacity = 255;
    bool m_ownsBits = true;
    double m_scaleX = 100;
    double m_scaleY = 100;
    bool m_transparent = false;
    uint32_t m_transparentKey = 0;
    TTransparentMode m_transparentMode = tmAuto;
    int m_width = 0;
    TDIBDrawProc m_drawProc;
    uint32_t* m_bits = nullptr;
};

// A surface the platform's canvas draws into: text and shapes land in the same memory the span
// routines read. The memory starts out zeroed, as a fresh device-independent section does.
class TCustomWinDIB : public TAbstractSuperDIB {
    TORVA_CLASS(TCustomWinDIB)
public:
    TCustomWinDIB();
    TCustomWinDIB(int width, int height);
    explicit TCustomWinDIB(TAbstractSuperDIB& source);
    ~TCustomWinDIB() override;

    // Created on first use; follows the surface's memory across SetSize and ShareBits, and its
    // drawing calls Changed.
    platform::TCanvas& Canvas();

protected:
    uint32_t* AllocBits(int width, int height) override;
    void FreeBits(uint32_t* bits) override;
    void BitsReplaced() override;

private:
    std::unique_ptr<platform::TCanvas> m_canvas;
};

class TWinDIB : public TCustomWinDIB {
    TORVA_CLASS(TWinDIB)
public:
    using TCustomWinDIB::TCustomWinDIB;
    // A view, not a copy, also when the source is of this very class.
    explicit TWinDIB(TWinDIB& source)
        : TCustomWinDIB(static_cast<TAbstractSuperDIB&>(source))
    {
    }
};

class TCustomMemoryDIB : public TAbstractSuperDIB {
    TORVA_CLASS(TCustomMemoryDIB)
public:
    TCustomMemoryDIB();
    TCustomMemoryDIB(int width, int height);
    explicit TCustomMemoryDIB(TAbstractSuperDIB& source);
    ~TCustomMemoryDIB() override;

protected:
    uint32_t* AllocBits(int width, int height) override;
    void FreeBits(uint32_t* bits) override;
};

class TMemoryDIB : public TCustomMemoryDIB {
    TORVA_CLASS(TMemoryDIB)
public:
    using TCustomMemoryDIB::TCustomMemoryDIB;
    // A view, not a copy, also when the source is of this very class.
    explicit TMemoryDIB(TMemoryDIB& source)
        : TCustomMemoryDIB(static_cast<TAbstractSuperDIB&>(source))
    {
    }
};

// A colour reference with the platform's system colours (high bit set) resolved to RGB; any
// other value is kept whole, its top byte included.
TColor DIBColorToRGB(TColor color);

// The box a transformed draw of a width x height picture fills with AutoSize on: the bounding
// box of the picture rotated by `angle` and scaled by the percentages, rounded half to even.
TSize DIBTransformedBox(int width, int height, TAngle angle, double scaleX, double scaleY);
