#include "platform/fonts/SizedFont.h"

#include "platform/fonts/FontRegistry.h"
#include "platform/fonts/FreeTypeLibrary.h"
#include "platform/text/Codepage.h"

#include <ft2build.h>
#include FT_FREETYPE_H
#include FT_GASP_H
#include FT_OUTLINE_H
#include FT_TRUETYPE_TABLES_H

#include <algorithm>
#include <climits>
#include <cmath>
#include <cstring>

namespace platform {

namespace {

int Scale(long units, int ppem, int unitsPerEm)
{
    return static_cast<int>(std::lround(static_cast<double>(units) * ppem / unitsPerEm));
}

// The fallback size when a font asks for height 0, as the window system picks a readable one.
constexpr int DefaultPixelsPerEm = 12;
// Synthetic bold widens strokes by one pixel and each advance by one, like the window system.
constexpr FT_Pos BoldStrength = 64;
// About 12 degrees of slant for synthetic italics, in 16.16 fixed point.
constexpr FT_Fixed ObliqueShear = 0x0366A;
constexpr int MaxPixelsPerEm = 2048;

// Outline faces: the pixel size from the window system's height, the metrics from the
// OS/2 Windows ascent and descent, which is what the window system measures cells with.
bool SetOutlineSize(FT_Face face, int height, FontMetrics& m)
{
    int unitsPerEm = face->units_per_EM > 0 ? face->units_per_EM : 1000;
    long winAscent = face->ascender;
    long winDescent = -face->descender;
    long avgWidth = 0;
    long strikeout = 0;
    if (auto* os2 = static_cast<TT_OS2*>(FT_Get_Sfnt_Table(face, FT_SFNT_OS2)); os2 && os2->version != 0xFFFF) {
        if (os2->usWinAscent + os2->usWinDescent > 0) {
            winAscent = os2->usWinAscent;
            winDescent = os2->usWinDescent;
        }
        avgWidth = os2->xAvgCharWidth;
        strikeout = os2->yStrikeoutPosition;
    }
    if (winAscent + winDescent <= 0) {
        winAscent = unitsPerEm * 4 / 5;
        winDescent = unitsPerEm / 5;
    }
    int ppem = DefaultPixelsPerEm;
    if (height < 0)
        ppem = -height;
    else if (height > 0)
        ppem = std::max(1, Scale(static_cast<long>(height) * unitsPerEm, 1, static_cast<int>(winAscent + winDescent)));
    ppem = std::min(ppem, MaxPixelsPerEm);
    if (FT_Set_Pixel_Sizes(face, 0, static_cast<FT_UInt>(ppem)) != 0)
        return false;
    m.ascent = Scale(winAscent, ppem, unitsPerEm);
    m.descent = Scale(winDescent, ppem, unitsPerEm);
    if (height > 0)
        m.descent = std::max(0, height - m.ascent);
    m.height = std::max(1, m.ascent + m.descent);
    m.internalLeading = std::max(0, m.height - ppem);
    m.aveCharWidth = Scale(avgWidth, ppem, unitsPerEm);
    m.underlinePosition = std::max(1, Scale(-face->underline_position, ppem, unitsPerEm));
    m.underlineThickness = std::max(1, Scale(face->underline_thickness, ppem, unitsPerEm));
    m.strikeoutPosition = strikeout > 0 ? Scale(strikeout, ppem, unitsPerEm) : m.ascent / 3;
    return true;
}

// Bitmap faces come in fixed strikes: the one nearest the asked size (character height for a
// negative height, cell height for a positive one), as the window system picks them.
bool SelectStrike(FT_Face face, int height, FontMetrics& m)
{
    if (face->num_fixed_sizes <= 0)
        return false;
    int best = 0;
    long bestDistance = LONG_MAX;
    for (int i = 0; i < face->num_fixed_sizes; ++i) {
        const FT_Bitmap_Size& size = face->available_sizes[i];
        long ppem = (size.y_ppem + 32) >> 6;
        long distance = height < 0 ? std::labs(ppem + height) : height > 0 ? std::labs(size.height - height)
                                                                           : std::labs(ppem - DefaultPixelsPerEm);
        if (distance < bestDistance) {
            bestDistance = distance;
            best = i;
        }
    }
    if (FT_Select_Size(face, best) != 0)
        return false;
    const FT_Size_Metrics& metrics = face->size->metrics;
    m.ascent = static_cast<int>((metrics.ascender + 32) >> 6);
    m.descent = static_cast<int>((-metrics.descender + 32) >> 6);
    if (m.ascent + m.descent <= 0)
        m.ascent = face->available_sizes[best].height;
    m.height = std::max(1, m.ascent + m.descent);
    m.internalLeading = std::max(0, m.height - static_cast<int>((face->available_sizes[best].y_ppem + 32) >> 6));
    m.aveCharWidth = 0;
    m.underlinePosition = 1;
    m.underlineThickness = 1;
    m.strikeoutPosition = m.ascent / 3;
    return true;
}

}

struct SizedFont::Impl {
    FT_Face face = nullptr;
    std::shared_ptr<const std::vector<uint8_t>> bytes;
    bool emboldenSynthetic = false;
    bool obliqueSynthetic = false;
    bool symbol = false;
    bool autoHint = false;
    ~Impl()
    {
        if (face)
            FT_Done_Face(face);
    }
};

SizedFont::~SizedFont() = default;

std::shared_ptr<SizedFont> SizedFont::Empty(int height)
{
    std::shared_ptr<SizedFont> font(new SizedFont);
    int cell = height < 0 ? -height : (height > 0 ? height : DefaultPixelsPerEm);
    font->m_metrics.ascent = cell - cell / 5;
    font->m_metrics.descent = cell / 5;
    font->m_metrics.height = cell;
    font->m_metrics.aveCharWidth = std::max(1, cell / 2);
    font->m_metrics.underlinePosition = 1;
    font->m_metrics.strikeoutPosition = cell / 3;
    return font;
}

std::shared_ptr<SizedFont> SizedFont::Create(const FontMatch& match, int height, bool bold, bool italic, uint8_t charset)
{
    FT_Library library = FreeTypeLibrary();
    if (!library)
        return nullptr;
    auto impl = std::make_unique<Impl>();
    FT_Error error;
    if (match.bytes) {
        impl->bytes = match.bytes;
        error = FT_New_Memory_Face(library, impl->bytes->data(), static_cast<FT_Long>(impl->bytes->size()), match.faceIndex, &impl->face);
    } else {
        error = FT_New_Face(library, match.path.c_str(), match.faceIndex, &impl->face);
    }
    if (error != 0) {
        impl->face = nullptr;
        return nullptr;
    }
    FT_Face face = impl->face;
    if (!FT_IS_SCALABLE(face) && face->num_fixed_sizes <= 0)
        return nullptr;

    std::shared_ptr<SizedFont> font(new SizedFont);
    bool ok = FT_IS_SCALABLE(face) ? SetOutlineSize(face, height, font->m_metrics) : SelectStrike(face, height, font->m_metrics);
    if (!ok)
        return nullptr;
    FontMetrics& m = font->m_metrics;

    impl->emboldenSynthetic = bold && (match.syntheticBold || !(face->style_flags & FT_STYLE_FLAG_BOLD));
    impl->obliqueSynthetic = italic && (match.syntheticItalic || !(face->style_flags & FT_STYLE_FLAG_ITALIC));
    impl->symbol = charset == SymbolCharsetValue;
    // A face whose own hints are written for grey rendering at this size squares off round
    // letters when drawn in two levels (its O comes out as its D); FreeType's own hinter keeps
    // them round. Faces hinted for two levels keep their instructions.
    if (FT_IS_SCALABLE(face)) {
        const FT_Int gasp = FT_Get_Gasp(face, face->size->metrics.y_ppem);
        impl->autoHint = gasp != FT_GASP_NO_TABLE && (gasp & FT_GASP_DO_GRAY);
    }
    if (!impl->symbol) {
        for (int i = 0; i < face->num_charmaps; ++i) {
            if (face->charmaps[i]->encoding == FT_ENCODING_MS_SYMBOL) {
                impl->symbol = FT_Get_Char_Index(face, 'A') == 0;
                break;
            }
        }
    }
    if (FT_Select_Charmap(face, impl->symbol ? FT_ENCODING_MS_SYMBOL : FT_ENCODING_UNICODE) != 0)
        FT_Select_Charmap(face, FT_ENCODING_UNICODE);
    font->m_impl = std::move(impl);
    if (m.aveCharWidth <= 0)
        m.aveCharWidth = std::max(1, font->ByteAdvance('x'));
    return font;
}

const Glyph& SizedFont::ByteGlyph(uint8_t byte)
{
    auto& slot = m_glyphs[byte];
    if (!slot)
        slot = Render(byte);
    return *slot;
}

const std::array<int, 256>& SizedFont::Advances()
{
    if (!m_advances) {
        std::array<int, 256> advances {};
        for (int byte = 0; byte < 256; ++byte)
            advances[size_t(byte)] = ByteAdvance(static_cast<uint8_t>(byte));
        m_advances = advances;
    }
    return *m_advances;
}

Glyph SizedFont::Render(uint8_t byte)
{
    Glyph glyph;
    if (!m_impl)
        return glyph;
    FT_Face face = m_impl->face;
    char32_t codePoint = byte < 0x80 ? char32_t(byte) : Cp1250ToCodePoint(byte);
    FT_UInt index = 0;
    if (m_impl->symbol) {
        index = FT_Get_Char_Index(face, 0xF000 + byte);
        if (index == 0)
            index = FT_Get_Char_Index(face, byte);
    } else {
        index = FT_Get_Char_Index(face, codePoint);
    }
    const FT_Int32 hinting = m_impl->autoHint ? FT_LOAD_FORCE_AUTOHINT : 0;
    if (FT_Load_Glyph(face, index, FT_LOAD_DEFAULT | FT_LOAD_TARGET_MONO | hinting) != 0)
        return glyph;
    FT_GlyphSlot slot = face->glyph;
    int extraAdvance = 0;
    if (slot->format == FT_GLYPH_FORMAT_OUTLINE) {
        if (m_impl->obliqueSynthetic) {
            FT_Matrix shear { 0x10000, ObliqueShear, 0, 0x10000 };
            FT_Outline_Transform(&slot->outline, &shear);
        }
        if (m_impl->emboldenSynthetic) {
            FT_Outline_EmboldenXY(&slot->outline, BoldStrength, 0);
            extraAdvance = 1;
        }
    }
    glyph.advance = static_cast<int>((slot->advance.x + 32) >> 6) + extraAdvance;
    if (FT_Render_Glyph(slot, FT_RENDER_MODE_MONO) != 0)
        return glyph;
    const FT_Bitmap& bitmap = slot->bitmap;
    bool mono = bitmap.pixel_mode == FT_PIXEL_MODE_MONO;
    if ((!mono && bitmap.pixel_mode != FT_PIXEL_MODE_GRAY) || bitmap.width == 0 || bitmap.rows == 0)
        return glyph;
    glyph.left = slot->bitmap_left;
    glyph.top = slot->bitmap_top;
    glyph.width = static_cast<int>(bitmap.width);
    glyph.rows = static_cast<int>(bitmap.rows);
    glyph.pitch = (glyph.width + 7) / 8;
    glyph.bits.assign(static_cast<size_t>(glyph.pitch) * glyph.rows, 0);
    for (int y = 0; y < glyph.rows; ++y) {
        const uint8_t* src = bitmap.buffer + static_cast<ptrdiff_t>(bitmap.pitch >= 0 ? y : glyph.rows - 1 - y) * std::abs(bitmap.pitch);
        uint8_t* dst = &glyph.bits[static_cast<size_t>(y) * glyph.pitch];
        if (mono) {
            std::memcpy(dst, src, glyph.pitch);
            continue;
        }
        // Grey strikes of bitmap faces become solid where they are at least half covered.
        for (int x = 0; x < glyph.width; ++x)
            if (src[x] >= 128)
                dst[x >> 3] |= static_cast<uint8_t>(0x80 >> (x & 7));
    }
    return glyph;
}

}
