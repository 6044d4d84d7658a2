#include "dib/image/cDIBFadeLabel.h"

#include "platform/components/ClassBuilder.h"

#include <algorithm>

using namespace platform;

const EnumInfo& BiDiModeEnum()
{
    static const EnumInfo info { "TBiDiMode",
        { { "bdLeftToRight", 0 }, { "bdRightToLeft", 1 }, { "bdRightToLeftNoAlign", 2 }, { "bdRightToLeftReadingOnly", 3 } } };
    return info;
}

std::vector<TColor> BuildFadeColors(TColor from, TColor to, int frameCount)
{
    std::vector<TColor> colors;
    if (frameCount < 2)
        return colors;
    double r = GetRValue(from), g = GetGValue(from), b = GetBValue(from);
    const double stepR = (GetRValue(to) - r) / frameCount;
    const double stepG = (GetGValue(to) - g) / frameCount;
    const double stepB = (GetBValue(to) - b) / frameCount;
    colors.reserve(static_cast<size_t>(frameCount));
    for (int i = 0; i < frameCount; ++i) {
        r += stepR;
        g += stepG;
        b += stepB;
        colors.push_back(RGB(static_cast<uint8_t>(r), static_cast<uint8_t>(g), static_cast<uint8_t>(b)));
    }
    return colors;
}

const ClassInfo& TCustomDIBFadeLabel::StaticClass()
{
    static const ClassInfo info("TCustomDIBFadeLabel", &TCustomDIBControl::StaticClass());
    return info;
}

const ClassInfo& TDIBFadeLabel::StaticClass()
{
    using L = TDIBFadeLabel;
    static const ClassInfo info = ClassBuilder<L>("TDIBFadeLabel", &TCustomDIBFadeLabel::StaticClass())
                                      .Creatable()
                                      .Enum("Alignment", AlignmentEnum(), &L::Alignment, &L::SetAlignment, 0)
                                      .Integer(
                                          "Angle", &L::Angle, [](L& c, int v) { c.SetAngle(v); }, 0)
                                      .Boolean("AutoSize", &L::AutoSize, &L::SetAutoSize, true)
                                      .Enum("BidiMode", BiDiModeEnum(), &L::BidiMode, &L::SetBidiMode, 0)
                                      .String("Caption", &L::Caption, &L::SetCaption)
                                      .ControlColor(clBtnFace)
                                      .Color("ColorHighlighted", &L::ColorHighlighted, &L::SetColorHighlighted, 0xFFFFFF)
                                      // The colour shown now, for scripts that follow a fade; never stored.
                                      .Color("CurrentColor", &L::CurrentColor, [](L&, int32_t) {})
                                      .ReadOnly()
                                      .NotStored()
                                      .ControlFont()
                                      .Integer("FrameCount", &L::FrameCount, &L::SetFrameCount, 10)
                                      .Integer("FrameDelay", &L::FrameDelay, &L::SetFrameDelay, 50)
                                      .Enum("Layout", TextLayoutEnum(), &L::Layout, &L::SetLayout, 0)
                                      .Boolean("ParentBiDiMode", &L::ParentBiDiMode, &L::SetParentBiDiMode, true)
                                      .Boolean("ParentColor", &L::ParentColor, &L::SetParentColor, true)
                                      .Boolean("ParentFont", &L::ParentFont, &L::SetParentFont, true)
                                      .Float("Scale", &L::Scale, &L::SetScale, 100.0)
                                      .Boolean("ShowAccelChar", &L::ShowAccelChar, &L::SetShowAccelChar, true)
                                      .Boolean("Transparent", &L::Transparent, &L::SetTransparent, true)
                                      .Boolean("WordWrap", &L::WordWrap, &L::SetWordWrap, false)
                                      .Build();
    return info;
}

static ClassRegistration registration(TDIBFadeLabel::StaticClass());

TCustomDIBFadeLabel::TCustomDIBFadeLabel(TComponent* owner)
    : TCustomDIBControl(owner)
    , m_timer(new TDIBTimer(nullptr))
{
    m_timer->SetOnTimer([this](TObject*) { Tick(); });
    m_currentColor = FontColor();
    BuildFadeTable();
}

TCustomDIBFadeLabel::~TCustomDIBFadeLabel() = default;

TColor TCustomDIBFadeLabel::FontColor() const { return ColorToRGB(Font().Color()); }

void TCustomDIBFadeLabel::SetColorHighlighted(TColor value)
{
    m_colorHighlighted = value;
    BuildFadeTable();
}

void TCustomDIBFadeLabel::SetFrameCount(uint8_t value)
{
    m_frameCount = value;
    BuildFadeTable();
}

void TCustomDIBFadeLabel::SetAngle(int value) { StoreAndRepaint(m_angle, ToAngle(value)); }

void TCustomDIBFadeLabel::SetAutoSize(bool value)
{
    m_autoSize = value;
    if (value)
        AdjustBounds();
    Invalidate();
}

void TCustomDIBFadeLabel::SetAlignment(TAlignment value) { StoreAndRepaint(m_alignment, value); }

void TCustomDIBFadeLabel::SetLayout(TTextLayout value) { StoreAndRepaint(m_layout, value); }

void TCustomDIBFadeLabel::SetScale(double value) { StoreAndRepaint(m_scale, value); }

void TCustomDIBFadeLabel::SetShowAccelChar(bool value)
{
    m_showAccelChar = value;
    UpdateAccelerator();
    AdjustBounds();
    Invalidate();
}

void TCustomDIBFadeLabel::SetTransparent(bool value) { StoreAndRepaint(m_transparent, value); }

void TCustomDIBFadeLabel::SetWordWrap(bool value) { StoreAndRepaint(m_wordWrap, value); }

void TCustomDIBFadeLabel::SetBidiMode(TBiDiMode value)
{
    if (value == m_biDiMode)
        return;
    m_biDiMode = value;
    m_parentBiDiMode = false;
    AdjustBounds();
    Invalidate();
}

void TCustomDIBFadeLabel::SetParentBiDiMode(bool value)
{
    if (value == m_parentBiDiMode)
        return;
    m_parentBiDiMode = value;
    if (value && m_biDiMode != TBiDiMode::bdLeftToRight) {
        m_biDiMode = TBiDiMode::bdLeftToRight;
        AdjustBounds();
        Invalidate();
    }
}

bool TCustomDIBFadeLabel::RightToLeftAlignment() const { return m_biDiMode == TBiDiMode::bdRightToLeft; }

uint32_t TCustomDIBFadeLabel::AlignmentFlags() const
{
    TAlignment alignment = m_alignment;
    // A right-to-left label mirrors its alignment: what reads as the start is on the right.
    if (RightToLeftAlignment() && alignment != TAlignment::taCenter)
        alignment = alignment == TAlignment::taLeftJustify ? TAlignment::taRightJustify : TAlignment::taLeftJustify;
    switch (alignment) {
    case TAlignment::taRightJustify:
        return DT_RIGHT;
    case TAlignment::taCenter:
        return DT_CENTER;
    default:
        return DT_LEFT;
    }
}

uint32_t TCustomDIBFadeLabel::BiDiFlags() const { return m_biDiMode == TBiDiMode::bdLeftToRight ? 0u : uint32_t(DT_RTLREADING); }

void TCustomDIBFadeLabel::BuildFadeTable() { m_fadeTable = BuildFadeColors(FontColor(), ColorToRGB(m_colorHighlighted), m_frameCount); }

void TCustomDIBFadeLabel::Highlight()
{
    m_timer->SetEnabled(false);
    m_currentColor = ColorToRGB(m_colorHighlighted);
    Invalidate();
}

void TCustomDIBFadeLabel::Unhighlight()
{
    if (m_frameCount > 1 && m_frameDelay != 0) {
        m_timer->SetInterval(m_frameDelay);
        m_fadeIndex = m_frameCount - 1;
        m_timer->SetEnabled(true);
        return;
    }
    m_currentColor = FontColor();
    Invalidate();
}

void TCustomDIBFadeLabel::Tick()
{
    // FrameCount may have shrunk the table since the fade started; a fade never reads past it.
    m_fadeIndex = std::min(m_fadeIndex, static_cast<int>(m_fadeTable.size()) - 1);
    if (m_fadeIndex > 0) {
        m_currentColor = m_fadeTable[static_cast<size_t>(m_fadeIndex)];
        --m_fadeIndex;
    } else {
        m_fadeIndex = 0;
        m_timer->SetEnabled(false);
        m_currentColor = FontColor();
    }
    Invalidate();
}

void TCustomDIBFadeLabel::TextChanged()
{
    UpdateAccelerator();
    AdjustBounds();
    Invalidate();
}

void TCustomDIBFadeLabel::FontChanged()
{
    if (!Entered())
        m_currentColor = FontColor();
    AdjustBounds();
    BuildFadeTable();
    Invalidate();
}

void TCustomDIBFadeLabel::Loaded()
{
    TCustomDIBControl::Loaded();
    if (m_autoSize)
        AdjustBounds();
}

char TCustomDIBFadeLabel::CaptionAccelerator() const
{
    const std::string& caption = Caption();
    for (size_t i = 0; i + 1 < caption.size(); ++i) {
        if (caption[i] != '&')
            continue;
        if (caption[i + 1] != '&')
            return caption[i + 1];
        ++i;
    }
    return 0;
}

bool TCustomDIBFadeLabel::IsAccelerator(char ch) const
{
    auto upper = [](char c) { return c >= 'a' && c <= 'z' ? static_cast<char>(c - 'a' + 'A') : c; };
    const char accelerator = CaptionAccelerator();
    return accelerator != 0 && upper(accelerator) == upper(ch);
}

void TCustomDIBFadeLabel::UpdateAccelerator() { SetAccelerator(m_showAccelChar ? CaptionAccelerator() : '\0'); }

bool TCustomDIBFadeLabel::DialogChar(char ch)
{
    const TWinControl* parent = Parent();
    if (!Enabled() || !m_showAccelChar || !IsAccelerator(ch) || !parent || !parent->CanFocus())
        return false;
    Click();
    return true;
}

void TCustomDIBFadeLabel::DoKeyPress(char& key)
{
    TCustomDIBControl::DoKeyPress(key);
    if (key == ' ')
        Click();
}

void TCustomDIBFadeLabel::DrawTextOn(TCanvas& canvas, TRect& rect, uint32_t flags)
{
    std::string text = Caption();
    // An empty caption measures one space, so an auto-sized label keeps a line's height.
    if ((flags & DT_CALCRECT) && (text.empty() || (m_showAccelChar && text == "&")))
        text += ' ';
    if (!m_showAccelChar)
        flags |= DT_NOPREFIX;
    flags |= BiDiFlags();
    canvas.Font = Font().ToCanvasFont();
    canvas.Brush.Style = BrushStyle::Clear;
    if (flags & DT_CALCRECT) {
        canvas.DrawText(text, rect, flags);
        return;
    }
    if (Enabled()) {
        canvas.Font.Color = m_currentColor;
        canvas.DrawText(text, rect, flags);
        return;
    }
    TRect shadow { rect.Left + 1, rect.Top + 1, rect.Right + 1, rect.Bottom + 1 };
    canvas.Font.Color = ColorToRGB(m_colorHighlighted);
    canvas.DrawText(text, shadow, flags);
    canvas.Font.Color = FontColor();
    canvas.DrawText(text, rect, flags);
}

void TCustomDIBFadeLabel::DrawText(TRect& rect, uint32_t flags)
{
    if (WorkDIB()) {
        DrawTextOn(Canvas(), rect, flags);
        return;
    }
    // Outside a paint the text is only measured, as on the screen's device context.
    TCanvas measure;
    DrawTextOn(measure, rect, flags | DT_CALCRECT);
}

void TCustomDIBFadeLabel::AdjustBounds()
{
    if (!m_autoSize || IsLoading())
        return;
    TRect rect = ClientRect();
    DrawText(rect, DT_CALCRECT | DT_EXPANDTABS | (m_wordWrap ? uint32_t(DT_WORDBREAK) : 0u));
    int left = Left();
    if (AlignmentFlags() == DT_RIGHT)
        left += Width() - rect.Right;
    SetBounds(left, Top(), rect.Right, rect.Bottom);
}

void TCustomDIBFadeLabel::Paint()
{
    TCustomDIBControl::Paint();
    TWinDIB* work = WorkDIB();
    if (!work)
        return;
    work->Fill(m_transparent ? FadeLabelKeyColor : Color());
    TRect rect = ClientRect();
    uint32_t flags = DT_EXPANDTABS | (m_wordWrap ? uint32_t(DT_WORDBREAK) : 0u) | AlignmentFlags();
    if (m_layout != TTextLayout::tlTop) {
        TRect measured = rect;
        DrawText(measured, flags | DT_CALCRECT);
        const int free = Height() - measured.Height();
        const int offset = m_layout == TTextLayout::tlCenter ? free / 2 : free;
        rect.Top += offset;
        rect.Bottom += offset;
    }
    DrawText(rect, flags);
    work->SetTransparent(m_transparent);
    // The key is the fill itself, not the bottom-left pixel: text reaching that corner must not
    // become the key and vanish while the fill shows.
    if (m_transparent) {
        work->SetTransparentMode(tmFixed);
        work->SetTransparentColor(FadeLabelKeyColor);
    } else {
        work->SetTransparentMode(tmAuto);
    }
    work->SetAngle(m_angle);
    work->SetScale(m_scale);
}
