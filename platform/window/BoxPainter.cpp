#include "platform/window/BoxPainter.h"

#include "platform/text/Codepage.h"
#include "platform/window/ArtPictures.h"
#include "platform/window/BoxArt.h"

#include <algorithm>

namespace platform {

namespace {

constexpr int Inset = 22; // from the box's edge to its texts, past the frame's band
constexpr int CaptionTop = 16;
constexpr int RuleGap = 7; // between the caption and the rule under it, and after it
constexpr int SignSize = 32;
constexpr int SignGap = 12;
constexpr int ButtonGap = 18; // between the text and the buttons, and below them
constexpr int ButtonSpacing = 10;
constexpr int ButtonMinWidth = 84;
constexpr int ButtonPadding = 28;
constexpr int MinWidth = 280;

constexpr TColor CaptionColour = RGB(0xCF, 0xF8, 0xFF);
constexpr TColor RuleColour = RGB(0x2A, 0x7C, 0x8E);
constexpr TColor TextColour = RGB(0xE4, 0xEA, 0xF0);
constexpr TColor LabelColour = RGB(0xFF, 0xFF, 0xFF);
constexpr TColor TrackColour = RGB(0x0C, 0x11, 0x17);
constexpr TColor BarColour = RGB(0x38, 0xE0, 0xFF);
constexpr int ProgressWidth = 460;
constexpr int BarHeight = 14;
constexpr int BarGap = 10;
constexpr TColor StopColour = RGB(0xFF, 0x8A, 0x1E);
constexpr TColor QuestionColour = RGB(0x38, 0xE0, 0xFF);

CanvasFont Font(int height, bool bold, TColor colour)
{
    CanvasFont font;
    font.Name = "Tahoma";
    font.Height = height;
    font.Bold = bold;
    font.Charset = EASTEUROPE_CHARSET;
    font.Color = colour;
    return font;
}

CanvasFont TextFont() { return Font(-13, false, TextColour); }
CanvasFont CaptionFont() { return Font(-13, true, CaptionColour); }
CanvasFont LabelFont() { return Font(-12, false, LabelColour); }
CanvasFont SignFont(BoxSign sign) { return Font(-30, true, sign == BoxSign::Stop ? StopColour : QuestionColour); }

TSize Measure(TCanvas& canvas, const CanvasFont& font, const std::string& text, uint32_t flags, int maxWidth)
{
    canvas.Font = font;
    TRect rect { 0, 0, maxWidth, 0 };
    canvas.DrawText(text, rect, flags | DT_CALCRECT);
    return { rect.Width(), rect.Height() };
}

}

int BoxLayout::ButtonAt(TPoint point) const
{
    for (size_t i = 0; i < buttons.size(); ++i)
        if (buttons[i].Contains(point))
            return static_cast<int>(i);
    return -1;
}

char BoxAccelerator(const std::string& label)
{
    for (size_t i = 0; i + 1 < label.size(); ++i) {
        if (label[i] != '&')
            continue;
        if (label[i + 1] == '&') {
            ++i;
            continue;
        }
        char c = label[i + 1];
        return c >= 'a' && c <= 'z' ? static_cast<char>(c - 'a' + 'A') : c;
    }
    return 0;
}

std::optional<BoxPainter> BoxPainter::Load()
{
    auto frame = EmbeddedPicture(BoxFrameResource);
    auto button = EmbeddedPicture(BoxButtonResource);
    auto focused = EmbeddedPicture(BoxButtonFocusedResource);
    auto pressed = EmbeddedPicture(BoxButtonPressedResource);
    if (!frame || !button || !focused || !pressed)
        return std::nullopt;
    return BoxPainter(std::move(*frame), std::move(*button), std::move(*focused), std::move(*pressed));
}

BoxPainter::BoxPainter(Picture frame, Picture button, Picture focused, Picture pressed)
    : m_frame(std::move(frame))
    , m_button(std::move(button))
    , m_focused(std::move(focused))
    , m_pressed(std::move(pressed))
{
}

BoxLayout BoxPainter::Lay(const BoxContent& content)
{
    BoxLayout layout;
    const TSize caption = Measure(m_measure, CaptionFont(), content.caption, DT_SINGLELINE | DT_NOPREFIX, 0);
    const TSize text = Measure(m_measure, TextFont(), content.text, DT_WORDBREAK | DT_NOPREFIX, MaxTextWidth);
    std::vector<int> widths;
    int row = 0;
    int buttonHeight = BoxButtonHeight;
    for (const std::string& label : content.buttons) {
        const TSize size = Measure(m_measure, LabelFont(), label, DT_SINGLELINE, 0);
        widths.push_back(std::max(ButtonMinWidth, size.cx + ButtonPadding));
        row += widths.back() + (widths.size() > 1 ? ButtonSpacing : 0);
        buttonHeight = std::max(buttonHeight, size.cy + 10);
    }

    const int signWidth = content.sign == BoxSign::Plain ? 0 : SignSize + SignGap;
    const int inner = std::max({ caption.cx, signWidth + text.cx, row, MinWidth - 2 * Inset });
    layout.size.cx = inner + 2 * Inset;
    layout.caption = Bounds(Inset, CaptionTop, inner, caption.cy);
    const int bodyTop = layout.caption.Bottom + 2 * RuleGap + 1;
    if (signWidth)
        layout.sign = Bounds(Inset, bodyTop, SignSize, SignSize);
    layout.text = Bounds(Inset + signWidth, bodyTop, text.cx, text.cy);
    const int buttonsTop = std::max(layout.text.Bottom, layout.sign.Bottom) + ButtonGap;
    int x = (layout.size.cx - row) / 2;
    for (int width : widths) {
        layout.buttons.push_back(Bounds(x, buttonsTop, width, buttonHeight));
        x += width + ButtonSpacing;
    }
    layout.size.cy = buttonsTop + buttonHeight + ButtonGap;
    return layout;
}

const Picture& BoxPainter::ButtonPicture(int index, const BoxLook& look) const
{
    if (index == look.pressed)
        return m_pressed;
    return index == look.focused ? m_focused : m_button;
}

void BoxPainter::PaintCaption(TCanvas& canvas, const std::string& caption, const TRect& rect, int width) const
{
    TRect text = rect;
    canvas.Font = CaptionFont();
    canvas.DrawText(caption, text, DT_SINGLELINE | DT_NOPREFIX | DT_LEFT);
    const int ruleY = rect.Bottom + RuleGap;
    canvas.FillPixels({ rect.Left, ruleY, width - Inset, ruleY + 1 }, ColorToPixel(RuleColour));
}

void BoxPainter::PaintButton(TCanvas& canvas, const std::string& label, const TRect& rect, int index, const BoxLook& look) const
{
    DrawNineParts(canvas, rect, ButtonPicture(index, look), BoxButtonCorner);
    TRect text = rect;
    if (index == look.pressed)
        text = { text.Left + 1, text.Top + 1, text.Right + 1, text.Bottom + 1 };
    canvas.Font = LabelFont();
    canvas.DrawText(label, text, DT_SINGLELINE | DT_CENTER | DT_VCENTER);
}

void BoxPainter::Paint(const BoxContent& content, const BoxLayout& layout, const BoxLook& look, PixelView target)
{
    TCanvas canvas(target);
    DrawNineParts(canvas, { 0, 0, layout.size.cx, layout.size.cy }, m_frame, BoxFrameCorner);
    canvas.Brush.Style = BrushStyle::Clear;
    PaintCaption(canvas, content.caption, layout.caption, layout.size.cx);
    if (content.sign != BoxSign::Plain) {
        TRect sign = layout.sign;
        canvas.Font = SignFont(content.sign);
        canvas.DrawText(content.sign == BoxSign::Stop ? "!" : "?", sign, DT_SINGLELINE | DT_CENTER | DT_VCENTER | DT_NOPREFIX);
    }
    TRect text = layout.text;
    canvas.Font = TextFont();
    canvas.DrawText(content.text, text, DT_WORDBREAK | DT_NOPREFIX);
    for (size_t i = 0; i < layout.buttons.size() && i < content.buttons.size(); ++i)
        PaintButton(canvas, content.buttons[i], layout.buttons[i], static_cast<int>(i), look);
}

ProgressLayout BoxPainter::LayProgress(const ProgressContent& content)
{
    ProgressLayout layout;
    const int inner = ProgressWidth - 2 * Inset;
    layout.size.cx = ProgressWidth;
    const TSize caption = Measure(m_measure, CaptionFont(), content.caption, DT_SINGLELINE | DT_NOPREFIX, 0);
    layout.caption = Bounds(Inset, CaptionTop, inner, caption.cy);
    const TSize name = Measure(m_measure, TextFont(), content.name.empty() ? " " : content.name, DT_SINGLELINE | DT_NOPREFIX, 0);
    layout.name = Bounds(Inset, layout.caption.Bottom + 2 * RuleGap + 1, inner, name.cy);
    layout.bar = Bounds(Inset, layout.name.Bottom + BarGap, inner, BarHeight);
    const TSize label = Measure(m_measure, LabelFont(), content.button, DT_SINGLELINE, 0);
    const int buttonWidth = std::max(ButtonMinWidth, label.cx + ButtonPadding);
    const int buttonHeight = std::max(BoxButtonHeight, label.cy + 10);
    const int rowTop = layout.bar.Bottom + BarGap;
    layout.button = Bounds(ProgressWidth - Inset - buttonWidth, rowTop, buttonWidth, buttonHeight);
    layout.figures = { Inset, rowTop, layout.button.Left - ButtonSpacing, rowTop + buttonHeight };
    layout.size.cy = rowTop + buttonHeight + ButtonGap;
    return layout;
}

void BoxPainter::PaintProgress(const ProgressContent& content, const ProgressLayout& layout, const BoxLook& look, PixelView target)
{
    TCanvas canvas(target);
    DrawNineParts(canvas, { 0, 0, layout.size.cx, layout.size.cy }, m_frame, BoxFrameCorner);
    canvas.Brush.Style = BrushStyle::Clear;
    PaintCaption(canvas, content.caption, layout.caption, layout.size.cx);
    // A long name is cut at the box's edge rather than widening it.
    canvas.SetClipRect(layout.name);
    TRect name = layout.name;
    canvas.Font = TextFont();
    canvas.DrawText(content.name, name, DT_SINGLELINE | DT_NOPREFIX | DT_LEFT);
    canvas.ResetClip();

    const TRect& bar = layout.bar;
    canvas.FillPixels(bar, ColorToPixel(RuleColour));
    canvas.FillPixels({ bar.Left + 1, bar.Top + 1, bar.Right - 1, bar.Bottom - 1 }, ColorToPixel(TrackColour));
    const uint64_t inner = static_cast<uint64_t>(bar.Width() - 4);
    const uint64_t filled = content.total ? std::min(content.done, content.total) * inner / content.total : inner;
    canvas.FillPixels({ bar.Left + 2, bar.Top + 2, bar.Left + 2 + static_cast<int>(filled), bar.Bottom - 2 }, ColorToPixel(BarColour));

    TRect figures = layout.figures;
    canvas.DrawText(ProgressFigures(content.done, content.total), figures, DT_SINGLELINE | DT_NOPREFIX | DT_LEFT | DT_VCENTER);
    PaintButton(canvas, content.button, layout.button, 0, look);
}

std::string ProgressFigures(uint64_t done, uint64_t total)
{
    constexpr uint64_t Mega = uint64_t(1) << 20;
    done = std::min(done, total);
    auto megabytes = [](uint64_t bytes) { return std::to_string((bytes + Mega / 2) / Mega); };
    // Images are bounded far below the 2^57 bytes where done * 100 would overflow.
    const uint64_t percent = total ? done * 100 / total : 100;
    return Utf8ToCp1250(std::to_string(percent) + " % – rozbaleno " + megabytes(done) + " MB z "
        + megabytes(total) + " MB, zbývá " + megabytes(total - done) + " MB");
}

}
