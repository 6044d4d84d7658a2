#pragma once

// The picture control, the panel and the window-message timer component.

#include "platform/components/Controls.h"
#include "platform/components/StdCtrls.h"
#include "platform/events/EventLoop.h"

#include <algorithm>

namespace platform {

class TImage : public TGraphicControl {
    TORVA_CLASS(TImage)
public:
    explicit TImage(TComponent* owner);

    TPicture& Picture() { return m_picture; }
    const TPicture& Picture() const { return m_picture; }
    bool Stretch() const { return m_stretch; }
    void SetStretch(bool value) { StoreAndInvalidate(m_stretch, value); }
    bool Center() const { return m_center; }
    void SetCenter(bool value) { StoreAndInvalidate(m_center, value); }
    // Pixels of the picture's bottom-left colour let the background show through.
    bool Transparent() const { return m_transparent; }
    void SetTransparent(bool value) { StoreAndInvalidate(m_transparent, value); }
    bool AutoSize() const { return m_autoSize; }
    void SetAutoSize(bool value);

protected:
    void Paint() override;

private:
    void PictureChanged();
    TPicture m_picture;
    bool m_stretch = false;
    bool m_center = false;
    bool m_transparent = false;
    bool m_autoSize = false;
};

enum class TBevelCut : uint8_t { bvNone,
    bvLowered,
    bvRaised,
    bvSpace };
const EnumInfo& BevelCutEnum();

class TPanel : public TCustomControl {
    TORVA_CLASS(TPanel)
public:
    explicit TPanel(TComponent* owner);

    TBevelCut BevelInner() const { return m_bevelInner; }
    void SetBevelInner(TBevelCut value) { StoreAndInvalidate(m_bevelInner, value); }
    TBevelCut BevelOuter() const { return m_bevelOuter; }
    void SetBevelOuter(TBevelCut value) { StoreAndInvalidate(m_bevelOuter, value); }
    int BevelWidth() const { return m_bevelWidth; }
    void SetBevelWidth(int value) { StoreAndInvalidate(m_bevelWidth, std::max(1, value)); }
    int BorderWidth() const { return m_borderWidth; }
    void SetBorderWidth(int value) { StoreAndInvalidate(m_borderWidth, std::max(0, value)); }
    TAlignment Alignment() const { return m_alignment; }
    void SetAlignment(TAlignment value) { StoreAndInvalidate(m_alignment, value); }

protected:
    void Paint() override;

private:
    TBevelCut m_bevelInner = TBevelCut::bvNone;
    TBevelCut m_bevelOuter = TBevelCut::bvRaised;
    int m_bevelWidth = 1;
    int m_borderWidth = 0;
    TAlignment m_alignment = TAlignment::taCenter;
};

// A window-message timer: while Enabled with an Interval and an OnTimer handler it ticks on an
// event loop; changing any of them restarts the count. Its ticks arrive through the loop's
// messages, never concurrently with painting or with each other.
class TTimer : public TComponent {
    TORVA_CLASS(TTimer)
public:
    // Ticks on the event loop current when the timer starts.
    explicit TTimer(TComponent* owner);
    // Ticks on the given loop, whichever is current.
    TTimer(TComponent* owner, EventLoop& loop);
    ~TTimer() override;

    bool Enabled() const { return m_enabled; }
    void SetEnabled(bool value)
    {
        if (ChangeValue(m_enabled, value))
            UpdateTimer();
    }
    uint32_t Interval() const { return m_interval; }
    void SetInterval(uint32_t value)
    {
        if (ChangeValue(m_interval, value))
            UpdateTimer();
    }
    // Assign through SetOnTimer: a handler bound by a layout takes effect in Loaded.
    void SetOnTimer(TNotifyEvent handler);
    // Whether a window timer is running now.
    bool Running() const { return m_timerId != 0; }

    TNotifyEvent OnTimer;

    void Loaded() override;

private:
    void UpdateTimer();
    void Tick();
    bool m_enabled = true;
    uint32_t m_interval = 1000;
    TimerId m_timerId = 0;
    EventLoop* m_fixedLoop = nullptr;
    EventLoop* m_loop = nullptr;
};

}
