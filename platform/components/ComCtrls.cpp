#include "platform/components/ComCtrls.h"

#include "platform/components/Forms.h"

#include <algorithm>

namespace platform {

const ClassInfo& TAnimate::StaticClass()
{
    static const ClassInfo info = ClassBuilder<TAnimate>("TAnimate", &TWinControl::StaticClass())
                                      .Creatable()
                                      .Boolean("Active", &TAnimate::Active, &TAnimate::SetActive, false)
                                      .Boolean("Center", &TAnimate::Center, &TAnimate::SetCenter, true)
                                      .ControlColor(clBtnFace)
                                      .Boolean("ParentColor", &TAnimate::ParentColor, &TAnimate::SetParentColor, true)
                                      .Integer("Repetitions", &TAnimate::Repetitions, &TAnimate::SetRepetitions, 0)
                                      .String("ResName", &TAnimate::ResName, &TAnimate::SetResName)
                                      .Integer("StartFrame", &TAnimate::StartFrame, &TAnimate::SetStartFrame, 1)
                                      .Integer("StopFrame", &TAnimate::StopFrame, &TAnimate::SetStopFrame, 0)
                                      .Boolean("Transparent", &TAnimate::Transparent, &TAnimate::SetTransparent, true)
                                      .Integer("FrameCount", &TAnimate::FrameCount, [](TAnimate&, int) {})
                                      .ReadOnly()
                                      .Integer("CurrentFrame", &TAnimate::CurrentFrame, [](TAnimate&, int) {})
                                      .ReadOnly()
                                      .Event("OnClose", &TAnimate::OnClose)
                                      .Event("OnOpen", &TAnimate::OnOpen)
                                      .Event("OnStart", &TAnimate::OnStart)
                                      .Event("OnStop", &TAnimate::OnStop)
                                      .Build();
    return info;
}

TAnimate::TAnimate(TComponent* owner)
    : TWinControl(owner)
{
    SetBounds(0, 0, 100, 80);
}

TAnimate::~TAnimate()
{
    KillTimer();
}

void TAnimate::LoadClip(std::span<const uint8_t> bytes)
{
    auto clip = AviClip::FromBytes(bytes, {});
    if (!clip)
        throw EConvertError("Cannot open AVI: " + clip.Error().Message());
    Stop();
    m_clip = std::move(clip).Value();
    m_frame.assign(static_cast<size_t>(m_clip->Width()) * m_clip->Height(), 0);
    m_current = 0;
    ShowFrame(1);
    FireEvent(OnOpen, this);
}

void TAnimate::CloseClip()
{
    if (!m_clip)
        return;
    Stop();
    m_clip.reset();
    m_frame.clear();
    m_current = 0;
    Invalidate();
    FireEvent(OnClose, this);
}

void TAnimate::SetActive(bool value)
{
    if (IsLoading()) {
        m_active = value;
        return;
    }
    if (value)
        Play(m_startFrame, m_stopFrame, m_repetitions);
    else
        Stop();
}

void TAnimate::SetCenter(bool value)
{
    StoreAndInvalidate(m_center, value);
}

void TAnimate::Loaded()
{
    TWinControl::Loaded();
    if (m_active) {
        m_active = false;
        SetActive(true);
    }
}

int TAnimate::LastFrame() const
{
    return m_clip ? m_clip->FrameCount() : 0;
}

void TAnimate::Play(int fromFrame, int toFrame, int count)
{
    if (!m_clip || LastFrame() == 0)
        return;
    int last = LastFrame();
    m_playFrom = std::clamp(fromFrame, 1, last);
    m_playTo = toFrame <= 0 ? last : std::clamp(toFrame, m_playFrom, last);
    m_playsLeft = count;
    KillTimer();
    m_active = true;
    ShowFrame(m_playFrom);
    if (OnStart)
        RunHandler([this] { OnStart(this); });
    if (!m_active)
        return;
    uint32_t intervalMs = std::max<uint32_t>(USER_TIMER_MINIMUM, (m_clip->MicroSecPerFrame() + 500) / 1000);
    m_loop = &CurrentEventLoop();
    m_timerId = m_loop->SetTimer(intervalMs, [this] { Tick(); });
}

void TAnimate::Stop()
{
    KillTimer();
    if (!m_active)
        return;
    m_active = false;
    if (OnStop)
        RunHandler([this] { OnStop(this); });
}

void TAnimate::Seek(int frame)
{
    Stop();
    if (m_clip)
        ShowFrame(std::clamp(frame, 1, LastFrame()));
}

void TAnimate::KillTimer()
{
    if (m_timerId && m_loop)
        m_loop->KillTimer(m_timerId);
    m_timerId = 0;
    m_loop = nullptr;
}

void TAnimate::Tick()
{
    if (!m_clip)
        return;
    if (m_current < m_playTo) {
        ShowFrame(m_current + 1);
        return;
    }
    // The last frame of this pass stayed on screen for its whole time.
    if (m_playsLeft == 1) {
        Stop();
        return;
    }
    if (m_playsLeft > 1)
        --m_playsLeft;
    ShowFrame(m_playFrom);
}

void TAnimate::ShowFrame(int frame)
{
    if (!m_clip || frame < 1 || frame > LastFrame())
        return;
    PixelView view { reinterpret_cast<uint8_t*>(m_frame.data()), m_clip->Width(), m_clip->Height() };
    m_clip->DecodeFrame(frame - 1, view);
    m_current = frame;
    Invalidate();
}

void TAnimate::PaintWindow(TCanvas& canvas)
{
    if (!m_clip || m_current == 0)
        return;
    PixelView view { reinterpret_cast<uint8_t*>(m_frame.data()), m_clip->Width(), m_clip->Height() };
    int x = m_center ? (Width() - view.width) / 2 : 0;
    int y = m_center ? (Height() - view.height) / 2 : 0;
    // A transparent player lets its own colour (already painted under the frame) show where
    // the clip has its background, the colour of the frame's top-left pixel.
    if (m_transparent)
        canvas.DrawTransparent(x, y, view, view.At(0, 0));
    else
        canvas.Draw(x, y, view);
}

}
