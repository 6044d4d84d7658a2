#include "platform/canvas/TextLayout.h"

#include "platform/canvas/Canvas.h"

#include <algorithm>

namespace platform {

namespace {

// Tab stops every eight average character widths, as DT_EXPANDTABS sets them by default.
constexpr int TabStopChars = 8;

struct Cell {
    uint8_t byte;
    bool underlined;
};

bool IsBreak(uint8_t byte) { return byte == '\r' || byte == '\n'; }

// Splits the text into paragraphs at CR, LF and CR LF; a break at the very end opens no line.
std::vector<std::string_view> Paragraphs(std::string_view text, bool singleLine)
{
    std::vector<std::string_view> out;
    if (text.empty())
        return out;
    if (singleLine) {
        out.push_back(text);
        return out;
    }
    size_t start = 0;
    while (start < text.size()) {
        size_t end = start;
        while (end < text.size() && !IsBreak(static_cast<uint8_t>(text[end])))
            ++end;
        out.push_back(text.substr(start, end - start));
        if (end >= text.size())
            break;
        start = end + ((text[end] == '\r' && end + 1 < text.size() && text[end + 1] == '\n') ? 2 : 1);
    }
    return out;
}

// "&x" marks x as the accelerator (underlined), "&&" is a literal "&", a lone "&" at the end
// vanishes.
std::vector<Cell> ResolvePrefixes(std::string_view text, uint32_t flags)
{
    std::vector<Cell> cells;
    cells.reserve(text.size());
    bool prefixes = !(flags & DT_NOPREFIX);
    bool showUnderline = !(flags & DT_HIDEPREFIX);
    for (size_t i = 0; i < text.size(); ++i) {
        uint8_t byte = static_cast<uint8_t>(text[i]);
        if (prefixes && byte == '&') {
            if (i + 1 >= text.size())
                break;
            uint8_t next = static_cast<uint8_t>(text[++i]);
            cells.push_back({ next, next != '&' && showUnderline });
            continue;
        }
        cells.push_back({ byte, false });
    }
    return cells;
}

class LineBuilder {
public:
    LineBuilder(const TextMeasure& measure, uint32_t flags)
        : m_measure(measure)
        , m_expandTabs(flags & DT_EXPANDTABS)
        , m_tabWidth(std::max(1, measure.aveCharWidth * TabStopChars))
    {
    }

    int AdvanceAt(int x, uint8_t byte) const
    {
        if (byte == '\t' && m_expandTabs)
            return (x / m_tabWidth + 1) * m_tabWidth - x;
        if (IsBreak(byte))
            return 0;
        return m_measure.advances[byte];
    }

    // Places cells [from, to) on a fresh line.
    TextLine Place(const std::vector<Cell>& cells, size_t from, size_t to) const
    {
        TextLine line;
        int x = 0;
        for (size_t i = from; i < to; ++i) {
            line.chars.push_back({ cells[i].byte, x, cells[i].underlined });
            x += AdvanceAt(x, cells[i].byte);
        }
        line.width = x;
        return line;
    }

private:
    const TextMeasure& m_measure;
    bool m_expandTabs;
    int m_tabWidth;
};

bool IsBlank(uint8_t byte) { return byte == ' ' || byte == '\t'; }

// Greedy word wrap: a line takes words while they fit; blanks at a break are dropped; a word
// wider than the box stands alone on its line and overflows.
void WrapParagraph(const std::vector<Cell>& cells, int maxWidth, const LineBuilder& builder, std::vector<TextLine>& out)
{
    size_t lineStart = 0;
    size_t n = cells.size();
    if (n == 0) {
        out.push_back({});
        return;
    }
    while (lineStart < n) {
        size_t lineEnd = lineStart;
        int x = 0;
        while (lineEnd < n) {
            size_t pos = lineEnd;
            int wordX = x;
            while (pos < n && IsBlank(cells[pos].byte))
                wordX += builder.AdvanceAt(wordX, cells[pos++].byte);
            while (pos < n && !IsBlank(cells[pos].byte))
                wordX += builder.AdvanceAt(wordX, cells[pos++].byte);
            bool fits = wordX <= maxWidth;
            if (!fits && lineEnd > lineStart)
                break;
            x = wordX;
            lineEnd = pos;
            if (!fits)
                break;
        }
        if (lineEnd >= n) {
            out.push_back(builder.Place(cells, lineStart, n));
            return;
        }
        size_t trimmed = lineEnd;
        while (trimmed > lineStart && IsBlank(cells[trimmed - 1].byte))
            --trimmed;
        out.push_back(builder.Place(cells, lineStart, trimmed));
        lineStart = lineEnd;
        while (lineStart < n && IsBlank(cells[lineStart].byte))
            ++lineStart;
    }
}

}

TextLayout LayOutText(std::string_view text, int maxWidth, uint32_t flags, const TextMeasure& measure)
{
    TextLayout layout;
    LineBuilder builder(measure, flags);
    bool singleLine = flags & DT_SINGLELINE;
    bool wrap = (flags & DT_WORDBREAK) && !singleLine;
    for (std::string_view paragraph : Paragraphs(text, singleLine)) {
        std::vector<Cell> cells = ResolvePrefixes(paragraph, flags);
        if (wrap)
            WrapParagraph(cells, maxWidth, builder, layout.lines);
        else
            layout.lines.push_back(builder.Place(cells, 0, cells.size()));
    }
    for (const auto& line : layout.lines)
        layout.width = std::max(layout.width, line.width);
    layout.height = static_cast<int>(layout.lines.size()) * measure.lineHeight;
    return layout;
}

}
