#include "dib/imagelist/cDIBFormShaper.h"

#include "platform/components/ClassBuilder.h"

#include <cstring>

using namespace platform;

namespace {

// A surface pixel's colour as a colour reference; the fourth byte is dropped, since a high one
// would read as a system colour.
TColor PixelAsColor(uint32_t pixel)
{
    return static_cast<TColor>(SwapRedBlue(pixel) & 0x00FFFFFFu);
}

const EnumInfo& TransparentModeEnum()
{
    static const EnumInfo info { "TTransparentMode", { { "tmAuto", tmAuto }, { "tmFixed", tmFixed } } };
    return info;
}

bool HasBorder(const TForm& form) { return form.BorderStyle() != TFormBorderStyle::bsNone; }

}

const ClassInfo& TDIBFormShaper::StaticClass()
{
    static const ClassInfo info = ClassBuilder<TDIBFormShaper>("TDIBFormShaper", &TComponent::StaticClass())
                                      .Creatable()
                                      .Boolean("Active", &TDIBFormShaper::Active, &TDIBFormShaper::SetActive, false)
                                      .Object("Bitmap", [](TDIBFormShaper& s) -> TPersistent& { return s.Bitmap(); })
                                      .Boolean("ClientAreaOnly", &TDIBFormShaper::ClientAreaOnly, &TDIBFormShaper::SetClientAreaOnly, false)
                                      .Component<TWinControl>(
                                          "ControlToShape", [](const TDIBFormShaper& s) { return s.m_control; }, &TDIBFormShaper::SetControlToShape)
                                      .Component<TCustomDIBImageList>("DIBImageList", &TDIBFormShaper::DIBImageList, &TDIBFormShaper::SetDIBImageList)
                                      .Object("IndexShape", [](TDIBFormShaper& s) -> TPersistent& { return s.IndexShape(); })
                                      .Integer("OffsetX", &TDIBFormShaper::OffsetX, &TDIBFormShaper::SetOffsetX, 0)
                                      .Integer("OffsetY", &TDIBFormShaper::OffsetY, &TDIBFormShaper::SetOffsetY, 0)
                                      .Color("TransparentColor", &TDIBFormShaper::TransparentColor, &TDIBFormShaper::SetTransparentColor, 0)
                                      .Enum("TransparentMode", TransparentModeEnum(), &TDIBFormShaper::TransparentMode, &TDIBFormShaper::SetTransparentMode, tmAuto)
                                      .Build();
    return info;
}

static ClassRegistration registration(TDIBFormShaper::StaticClass());

TDIBFormShaper::TDIBFormShaper(TComponent* owner)
    : TComponent(owner)
    , m_indexShape(this)
{
    m_bitmap.OnChange = [this](TObject*) { ReapplyIfActive(); };
    m_indexShape.OnChange = [this](TDIBImageLink*, int, TDIBLinkChange) { ReapplyIfActive(); };
}

TDIBFormShaper::~TDIBFormShaper()
{
    if (m_control)
        m_control->RemoveFreeNotification(this);
}

TWinControl* TDIBFormShaper::ControlToShape() const
{
    if (m_control)
        return m_control;
    if (auto* windowed = dynamic_cast<TWinControl*>(Owner()))
        return windowed;
    for (TComponent* c = Owner(); c; c = c->Owner())
        if (auto* form = dynamic_cast<TForm*>(c))
            return form;
    return nullptr;
}

TWinControl* TDIBFormShaper::Target() const
{
    return m_control ? m_control : dynamic_cast<TWinControl*>(Owner());
}

void TDIBFormShaper::SetActive(bool value)
{
    TWinControl* target = Target();
    if (!target)
        return;
    if (IsLoading()) {
        m_active = value;
        return;
    }
    if (value) {
        Apply();
        return;
    }
    // Forms are the windows that take a region; removing it makes the window whole again.
    if (auto* form = dynamic_cast<TForm*>(target))
        form->SetShape({});
    m_active = false;
}

void TDIBFormShaper::SetClientAreaOnly(bool value)
{
    if (!dynamic_cast<TForm*>(ControlToShape()))
        return;
    m_clientAreaOnly = value;
    ReapplyIfActive();
}

void TDIBFormShaper::SetControlToShape(TWinControl* control)
{
    if (!IsLoading() && m_active)
        SetActive(false);
    SetReference(m_control, control);
    if (m_control && !dynamic_cast<TForm*>(m_control))
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

void TDIBFormShaper::Loaded()
{
    TComponent::Loaded();
    if (m_active) {
        m_active = false;
        SetActive(true);
        Apply();
    }
}

void TDIBFormShaper::Notification(TComponent* component, TOperation operation)
{
    TComponent::Notification(component, operation);
    if (operation == TOperation::opRemove && component == m_control) {
        m_control = nullptr;
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
    } else if (!m_bitmap.Empty()) {
        const PixelView pixels = m_bitmap.View();
        TColor key = m_transparentMode == tmFixed ? m_transparentColor : PixelAsColor(pixels.At(0, pixels.height - 1));
        // Both keep their rows bottom-up without padding: the copy is one block.
        TMemoryDIB copy(pixels.width, pixels.height);
        std::memcpy(copy.Bits(), pixels.bits, static_cast<size_t>(pixels.width) * pixels.height * 4);
        region = copy.BuildRegion(key);
    }
    for (TRect& r : region)
        r = r.Offset(m_offsetX, m_offsetY);
    return region;
}

void TDIBFormShaper::Apply()
{
    m_active = true;
    if (IsLoading() || (m_bitmap.Width() == 0 && !m_indexShape.ValidIndex()))
        return;
    TWinControl* target = Target();
    auto* form = dynamic_cast<TForm*>(target);
    // Only forms have a window region on this platform; other windowed controls stay whole.
    if (!form)
        return;
    std::vector<TRect> region = BuildShape();
    const bool designing = (form->ComponentState() & csDesigning) != 0;
    if ((m_clientAreaOnly && HasBorder(*form)) || (designing && !HasBorder(*form))) {
        const int dx = (form->Width() - form->ClientWidth()) / 2;
        const int dy = form->Height() - form->ClientHeight() - dx;
        for (TRect& r : region)
            r = r.Offset(dx, dy);
    }
    form->SetShape(region);
}

void TDIBFormShaper::ReapplyIfActive()
{
    if (m_active)
        Apply();
}
