#include "dib/image/cDIBImage.h"

#include "dib/control/cDIBPanel.h"
#include "platform/components/ClassBuilder.h"

#include <algorithm>

using namespace platform;

const ClassInfo& TCustomDIBImage::StaticClass()
{
    static const ClassInfo info("TCustomDIBImage", &TCustomDIBControl::StaticClass());
    return info;
}

const ClassInfo& TDIBImage::StaticClass()
{
    static const ClassInfo info = ClassBuilder<TDIBImage>("TDIBImage", &TCustomDIBImage::StaticClass())
                                      .Creatable()
                                      .Integer(
                                          "Angle", &TDIBImage::Angle, [](TDIBImage& c, int v) { c.SetAngle(v); }, 0)
                                      .Boolean("AutoSize", &TDIBImage::AutoSize, &TDIBImage::SetAutoSize, false)
                                      .Boolean("Center", &TDIBImage::Center, &TDIBImage::SetCenter, false)
                                      .Component<TCustomDIBImageList>("DIBImageList", &TDIBImage::DIBImageList, &TDIBImage::SetDIBImageList)
                                      .Object("IndexMain", [](TDIBImage& c) -> TPersistent* { return &c.IndexMain(); })
                                      .Float("Scale", &TDIBImage::Scale, &TDIBImage::SetScale, 100.0)
                                      .Boolean("Stretch", &TDIBImage::Stretch, &TDIBImage::SetStretch, false)
                                      .Build();
    return info;
}

static ClassRegistration registration(TDIBImage::StaticClass());

TCustomDIBImage::TCustomDIBImage(TComponent* owner)
    : TCustomDIBControl(owner)
    , m_indexMain(&AddImageLink())
{
    for (const char* name : { "Angle", "AutoSize", "Center", "Opacity", "Scale", "Stretch" })
        AddTemplateProperty(name);
}

TCustomDIBImage::~TCustomDIBImage() = default;

void TCustomDIBImage::SetAngle(int value)
{
    m_angle = ToAngle(value);
    AdjustSize();
}

void TCustomDIBImage::SetAutoSize(bool value)
{
    if (value == m_autoSize)
        return;
    m_autoSize = value;
    if (value) {
        m_stretch = false;
        AdjustSize();
    } else {
        // Switching it off moves a centred picture; the stored picture would be stale.
        Invalidate();
    }
}

void TCustomDIBImage::SetCenter(bool value)
{
    if (ChangeValue(m_center, value))
        AdjustSize();
}

void TCustomDIBImage::SetScale(double value)
{
    m_scale = value;
    SetStretch(false);
    AdjustSize();
}

void TCustomDIBImage::SetStretch(bool value)
{
    m_stretch = value;
    if (value)
        m_autoSize = false;
    Invalidate();
}

void TCustomDIBImage::AdjustSize()
{
    if (m_autoSize && m_indexMain->DIBIndex() >= 0) {
        if (const TAbstractSuperDIB* picture = m_indexMain->GetImage()) {
            const TSize box = DIBTransformedBox(picture->Width(), picture->Height(), m_angle, m_scale, m_scale);
            // A box no surface can have would only make every later paint fail.
            constexpr int maxSide = TAbstractSuperDIB::MaxDimension;
            if (box.cx > 0 && box.cy > 0 && box.cx <= maxSide && box.cy <= maxSide)
                SetBounds(Left(), Top(), box.cx, box.cy);
        }
    }
    Invalidate();
}

void TCustomDIBImage::ImageChanged(TDIBImageLink* link, int, TDIBLinkChange)
{
    // The link only reports changes of the picture it shows.
    if (link == m_indexMain)
        AdjustSize();
}

TCustomDIBImage::Placement TCustomDIBImage::PlacementFor(const TAbstractSuperDIB& picture) const
{
    Placement placement;
    placement.ScaleX = m_scale;
    placement.ScaleY = m_scale;
    if (m_stretch) {
        // Whole percent, as the picture's own scale is kept.
        placement.ScaleX = Width() * 100 / picture.Width();
        placement.ScaleY = Height() * 100 / picture.Height();
    }
    placement.Box = DIBTransformedBox(picture.Width(), picture.Height(), m_angle, placement.ScaleX, placement.ScaleY);
    if (m_center && !m_autoSize)
        placement.Position = { Width() / 2 - placement.Box.cx / 2, Height() / 2 - placement.Box.cy / 2 };
    return placement;
}

std::optional<TCustomDIBImage::Placement> TCustomDIBImage::PicturePlacement() const
{
    const TAbstractSuperDIB* picture = m_indexMain->GetImage();
    if (!picture)
        return std::nullopt;
    return PlacementFor(*picture);
}

void TCustomDIBImage::Paint()
{
    TCustomDIBControl::Paint();
    TAbstractSuperDIB* view = m_indexMain->GetImage();
    TWinDIB* work = WorkDIB();
    if (!view || !work)
        return;
    // The view is shared by every control of the list and re-pointed by each GetImage, so the
    // control's own transform goes onto it on every paint.
    const Placement placement = PlacementFor(*view);
    view->SetAutoSize(true);
    view->SetAngle(m_angle);
    view->SetScaleX(placement.ScaleX);
    view->SetScaleY(placement.ScaleY);
    // Only the damaged part of the working surface reaches the container, so a large picture
    // under a small damaged area draws just that part. The working surface is shared by the
    // next child, which must find its clip whole again.
    const TRect fullClip = work->ClipRect();
    work->SetClipRect(DamagedPart(*work));
    view->Draw(placement.Position.X, placement.Position.Y, view->Width(), view->Height(), *work, 0, 0);
    work->SetClipRect(fullClip);
}

TRect TCustomDIBImage::DamagedPart(const TAbstractSuperDIB& work) const
{
    const TRect whole { 0, 0, work.Width() - 1, work.Height() - 1 };
    const TCustomDIBContainer* container = Container();
    if (!container)
        return whole;
    const TRect& dirty = container->DirtyRect();
    const TRect part { std::max(whole.Left, dirty.Left - Left()), std::max(whole.Top, dirty.Top - Top()),
        std::min(whole.Right, dirty.Right - 1 - Left()), std::min(whole.Bottom, dirty.Bottom - 1 - Top()) };
    return part.Left <= part.Right && part.Top <= part.Bottom ? part : whole;
}
