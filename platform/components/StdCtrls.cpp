#include "platform/components/StdCtrls.h"

namespace platform {

const EnumInfo& AlignmentEnum()
{
    static const EnumInfo info { "TAlignment", { { "taLeftJustify", 0 }, { "taRightJustify", 1 }, { "taCenter", 2 } } };
    return info;
}

const EnumInfo& TextLayoutEnum()
{
    static const EnumInfo info { "TTextLayout", { { "tlTop", 0 }, { "tlCenter", 1 }, { "tlBottom", 2 } } };
    return info;
}

const ClassInfo& TLabel::StaticClass()
{
    static const ClassInfo info = ClassBuilder<TLabel>("TLabel", &TGraphicControl::StaticClass())
                                      .Creatable()
                                      .Enum("Alignment", AlignmentEnum(), &TLabel::Alignment, &TLabel::SetAlignment, 0)
                                      .Boolean("AutoSize", &TLabel::AutoSize, &TLabel::SetAutoSize, true)
                                      .String("Caption", &TLabel::Caption, &TLabel::SetCaption)
                                      .ControlColor(clBtnFace)
                                      .ControlFont()
                                      .Enum("Layout", TextLayoutEnum(), &TLabel::Layout, &TLabel::SetLayout, 0)
                                      .Boolean("ParentColor", &TLabel::ParentColor, &TLabel::SetParentColor, true)
                                      .Boolean("ParentFont", &TLabel::ParentFont, &TLabel::SetParentFont, true)
                                      .Boolean("ShowAccelChar", &TLabel::ShowAccelChar, &TLabel::SetShowAccelChar, true)
                                      .Boolean("Transparent", &TLabel::Transparent, &TLabel::SetTransparent, false)
                                      .Boolean("WordWrap", &TLabel::WordWrap, &TLabel::SetWordWrap, false)
                                      .Build();
    return info;
}

TLabel::TLabel(TComponent* owner)
    : TGraphicControl(owner)
{
    SetBounds(0, 0, 65, 17);
}

uint32_t TLabel::TextFlags() const
{
    uint32_t flags = DT_EXPANDTABS;
    if (m_wordWrap)
        flags |= DT_WORDBREAK;
    if (m_alignment == TAlignment::taRightJustify)
        flags |= DT_RIGHT;
    else if (m_alignment == TAlignment::taCenter)
        flags |= DT_CENTER;
    if (!m_showAccelChar)
        flags |= DT_NOPREFIX;
    return flags;
}

void TLabel::AdjustBounds()
{
    if (!m_autoSize || IsLoading())
        return;
    TCanvas measure;
    measure.Font = Font().ToCanvasFont();
    std::string text = Caption();
    // An empty caption measures one space so the label keeps a line's height.
    if (text.empty() || (m_showAccelChar && text == "&"))
        text += ' ';
    TRect rect { 0, 0, m_wordWrap ? Width() : 0x7FFF, 0 };
    measure.DrawText(text, rect, (TextFlags() & ~uint32_t(DT_RIGHT | DT_CENTER)) | DT_CALCRECT);
    int left = Left();
    if (m_alignment == TAlignment::taRightJustify)
        left += Width() - rect.Width();
    SetBounds(left, Top(), rect.Width(), rect.Height());
}

void TLabel::Loaded()
{
    TGraphicControl::Loaded();
    AdjustBounds();
}

void TLabel::Paint()
{
    TCanvas& canvas = Canvas();
    TRect client = ClientRect();
    if (!m_transparent) {
        canvas.Brush.Style = BrushStyle::Solid;
        canvas.Brush.Color = Color();
        canvas.FillRect(client);
    }
    canvas.Brush.Style = BrushStyle::Clear;
    canvas.Font = Font().ToCanvasFont();
    uint32_t flags = TextFlags();
    TRect rect = client;
    if (m_layout != TTextLayout::tlTop) {
        TRect measured = rect;
        canvas.DrawText(Caption(), measured, flags | DT_CALCRECT);
        int offset = Height() - measured.Height();
        rect = rect.Offset(0, m_layout == TTextLayout::tlCenter ? offset / 2 : offset);
    }
    if (!Enabled()) {
        // The disabled look: a highlight copy one pixel down and right, grey text over it.
        TRect shadow = rect.Offset(1, 1);
        canvas.Font.Color = ColorToRGB(clHighlightText);
        canvas.DrawText(Caption(), shadow, flags);
        canvas.Font.Color = ColorToRGB(clGray);
    }
    canvas.DrawText(Caption(), rect, flags);
}

}
