#pragma once

// The program's own message boxes, drawn with the platform canvas and the menu's font (Tahoma
// from the Wine fonts, as the menu's own labels) in the frame and buttons of the menu's artwork:
// the layout from the texts, and the pixels for a layout in a given state. Nothing here needs a
// display, so the boxes' goldens come from the same code the window shows.

#include "platform/canvas/Canvas.h"
#include "platform/picture/Picture.h"
#include "platform/types/Geometry.h"
#include "platform/types/PixelView.h"

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace platform {

enum class BoxSign : uint8_t {
    Plain,    // no sign
    Stop,     // an error: an orange "!"
    Question, // a cyan "?"
};

// Every text is code page 1250; in a button's label "&" marks the letter that presses it.
struct BoxContent {
    BoxSign sign = BoxSign::Plain;
    std::string caption;
    std::string text;
    std::vector<std::string> buttons;
};

// Where everything goes, in the box's own pixels.
struct BoxLayout {
    TSize size;
    TRect caption;
    TRect sign; // empty without a sign
    TRect text;
    std::vector<TRect> buttons;

    // The button under a point, or -1.
    int ButtonAt(TPoint point) const;
};

// The window of a long work's progress: what is done (caption), to what (name), how far, and
// the button that stops it.
struct ProgressContent {
    std::string caption;
    std::string name;
    uint64_t done = 0;
    uint64_t total = 0;
    std::string button;
};

struct ProgressLayout {
    TSize size;
    TRect caption;
    TRect name;
    TRect bar;
    TRect figures;
    TRect button;
};

// "42 % – rozbaleno 273 MB z 650 MB, zbývá 377 MB" (code page 1250); megabytes of 2^20 bytes,
// rounded to the nearest, and the percentage rounded down, so 100 % means all of it.
std::string ProgressFigures(uint64_t done, uint64_t total);

// What the buttons show: the one with the keyboard's focus, and the one held down (or -1).
struct BoxLook {
    int focused = 0;
    int pressed = -1;
};

class BoxPainter {
public:
    // Empty when the artwork is not embedded in the program.
    static std::optional<BoxPainter> Load();

    BoxLayout Lay(const BoxContent& content);
    void Paint(const BoxContent& content, const BoxLayout& layout, const BoxLook& look, PixelView target);
    ProgressLayout LayProgress(const ProgressContent& content);
    void PaintProgress(const ProgressContent& content, const ProgressLayout& layout, const BoxLook& look, PixelView target);

    static constexpr int MaxTextWidth = 420;

private:
    BoxPainter(Picture frame, Picture button, Picture focused, Picture pressed);
    const Picture& ButtonPicture(int index, const BoxLook& look) const;
    void PaintCaption(TCanvas& canvas, const std::string& caption, const TRect& rect, int width) const;
    void PaintButton(TCanvas& canvas, const std::string& label, const TRect& rect, int index, const BoxLook& look) const;

    Picture m_frame;
    Picture m_button;
    Picture m_focused;
    Picture m_pressed;
    TCanvas m_measure;
};

// The accelerator of a label ("&Ano" gives 'A'), upper-cased, or 0.
char BoxAccelerator(const std::string& label);

}
