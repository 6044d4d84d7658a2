#include "dib/control/cDIBControl.h"

#include "dib/control/FlagGuard.h"
#include "dib/control/cDIBPanel.h"
#include "platform/components/Forms.h"

#include <algorithm>

using namespace platform;

namespace {

TCustomDIBContainer* ContainerOf(TComponent* component)
{
    if (auto* container = dynamic_cast<TCustomDIBContainer*>(component))
        return container;
    for (int i = 0; i < component->ComponentCount(); ++i) {
        if (auto* container = dynamic_cast<TCustomDIBContainer*>(component->Components(i)))
            return container;
    }
    return nullptr;
}

// Runs before the component base exists, so a refused owner leaves nothing behind in it.
TComponent* CheckedOwner(TComponent* owner)
{
    if (!owner)
        throw Exception("Owner cannot be nil");
    if (!ContainerOf(owner))
        throw Exception("Parent must be a TDIBContainer");
    return owner;
}

int ButtonNumber(TMouseButton button)
{
    switch (button) {
    case TMouseButton::mbLeft:
        return 1;
    case TMouseButton::mbMiddle:
        return 2;
    case TMouseButton::mbRight:
        return 3;
    }
    return 0;
}

}

const ClassInfo& TCustomDIBControl::StaticClass()
{
    static const ClassInfo info = ClassBuilder<TCustomDIBControl>("TCustomDIBControl", &TGraphicControl::StaticClass())
                                      // A character: one byte, empty for none.
                                      .String(
                                          "Accelerator",
                                          [](const TCustomDIBControl& c) { return c.Accelerator() ? std::string(1, c.Accelerator()) : std::string(); },
                                          [](TCustomDIBControl& c, const std::string& v) { c.SetAccelerator(v.empty() ? '\0' : v[0]); })
                                      .Object("Children", [](TCustomDIBControl& c) -> TPersistent* { return &c.Children(); })
                                      .Object("DIBFeatures", [](TCustomDIBControl& c) -> TPersistent* { return &c.DIBFeatures(); })
                                      .Integer(
                                          "DIBTabOrder", [](const TCustomDIBControl& c) { return static_cast<int16_t>(c.DIBTabOrder()); },
                                          [](TCustomDIBControl& c, int16_t v) { c.SetDIBTabOrder(v); }, -1)
                                      .Integer(
                                          "Opacity", [](const TCustomDIBControl& c) { return static_cast<int>(c.Opacity()); },
                                          [](TCustomDIBControl& c, int v) { c.SetOpacity(v); }, 255)
                                      .FocusEvents()
                                      .Build();
    return info;
}

TCustomDIBControl::TCustomDIBControl(TComponent* owner)
    : TGraphicControl(CheckedOwner(owner))
    , m_children(std::make_unique<TControlList>(this))
    , m_features(std::make_unique<TDIBFeatures>(this))
    , m_templateProperties { "Width", "Height" }
{
    SetBounds(0, 0, 32, 32);
    SetParent(ContainerOf(owner));
}

TCustomDIBControl::~TCustomDIBControl()
{
    if (TCustomDIBContainer* container = Container())
        container->DIBControlRemoved(this);
    SetReference(m_imageList, nullptr);
    // The links unregister themselves; the list must not call back into a half-destroyed control.
    for (auto& link : m_links)
        link->OnChange = nullptr;
    m_links.clear();
}

TCustomDIBContainer* TCustomDIBControl::Container() const
{
    return dynamic_cast<TCustomDIBContainer*>(Parent());
}

void TCustomDIBControl::SetParent(TWinControl* parent)
{
    TWinControl* target = parent;
    if (parent && !dynamic_cast<TCustomDIBContainer*>(parent)) {
        target = ContainerOf(parent);
        if (!target)
            throw Exception("Parent must be a TDIBContainer");
    }
    if (target == Parent())
        return;
    if (TCustomDIBContainer* former = Container())
        former->DIBControlRemoved(this);
    TGraphicControl::SetParent(target);
}

void TCustomDIBControl::SetOpacity(int value) { StoreAndInvalidate(m_opacity, static_cast<uint8_t>(std::clamp(value, 0, 255))); }

void TCustomDIBControl::SetDIBImageList(TCustomDIBImageList* list)
{
    SetReference(m_imageList, list);
    for (auto& link : m_links)
        link->SetDIBImageList(list);
}

TDIBImageLink& TCustomDIBControl::AddImageLink()
{
    auto link = std::make_unique<TDIBImageLink>(this);
    link->OnChange = [this](TDIBImageLink* changed, int index, TDIBLinkChange change) { ImageChanged(changed, index, change); };
    link->SetDIBImageList(m_imageList);
    m_links.push_back(std::move(link));
    return *m_links.back();
}

void TCustomDIBControl::AddTemplateProperty(const std::string& name)
{
    if (std::find(m_templateProperties.begin(), m_templateProperties.end(), name) == m_templateProperties.end())
        m_templateProperties.push_back(name);
}

void TCustomDIBControl::ImageChanged(TDIBImageLink*, int, TDIBLinkChange) {}

int TCustomDIBControl::DIBTabOrder() const
{
    TCustomDIBContainer* container = Container();
    return container ? container->DIBTabIndexOf(this) : -1;
}

void TCustomDIBControl::SetDIBTabOrder(int value)
{
    m_storedTabOrder = value;
    // A layout being read gives every control its place only once all exist (the container's
    // Loaded). A control made in code is never "loaded", so its writes take effect at once.
    if (IsLoading())
        return;
    if (TCustomDIBContainer* container = Container())
        container->SetDIBTabIndex(this, value);
}

uint32_t TCustomDIBControl::DialogCode() const
{
    if (m_dialogCodeFlags & dcAllKeys)
        return DLGC_WANTALLKEYS;
    uint32_t code = 0;
    if (m_dialogCodeFlags & dcTab)
        code |= DLGC_WANTTAB;
    if (m_dialogCodeFlags & dcArrows)
        code |= DLGC_WANTARROWS;
    return code;
}

bool TCustomDIBControl::CanFocus() const
{
    return Container() && Visible() && Enabled();
}

void TCustomDIBControl::SetFocus()
{
    if (TCustomDIBContainer* container = Container())
        container->SetActiveDIBControl(this);
}

void TCustomDIBControl::SetBounds(int left, int top, int width, int height)
{
    if (m_moving)
        return;
    if (left == Left() && top == Top() && width == Width() && height == Height())
        return;
    FlagGuard moving(m_moving);
    const int dx = left - Left();
    const int dy = top - Top();
    TGraphicControl::SetBounds(left, top, width, height);
    if (dx == 0 && dy == 0)
        return;
    for (int i = 0; i < m_children->Count(); ++i) {
        if (TControl* child = m_children->Items(i)->Control())
            child->SetBounds(child->Left() + dx, child->Top() + dy, child->Width(), child->Height());
    }
}

void TCustomDIBControl::Loaded()
{
    TGraphicControl::Loaded();
    m_features->Loaded();
    m_loading = false;
}

bool TCustomDIBControl::FeaturesActive() const
{
    return m_features->Count() != 0 && (ComponentState() & csDesigning) == 0;
}

bool TCustomDIBControl::Offer(TDIBMessage message)
{
    return FeaturesActive() && m_features->Offer(message);
}

void TCustomDIBControl::MouseDown(TMouseButton button, TShiftState shift, int x, int y)
{
    if (Offer({ .Kind = TDIBMessageKind::MouseDown, .Button = button, .Shift = shift, .X = x, .Y = y }))
        return;
    m_mouseButton = ButtonNumber(button);
    m_shift = shift;
    m_mousePos = { x, y };
    if (DIBTabOrder() >= 0)
        SetFocus();
    TGraphicControl::MouseDown(button, shift, x, y);
}

void TCustomDIBControl::MouseMove(TShiftState shift, int x, int y)
{
    if (Offer({ .Kind = TDIBMessageKind::MouseMove, .Shift = shift, .X = x, .Y = y }))
        return;
    m_shift = shift;
    m_mousePos = { x, y };
    TGraphicControl::MouseMove(shift, x, y);
}

void TCustomDIBControl::MouseUp(TMouseButton button, TShiftState shift, int x, int y)
{
    if (Offer({ .Kind = TDIBMessageKind::MouseUp, .Button = button, .Shift = shift, .X = x, .Y = y }))
        return;
    m_mouseButton = 0;
    m_shift = shift;
    m_mousePos = { x, y };
    TGraphicControl::MouseUp(button, shift, x, y);
    if (button != TMouseButton::mbLeft)
        return;
    LeaveIfPointerOutside({ x, y });
    if (TCustomDIBContainer* container = Container())
        container->CaptureReleased(this, ClientToForm({ x, y }));
}

void TCustomDIBControl::LeaveIfPointerOutside(TPoint local)
{
    if (m_sticky && !HitTest(local))
        MouseLeave();
}

void TCustomDIBControl::Click()
{
    if (Offer({ .Kind = TDIBMessageKind::Click }))
        return;
    TGraphicControl::Click();
    if (DIBTabOrder() >= 0 && !m_focused)
        SetFocus();
}

void TCustomDIBControl::DblClick()
{
    if (Offer({ .Kind = TDIBMessageKind::DblClick }))
        return;
    TGraphicControl::DblClick();
}

void TCustomDIBControl::MouseEnter()
{
    if (Offer({ .Kind = TDIBMessageKind::MouseEnter }))
        return;
    const bool wasEntered = m_entered;
    m_entered = true;
    m_sticky = true;
    if (!m_focused && !wasEntered)
        Highlight();
    DoMouseEnter();
}

void TCustomDIBControl::MouseLeave()
{
    // The form and the container may both report the same leave after a captured release;
    // a control that is neither inside nor sticky has nothing left to leave.
    if (!m_entered && !m_sticky)
        return;
    if (Offer({ .Kind = TDIBMessageKind::MouseLeave }))
        return;
    m_entered = false;
    if (MouseCapture())
        return;
    m_sticky = false;
    DoMouseLeave();
    if (!m_focused && !m_entered)
        Unhighlight();
}

void TCustomDIBControl::SetFocusMessage()
{
    if (Offer({ .Kind = TDIBMessageKind::SetFocus }))
        return;
    const bool wasFocused = m_focused;
    m_focused = true;
    if (TCustomDIBContainer* container = Container()) {
        container->SetActiveDIBControl(this);
        container->SetFocus();
    }
    if (!wasFocused && !m_entered)
        Highlight();
    DoEnter();
}

void TCustomDIBControl::KillFocusMessage()
{
    if (Offer({ .Kind = TDIBMessageKind::KillFocus }))
        return;
    m_focused = false;
    DoExit();
    if (!m_entered)
        Unhighlight();
}

void TCustomDIBControl::KeyDown(uint16_t& key, TShiftState shift)
{
    if (Offer({ .Kind = TDIBMessageKind::KeyDown, .Shift = shift, .Key = key }))
        return;
    m_shift = shift;
    DoKeyDown(key, shift);
}

void TCustomDIBControl::KeyUp(uint16_t& key, TShiftState shift)
{
    if (Offer({ .Kind = TDIBMessageKind::KeyUp, .Shift = shift, .Key = key }))
        return;
    m_shift = shift;
    DoKeyUp(key, shift);
}

void TCustomDIBControl::KeyPress(char& key)
{
    if (Offer({ .Kind = TDIBMessageKind::KeyPress, .Char = key }))
        return;
    DoKeyPress(key);
}

bool TCustomDIBControl::IsShortCut(uint16_t, TShiftState)
{
    return false;
}

bool TCustomDIBControl::IsChildKey(uint16_t, TShiftState)
{
    return false;
}

void TCustomDIBControl::DirtyRectHook(const TRect&) {}

void TCustomDIBControl::PaintTo(TCanvas&) {}

void TCustomDIBControl::PaintDIB(TWinDIB& work, TAbstractSuperDIB& offscreen)
{
    if (Offer({ .Kind = TDIBMessageKind::Paint }))
        return;
    // The canvas is detached and the surface given back also when Paint throws.
    struct Lend {
        TCustomDIBControl& control;
        ~Lend() { control.m_workDIB = nullptr; }
    } lend { *this };
    m_workDIB = &work;

    CopyBackground(work, offscreen);

    TCanvas& canvas = work.Canvas();
    canvas.SetOrigin({ 0, 0 });
    canvas.ResetClip();
    canvas.Font = Font().ToCanvasFont();
    canvas.Brush = CanvasBrush {};
    canvas.Pen = CanvasPen {};
    m_canvas.Lend(canvas, [this] { PaintWithHooks(); });

    // Paint may have switched the mask, key or transform on: the routine follows the
    // working surface's settings as they are now.
    work.SetOpacity(m_opacity);
    work.SelectDrawProc();
    work.Draw(Left(), Top(), work.Width(), work.Height(), offscreen, 0, 0);
}

void TCustomDIBControl::CopyBackground(TWinDIB& work, TAbstractSuperDIB& offscreen) const
{
    const int x = Left() < 0 ? -Left() : 0;
    const int srcX = Left() < 0 ? 0 : Left();
    const int y = Top() < 0 ? -Top() : 0;
    const int srcY = Top() < 0 ? 0 : Top();
    // Only the part of the working surface that reaches the container needs the background:
    // the blend back is clipped to the container's dirty rectangle (its ClipRect). The
    // bottom-left pixel comes too, as it is the colour key of a surface in tmAuto.
    const TRect whole = work.ClipRect();
    const TRect& dirty = offscreen.ClipRect();
    const TRect part { std::max(whole.Left, dirty.Left - Left()), std::max(whole.Top, dirty.Top - Top()),
        std::min(whole.Right, dirty.Right - Left()), std::min(whole.Bottom, dirty.Bottom - Top()) };
    if (part.Left > part.Right || part.Top > part.Bottom) {
        offscreen.Draw(x, y, Width(), Height(), work, srcX, srcY);
        return;
    }
    work.SetClipRect(part);
    offscreen.Draw(x, y, Width(), Height(), work, srcX, srcY);
    const int bottom = Height() - 1;
    if (part.Left > 0 || part.Bottom < bottom) {
        work.SetClipRect(0, bottom, 0, bottom);
        offscreen.Draw(x, y, Width(), Height(), work, srcX, srcY);
    }
    work.SetClipRect(whole);
}

void TCustomDIBControl::PaintWithHooks()
{
    BeforePaintHook();
    Paint();
    AfterPaintHook();
    if (ComponentState() & csDesigning) {
        TCanvas& canvas = Canvas();
        canvas.Pen = CanvasPen { 0, PenStyle::Dot };
        canvas.Brush.Style = BrushStyle::Clear;
        canvas.Rectangle(ClientRect());
    }
}

void TCustomDIBControl::Notification(TComponent* component, TOperation operation)
{
    TGraphicControl::Notification(component, operation);
    if (operation != TOperation::opRemove || !component)
        return;
    if (component == m_imageList)
        SetDIBImageList(nullptr);
    // Addresses only: the component may be half taken apart.
    for (int i = m_children->Count() - 1; i >= 0; --i) {
        if (static_cast<TComponent*>(m_children->Items(i)->Control()) == component)
            m_children->Delete(i);
    }
}
