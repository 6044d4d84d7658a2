#pragma once

// TDIB, the bitmap graphic class: Windows bitmap files (a 14-byte file header starting "BM",
// then a device-independent bitmap) read and written through the platform's bitmap reader and
// writer, and the reader of bitmaps pasted from the clipboard, which carries them without the
// file header.
//
// The graphic classes are listed in a registry by file extension, with the description a file
// dialog shows ("dib", "Device Independent Bitmap"), and the clipboard is an in-process store:
// the one program is its only user.

#include "dib/surface/cDIB.h"
#include "platform/components/Classes.h"
#include "platform/picture/Picture.h"

#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

class EDIBGraphicError : public platform::Exception {
public:
    using platform::Exception::Exception;
};

class TDIB : public platform::TPersistent {
    TORVA_CLASS(TDIB)
public:
    TDIB() = default;

    int Width() const { return m_picture.width; }
    int Height() const { return m_picture.height; }
    bool Empty() const { return m_picture.pixels.empty(); }
    const platform::Picture& Picture() const { return m_picture; }

    // A bitmap file's bytes; anything else raises EDIBGraphicError and leaves the graphic as it was.
    void LoadFromBytes(std::span<const uint8_t> bytes);
    // A 32-bit bitmap file (the fourth byte kept).
    std::vector<uint8_t> SaveToBytes() const;
    // A packed device-independent bitmap as the clipboard holds it (no file header).
    void LoadFromPackedDIB(std::span<const uint8_t> packed);
    std::vector<uint8_t> SaveToPackedDIB() const;
    // The clipboard's bitmap; false (and no change) when it holds none.
    bool PasteFromClipboard();
    void CopyToClipboard() const;

    // Into a surface (its size, every pixel) and from one.
    void DrawTo(TAbstractSuperDIB& surface) const;
    void Assign(const platform::TPersistent& source) override;

private:
    platform::Picture m_picture;
};

// A graphic class a file may be read by, found by its extension (without the dot, any case).
struct TGraphicFileFormat {
    std::string extension;
    std::string description;
    const platform::ClassInfo* graphicClass = nullptr;
    std::function<std::unique_ptr<TDIB>(std::span<const uint8_t>)> read;
};
void RegisterGraphicFileFormat(TGraphicFileFormat format);
const TGraphicFileFormat* FindGraphicFileFormat(std::string_view extension);

// The in-process clipboard stand-in: one packed device-independent bitmap, or nothing.
namespace dibclipboard {
void SetDIB(std::vector<uint8_t> packed);
std::optional<std::vector<uint8_t>> GetDIB();
void Clear();
}
