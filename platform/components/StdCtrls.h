#pragma once

// The text label: caption drawn with DrawText rules in the label's font and colour.

#include "platform/components/Controls.h"

namespace platform {

enum class TAlignment : uint8_t { taLeftJustify,
    taRightJustify,
    taCenter };
enum class TTextLayout : uint8_t { tlTop,
    tlCenter,
    tlBottom };

const EnumInfo& AlignmentEnum();
const EnumInfo& TextLayoutEnum();

class TLabel : public TGraphicControl {
    TORVA_CLASS(TLabel)
public:
    explicit TLabel(TComponent* owner);

    TAlignment Alignment() const { return m_alignment; }
    void SetAlignment(TAlignment value) { StoreAndInvalidate(m_alignment, value); }
    TTextLayout Layout() const { return m_layout; }
    void SetLayout(TTextLayout value) { StoreAndInvalidate(m_layout, value); }
    bool Transparent() const { return m_transparent; }
    void SetTransparent(bool value) { StoreAndInvalidate(m_transparent, value); }
    bool WordWrap() const { return m_wordWrap; }
    void SetWordWrap(bool value)
    {
        if (ChangeValue(m_wordWrap, value))
            TextChanged();
    }
    bool AutoSize() const { return m_autoSize; }
    void SetAutoSize(bool value)
    {
        if (ChangeValue(m_autoSize, value))
            AdjustBounds();
    }
    bool ShowAccelChar() const { return m_showAccelChar; }
    void SetShowAccelChar(bool value)
    {
        if (ChangeValue(m_showAccelChar, value))
            TextChanged();
    }

    // DrawText flags the label paints with.
    uint32_t TextFlags() const;
    // Sizes the label to its text (AutoSize); a right-aligned label keeps its right edge.
    void AdjustBounds();

    void Loaded() override;

protected:
    void Paint() override;
    // The text is laid out again: the label may change its size.
    void TextChanged() override
    {
        AdjustBounds();
        Invalidate();
    }
    void FontChanged() override { TextChanged(); }

private:
    TAlignment m_alignment = TAlignment::taLeftJustify;
    TTextLayout m_layout = TTextLayout::tlTop;
    bool m_transparent = false;
    bool m_wordWrap = false;
    bool m_autoSize = true;
    bool m_showAccelChar = true;
};

}
