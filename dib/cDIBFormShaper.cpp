#include "dib/cDIBFormShaper.h"

namespace {

// A surface pixel's colour as a colour reference; the fourth byte is dropped, since a high one
// would read as a system colour.
TColor PixelAsColor(uint32_t pixel)
{
    return static_cast<TColor>(SwapRedBlue(pixel) & 0x00FFFFFFu);
}

}

TDIBFormShaper::TDIBFormShaper(IDIBShapeTarget* owner)
    : m_owner(owner)
    , m_bitmap(std::make_unique<TMemoryDIB>())
    , m_indexShape([this] { return m_destroying; })
{
    m_bitmap->OnChange = [this](TAbstractSuperDIB*) { ReapplyIfActive(); };
    m_indexShape.OnChange = [this](TDIBImageLink*, int, TDIBLinkChange) { IndexShapeChanged(); };
}

TDIBFormShaper::~TDIBFormShaper()
{
    m_destroying = true;
}

void TDIBFormShaper::SetActive(bool value)
{
    IDIBShapeTarget* target = ControlToShape();
    if (!target)
        return;
    if (m_loading) {
        m_active = value;
        return;
    }
    if (value) {
        Apply();
        return;
    }
    target->SetWindowRegion(std::nullopt);
    m_active = false;
}

void TDIBFormShaper::SetBitmap(const TAbstractSuperDIB& source)
{
    // Assign ends with Changed, which re-applies through the bitmap's notification.
    m_bitmap->Assign(source);
}

void TDIBFormShaper::SetClientAreaOnly(bool value)
{
    IDIBShapeTarget* target = ControlToShape();
    if (!target || !target->IsForm())
        return;
    m_clientAreaOnly = value;
    ReapplyIfActive();
}

void TDIBFormShaper::SetControlToShape(IDIBShapeTarget* control)
{
    if (!m_loading && m_active)
        SetActive(false);
    m_control = control;
    if (m_control && !m_control->IsForm())
        m_clientAreaOnly = false;
}

void TDIBFormShaper::SetOffsetX(int value)
{
    m_offsetX = value;
    ReapplyIfActive();
}

void TDIBFormShaper::SetOffsetY(int value)
{
    m_offsetY = value;
    ReapplyIfActive();
}

void TDIBFormShaper::SetTransparentColor(TColor value)
{
    if (value == m_transparentColor)
        return;
    m_transparentColor = value;
    ReapplyIfActive();
}

void TDIBFormShaper::SetTransparentMode(TTransparentMode value)
{
    if (value == m_transparentMode)
        return;
    m_transparentMode = value;
    ReapplyIfActive();
}

void TDIBFormShaper::Loaded()
{
    m_loading = false;
    if (m_active) {
        m_active = false;
        SetActive(true);
        Apply();
    }
}

void TDIBFormShaper::TargetRemoved(IDIBShapeTarget* target)
{
    if (target == m_control) {
        m_control = nullptr;
        m_active = false;
    }
    if (target == m_owner) {
        m_owner = nullptr;
        m_active = false;
    }
}

std::vector<TRect> TDIBFormShaper::BuildShape() const
{
    std::vector<TRect> region;
    if (TAbstractSuperDIB* picture = m_indexShape.GetImage()) {
        TColor key;
        if (m_transparentMode == tmAuto)
            key = PixelAsColor(picture->Pixels(0, picture->Height() - 1));
        else if (picture->Transparent())
            key = PixelAsColor(picture->TransparentColor());
        else
            key = m_transparentColor;
        region = picture->BuildRegion(key);
    } else if (m_bitmap->HasBits()) {
        TColor key = m_transparentMode == tmFixed ? m_transparentColor : PixelAsColor(m_bitmap->Pixels(0, m_bitmap->Height() - 1));
        region = m_bitmap->BuildRegion(key);
    }
    for (TRect& r : region)
        r = r.Offset(m_offsetX, m_offsetY);
    return region;
}

void TDIBFormShaper::Apply()
{
    m_active = true;
    if (m_loading || (m_bitmap->Width() == 0 && !m_indexShape.ValidIndex()))
        return;
    IDIBShapeTarget* target = ControlToShape();
    if (!target)
        return;
    std::vector<TRect> region = BuildShape();
    if (target->IsForm() && ((m_clientAreaOnly && target->HasBorder()) || (target->IsDesigning() && !target->HasBorder()))) {
        const int dx = (target->Width() - target->ClientWidth()) / 2;
        const int dy = target->Height() - target->ClientHeight() - dx;
        for (TRect& r : region)
            r = r.Offset(dx, dy);
    }
    target->SetWindowRegion(std::move(region));
}

void TDIBFormShaper::ReapplyIfActive()
{
    if (m_active)
        Apply();
}

void TDIBFormShaper::IndexShapeChanged()
{
    ReapplyIfActive();
}
