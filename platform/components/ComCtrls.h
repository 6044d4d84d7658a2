#pragma once

// The animation control: plays a clip's frames StartFrame..StopFrame (counted from 1; StopFrame
// 0 means the last) Repetitions times (0: until stopped) on the window timers, at the clip's
// frame rate, each frame centred on the control's colour when Center is on.

#include "platform/avi/AviClip.h"
#include "platform/components/Controls.h"
#include "platform/events/EventLoop.h"

#include <memory>
#include <optional>
#include <span>

namespace platform {

class TAnimate : public TWinControl {
    TORVA_CLASS(TAnimate)
public:
    explicit TAnimate(TComponent* owner);
    ~TAnimate() override;

    // Takes the clip from a file's or resource's bytes; raises EConvertError for a clip that
    // cannot be played, leaving the control as it was.
    void LoadClip(std::span<const uint8_t> bytes);
    bool Open() const { return m_clip.has_value(); }
    void CloseClip();
    // The resource a clip was taken from, for the record; the program loads the bytes.
    const std::string& ResName() const { return m_resName; }
    void SetResName(const std::string& name) { m_resName = name; }

    bool Active() const { return m_active; }
    void SetActive(bool value);
    bool Center() const { return m_center; }
    void SetCenter(bool value);
    bool Transparent() const { return m_transparent; }
    void SetTransparent(bool value) { m_transparent = value; }
    int Repetitions() const { return m_repetitions; }
    void SetRepetitions(int value) { m_repetitions = value < 0 ? 0 : value; }
    int StartFrame() const { return m_startFrame; }
    void SetStartFrame(int value) { m_startFrame = value < 1 ? 1 : value; }
    int StopFrame() const { return m_stopFrame; }
    void SetStopFrame(int value) { m_stopFrame = value < 0 ? 0 : value; }
    int FrameCount() const { return m_clip ? m_clip->FrameCount() : 0; }
    int FrameWidth() const { return m_clip ? m_clip->Width() : 0; }
    int FrameHeight() const { return m_clip ? m_clip->Height() : 0; }
    // The frame on show, from 1; 0 before anything was shown.
    int CurrentFrame() const { return m_current; }

    void Play(int fromFrame, int toFrame, int count);
    void Stop();
    // Shows one frame without playing.
    void Seek(int frame);

    TNotifyEvent OnOpen;
    TNotifyEvent OnClose;
    TNotifyEvent OnStart;
    TNotifyEvent OnStop;

protected:
    void Loaded() override;
    void PaintWindow(TCanvas& canvas) override;

private:
    void ShowFrame(int frame);
    void Tick();
    void KillTimer();
    int LastFrame() const;

    std::optional<AviClip> m_clip;
    std::vector<uint32_t> m_frame;
    std::string m_resName;
    bool m_active = false;
    bool m_center = true;
    bool m_transparent = true;
    int m_repetitions = 0;
    int m_startFrame = 1;
    int m_stopFrame = 0;
    int m_current = 0;
    int m_playFrom = 1;
    int m_playTo = 1;
    int m_playsLeft = 0;
    TimerId m_timerId = 0;
    EventLoop* m_loop = nullptr;
};

}
