#include "platform/components/ExtCtrls.h"

#include "platform/components/Forms.h"

namespace platform {

// ---- TImage ---------------------------------------------------------------------------------

const ClassInfo& TImage::StaticClass()
{
    static const ClassInfo info = ClassBuilder<TImage>("TImage", &TGraphicControl::StaticClass())
                                      .Creatable()
                                      .Boolean("AutoSize", &TImage::AutoSize, &TImage::SetAutoSize, false)
                                      .Boolean("Center", &TImage::Center, &TImage::SetCenter, false)
                                      .Object("Picture", [](TImage& i) -> TPersistent* { return &i.Picture(); })
                                      .Boolean("Stretch", &TImage::Stretch, &TImage::SetStretch, false)
                                      .Boolean("Transparent", &TImage::Transparent, &TImage::SetTransparent, false)
                                      .Build();
    return info;
}

TImage::TImage(TComponent* owner)
    : TGraphicControl(owner)
{
    SetBounds(0, 0, 105, 105);
    m_picture.OnChange = [this](TObject*) { PictureChanged(); };
}

void TImage::PictureChanged()
{
    if (m_autoSize && !m_picture.Empty())
        SetBounds(Left(), Top(), m_picture.Width(), m_picture.Height());
    Invalidate();
}

void TImage::SetAutoSize(bool value)
{
    m_autoSize = value;
    PictureChanged();
}

// Copies the picture into the canvas's clip, nearest pixel, skipping the key colour.
static void DrawKeyed(TCanvas& canvas, const TRect& dest, const PixelView& source, uint32_t key)
{
    const PixelView& target = canvas.Target();
    TPoint origin = canvas.Origin();
    TRect clip = Intersect(canvas.ClipRect(), dest);
    if (dest.IsEmpty() || source.IsEmpty())
        return;
    for (int y = clip.Top; y < clip.Bottom; ++y) {
        int ty = y + origin.Y;
        if (ty < 0 || ty >= target.height)
            continue;
        int sy = static_cast<int>(int64_t(y - dest.Top) * source.height / dest.Height());
        const uint32_t* srcRow = source.Row(sy);
        uint32_t* dstRow = target.Row(ty);
        for (int x = clip.Left; x < clip.Right; ++x) {
            int tx = x + origin.X;
            if (tx < 0 || tx >= target.width)
                continue;
            uint32_t pixel = srcRow[int64_t(x - dest.Left) * source.width / dest.Width()];
            if ((pixel & 0x00FFFFFFu) != key)
                dstRow[tx] = pixel;
        }
    }
}

void TImage::Paint()
{
    if (m_picture.Empty())
        return;
    TCanvas& canvas = Canvas();
    PixelView source = m_picture.Bitmap().View();
    TRect dest;
    if (m_stretch)
        dest = ClientRect();
    else if (m_center)
        dest = Bounds((Width() - source.width) / 2, (Height() - source.height) / 2, source.width, source.height);
    else
        dest = Bounds(0, 0, source.width, source.height);
    if (m_transparent) {
        DrawKeyed(canvas, dest, source, source.At(0, source.height - 1) & 0x00FFFFFFu);
        return;
    }
    if (m_stretch)
        canvas.StretchDraw(dest, source);
    else
        canvas.Draw(dest.Left, dest.Top, source);
}

// ---- TPanel ---------------------------------------------------------------------------------

const EnumInfo& BevelCutEnum()
{
    static const EnumInfo info { "TBevelCut", { { "bvNone", 0 }, { "bvLowered", 1 }, { "bvRaised", 2 }, { "bvSpace", 3 } } };
    return info;
}

const ClassInfo& TPanel::StaticClass()
{
    static const ClassInfo info = ClassBuilder<TPanel>("TPanel", &TCustomControl::StaticClass())
                                      .Creatable()
                                      .Enum("Alignment", AlignmentEnum(), &TPanel::Alignment, &TPanel::SetAlignment, int(TAlignment::taCenter))
                                      .Enum("BevelInner", BevelCutEnum(), &TPanel::BevelInner, &TPanel::SetBevelInner, 0)
                                      .Enum("BevelOuter", BevelCutEnum(), &TPanel::BevelOuter, &TPanel::SetBevelOuter, int(TBevelCut::bvRaised))
                                      .Integer("BevelWidth", &TPanel::BevelWidth, &TPanel::SetBevelWidth, 1)
                                      .Integer("BorderWidth", &TPanel::BorderWidth, &TPanel::SetBorderWidth, 0)
                                      .String("Caption", &TPanel::Caption, &TPanel::SetCaption)
                                      .ControlColor(clBtnFace)
                                      .ControlFont()
                                      .Boolean("ParentColor", &TPanel::ParentColor, &TPanel::SetParentColor, false)
                                      .Boolean("ParentFont", &TPanel::ParentFont, &TPanel::SetParentFont, true)
                                      .Build();
    return info;
}

TPanel::TPanel(TComponent* owner)
    : TCustomControl(owner)
{
    SetBounds(0, 0, 185, 41);
    SetColor(clBtnFace);
}

static void Frame3D(TCanvas& canvas, TRect& rect, TColor topLeft, TColor bottomRight, int width)
{
    for (int i = 0; i < width && !rect.IsEmpty(); ++i) {
        canvas.Brush.Style = BrushStyle::Solid;
        canvas.Brush.Color = topLeft;
        canvas.FillRect({ rect.Left, rect.Top, rect.Right, rect.Top + 1 });
        canvas.FillRect({ rect.Left, rect.Top, rect.Left + 1, rect.Bottom });
        canvas.Brush.Color = bottomRight;
        canvas.FillRect({ rect.Left, rect.Bottom - 1, rect.Right, rect.Bottom });
        canvas.FillRect({ rect.Right - 1, rect.Top, rect.Right, rect.Bottom });
        rect = { rect.Left + 1, rect.Top + 1, rect.Right - 1, rect.Bottom - 1 };
    }
}

void TPanel::Paint()
{
    TCanvas& canvas = Canvas();
    TRect rect = ClientRect();
    auto bevel = [&](TBevelCut cut) {
        if (cut == TBevelCut::bvRaised)
            Frame3D(canvas, rect, clWhite, clGray, m_bevelWidth);
        else if (cut == TBevelCut::bvLowered)
            Frame3D(canvas, rect, clGray, clWhite, m_bevelWidth);
        else if (cut == TBevelCut::bvSpace)
            Frame3D(canvas, rect, Color(), Color(), m_bevelWidth);
    };
    bevel(m_bevelOuter);
    Frame3D(canvas, rect, Color(), Color(), m_borderWidth);
    bevel(m_bevelInner);
    if (Caption().empty())
        return;
    canvas.Brush.Style = BrushStyle::Clear;
    canvas.Font = Font().ToCanvasFont();
    uint32_t flags = DT_SINGLELINE | DT_VCENTER | DT_EXPANDTABS;
    if (m_alignment == TAlignment::taCenter)
        flags |= DT_CENTER;
    else if (m_alignment == TAlignment::taRightJustify)
        flags |= DT_RIGHT;
    canvas.DrawText(Caption(), rect, flags);
}

// ---- TTimer ---------------------------------------------------------------------------------

const ClassInfo& TTimer::StaticClass()
{
    static const ClassInfo info = ClassBuilder<TTimer>("TTimer", &TComponent::StaticClass())
                                      .Creatable()
                                      .Boolean("Enabled", &TTimer::Enabled, &TTimer::SetEnabled, true)
                                      .Integer("Interval", &TTimer::Interval, &TTimer::SetInterval, 1000)
                                      .Event("OnTimer", &TTimer::OnTimer)
                                      .Build();
    return info;
}

TTimer::TTimer(TComponent* owner)
    : TComponent(owner) {}

TTimer::TTimer(TComponent* owner, EventLoop& loop)
    : TComponent(owner), m_fixedLoop(&loop) {}

TTimer::~TTimer()
{
    m_enabled = false;
    UpdateTimer();
}

void TTimer::SetOnTimer(TNotifyEvent handler)
{
    OnTimer = std::move(handler);
    UpdateTimer();
}

void TTimer::Loaded()
{
    TComponent::Loaded();
    UpdateTimer();
}

void TTimer::UpdateTimer()
{
    if (m_timerId != 0 && m_loop)
        m_loop->KillTimer(m_timerId);
    m_timerId = 0;
    m_loop = nullptr;
    if (IsLoading() || IsDestroying() || m_interval == 0 || !m_enabled || !OnTimer)
        return;
    m_loop = m_fixedLoop ? m_fixedLoop : &CurrentEventLoop();
    m_timerId = m_loop->SetTimer(m_interval, [this] { Tick(); });
    // A loop out of timers refuses; the timer is then disabled.
    if (m_timerId == 0) {
        m_loop = nullptr;
        m_enabled = false;
    }
}

void TTimer::Tick()
{
    // The handler may free or re-arm this timer; it runs on a copy.
    TNotifyEvent handler = OnTimer;
    if (handler)
        RunHandler([&] { handler(this); });
}

}
