#pragma once

// The fading text label of the DIB library. Its text turns to ColorHighlighted at once when the
// pointer enters (or the label takes the focus) and, after the pointer leaves, steps back to
// the font colour through a table of FrameCount colours, one step every FrameDelay
// milliseconds on its own DIB timer. The label paints into the working surface filled with a
// colour key, so only the text reaches the container when Transparent is on.

#include "dib/control/cDIBControl.h"
#include "dib/imagelist/cDIBTimer.h"
#include "platform/components/StdCtrls.h"

#include <cstdint>
#include <vector>

enum class TBiDiMode : uint8_t { bdLeftToRight,
    bdRightToLeft,
    bdRightToLeftNoAlign,
    bdRightToLeftReadingOnly };
const platform::EnumInfo& BiDiModeEnum();

// The fill of a transparent label's working surface: a colour reference whose top byte 1 makes
// the pixel's fourth byte 1, a value no text pixel has.
constexpr TColor FadeLabelKeyColor = 0x01234576;

// The fade steps from `from` to `to`: empty below two frames, else `frameCount` colour
// references whose channels step by (to - from) / frameCount, truncated. Both colours must be
// plain RGB references.
std::vector<TColor> BuildFadeColors(TColor from, TColor to, int frameCount);

class TCustomDIBFadeLabel : public TCustomDIBControl {
    TORVA_CLASS(TCustomDIBFadeLabel)
public:
    explicit TCustomDIBFadeLabel(platform::TComponent* owner);
    ~TCustomDIBFadeLabel() override;

    TColor ColorHighlighted() const { return m_colorHighlighted; }
    // Rebuilds the fade table; the colour shown now stays.
    void SetColorHighlighted(TColor value);
    uint8_t FrameCount() const { return m_frameCount; }
    void SetFrameCount(uint8_t value);
    uint32_t FrameDelay() const { return m_frameDelay; }
    void SetFrameDelay(uint32_t value) { m_frameDelay = value; }
    TAngle Angle() const { return m_angle; }
    void SetAngle(int value);
    bool AutoSize() const { return m_autoSize; }
    void SetAutoSize(bool value);
    platform::TAlignment Alignment() const { return m_alignment; }
    void SetAlignment(platform::TAlignment value);
    platform::TTextLayout Layout() const { return m_layout; }
    void SetLayout(platform::TTextLayout value);
    double Scale() const { return m_scale; }
    void SetScale(double value);
    bool ShowAccelChar() const { return m_showAccelChar; }
    void SetShowAccelChar(bool value);
    bool Transparent() const { return m_transparent; }
    void SetTransparent(bool value);
    bool WordWrap() const { return m_wordWrap; }
    void SetWordWrap(bool value);
    TBiDiMode BidiMode() const { return m_biDiMode; }
    void SetBidiMode(TBiDiMode value);
    // Parents here are always left to right, so following them means left to right.
    bool ParentBiDiMode() const { return m_parentBiDiMode; }
    void SetParentBiDiMode(bool value);

    // The colour the text is drawn in now.
    TColor CurrentColor() const { return m_currentColor; }
    // The next table entry a tick shows.
    int FadeIndex() const { return m_fadeIndex; }
    const std::vector<TColor>& FadeTable() const { return m_fadeTable; }
    TDIBTimer& FadeTimer() const { return *m_timer; }
    bool Fading() const { return m_timer->Enabled(); }

    // Sizes the label to its caption (AutoSize on, not while loading); a right-justified label
    // keeps its right edge.
    virtual void AdjustBounds();
    virtual void BuildFadeTable();
    // The character after the caption's first single "&", or 0.
    char CaptionAccelerator() const;
    // The caption's accelerator is `ch` (letters a to z compared without case).
    bool IsAccelerator(char ch) const;
    // A typed character offered to the form's controls as an accelerator: clicks the label when
    // it is the caption's accelerator and the label can take it. True when handled.
    bool DialogChar(char ch);

    void Loaded() override;

protected:
    void Paint() override;
    void Highlight() override;
    void Unhighlight() override;
    void DoKeyPress(char& key) override;
    void TextChanged() override;
    void FontChanged() override;
    // Draws (or with DT_CALCRECT measures) the caption in `rect`.
    virtual void DrawText(TRect& rect, uint32_t flags);

private:
    TColor FontColor() const;
    uint32_t AlignmentFlags() const;
    uint32_t BiDiFlags() const;
    bool RightToLeftAlignment() const;
    void DrawTextOn(platform::TCanvas& canvas, TRect& rect, uint32_t flags);
    // The caption's accelerator (while ShowAccelChar is on) is the control's Accelerator, so
    // Alt and that letter click the label through its container.
    void UpdateAccelerator();
    void Tick();
    // The writes that change only the look.
    template <class T>
    void StoreAndRepaint(T& field, T value)
    {
        field = value;
        Invalidate();
    }

    // Held here rather than as an owned component, so it goes only with the label's own parts.
    platform::ComponentPtr<TDIBTimer> m_timer;
    TColor m_currentColor = 0;
    int m_fadeIndex = 0;
    std::vector<TColor> m_fadeTable;
    TColor m_colorHighlighted = 0xFFFFFF;
    uint8_t m_frameCount = 10;
    uint32_t m_frameDelay = 50;
    TAngle m_angle = 0;
    bool m_autoSize = true;
    platform::TAlignment m_alignment = platform::TAlignment::taLeftJustify;
    platform::TTextLayout m_layout = platform::TTextLayout::tlTop;
    double m_scale = 100;
    bool m_showAccelChar = true;
    bool m_transparent = true;
    bool m_wordWrap = false;
    TBiDiMode m_biDiMode = TBiDiMode::bdLeftToRight;
    bool m_parentBiDiMode = true;
};

class TDIBFadeLabel : public TCustomDIBFadeLabel {
    TORVA_CLASS(TDIBFadeLabel)
public:
    explicit TDIBFadeLabel(platform::TComponent* owner)
        : TCustomDIBFadeLabel(owner)
    {
    }
};
