#include "platform/window/BoxPainter.h"

#include "platform/resources/Resources.h"
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

// The picture's rows turned bottom-up, as a canvas reads its sources.
Picture BottomUp(Picture picture)
{
    for (int y = 0; y < picture.height / 2; ++y)
        std::swap_ranges(picture.pixels.begin() + static_cast<ptrdiff_t>(y) * picture.width,
            picture.pixels.begin() + static_cast<ptrdiff_t>(y + 1) * picture.width,
            picture.pixels.begin() + static_cast<ptrdiff_t>(picture.height - 1 - y) * picture.width);
    return picture;
}

PixelView ViewOf(const Picture& picture)
{
    return { reinterpret_cast<uint8_t*>(const_cast<uint32_t*>(picture.pixels.data())), picture.width, picture.height };
}

std::optional<Picture> EmbeddedPicture(std::string_view name)
{
    auto bytes = FindResource(name);
    if (!bytes)
        return std::nullopt;
    try {
        return BottomUp(DecodePng(*bytes));
    } catch (const std::exception&) {
        return std::nullopt;
    }
}

// Corners as drawn, edges and middle stretched to fill `dest`.
void DrawNineParts(TCanvas& canvas, const TRect& dest, const Picture& picture, int corner)
{
    const PixelView source = ViewOf(picture);
    const int sx[4] = { 0, corner, picture.width - corner, picture.width };
    const int sy[4] = { 0, corner, picture.height - corner, picture.height };
    const int dx[4] = { dest.Left, dest.Left + corner, dest.Right - corner, dest.Right };
    const int dy[4] = { dest.Top, dest.Top + corner, dest.Bottom - corner, dest.Bottom };
    for (int row = 0; row < 3; ++row)
        for (int column = 0; column < 3; ++column)
            canvas.CopyRect({ dx[column], dy[row], dx[column + 1], dy[row + 1] }, source,
                { sx[column], sy[row], sx[column + 1], sy[row + 1] });
}

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

void BoxPainter::Paint(const BoxContent& content, const BoxLayout& layout, const BoxLook& look, PixelView target)
{
    TCanvas canvas(target);
    DrawNineParts(canvas, { 0, 0, layout.size.cx, layout.size.cy }, m_frame, BoxFrameCorner);
    canvas.Brush.Style = BrushStyle::Clear;

    TRect caption = layout.caption;
    canvas.Font = CaptionFont();
    canvas.DrawText(content.caption, caption, DT_SINGLELINE | DT_NOPREFIX | DT_LEFT);
    const int ruleY = layout.caption.Bottom + RuleGap;
    canvas.FillPixels({ layout.caption.Left, ruleY, layout.size.cx - Inset, ruleY + 1 }, ColorToPixel(RuleColour));

    if (content.sign != BoxSign::Plain) {
        TRect sign = layout.sign;
        canvas.Font = SignFont(content.sign);
        canvas.DrawText(content.sign == BoxSign::Stop ? "!" : "?", sign, DT_SINGLELINE | DT_CENTER | DT_VCENTER | DT_NOPREFIX);
    }
    TRect text = layout.text;
    canvas.Font = TextFont();
    canvas.DrawText(content.text, text, DT_WORDBREAK | DT_NOPREFIX);

    canvas.Font = LabelFont();
    for (size_t i = 0; i < layout.buttons.size() && i < content.buttons.size(); ++i) {
        const int index = static_cast<int>(i);
        DrawNineParts(canvas, layout.buttons[i], ButtonPicture(index, look), BoxButtonCorner);
        TRect label = layout.buttons[i];
        if (index == look.pressed)
            label = { label.Left + 1, label.Top + 1, label.Right + 1, label.Bottom + 1 };
        canvas.DrawText(content.buttons[i], label, DT_SINGLELINE | DT_CENTER | DT_VCENTER);
    }
}

}
