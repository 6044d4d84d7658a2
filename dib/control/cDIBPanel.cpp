#include "dib/control/cDIBPanel.h"

#include "dib/control/FlagGuard.h"
#include "platform/components/Forms.h"

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <new>

using namespace platform;

namespace {

// The parts of `rect` that `hole` leaves uncovered, at most four.
void Subtract(const TRect& rect, const TRect& hole, std::vector<TRect>& out)
{
    TRect cut = Intersect(rect, hole);
    if (cut.IsEmpty()) {
        out.push_back(rect);
        return;
    }
    if (cut.Top > rect.Top)
        out.push_back({ rect.Left, rect.Top, rect.Right, cut.Top });
    if (cut.Bottom < rect.Bottom)
        out.push_back({ rect.Left, cut.Bottom, rect.Right, rect.Bottom });
    if (cut.Left > rect.Left)
        out.push_back({ rect.Left, cut.Top, cut.Left, cut.Bottom });
    if (cut.Right < rect.Right)
        out.push_back({ cut.Right, cut.Top, rect.Right, cut.Bottom });
}

bool IsKeyNeedingAllKeys(uint16_t key)
{
    return key == VK_CANCEL || key == VK_RETURN || key == VK_ESCAPE || key == VK_EXECUTE;
}

bool IsArrowKey(uint16_t key)
{
    return key >= VK_LEFT && key <= VK_DOWN;
}

bool IsWithin(const TControl* control, const TWinControl* container)
{
    for (const TControl* c = control; c; c = c->Parent()) {
        if (c == container)
            return true;
    }
    return false;
}

char UpperAscii(char c)
{
    return (c >= 'a' && c <= 'z') ? static_cast<char>(c - 'a' + 'A') : c;
}

// The working surface keeps the largest memory it has had: children of many sizes take turns
// with it on every paint, and each turn would otherwise allocate and clear a whole picture.
// What a child finds outside the part it is painted for is whatever an earlier child left.
class TWorkingDIB final : public TWinDIB {
public:
    TWorkingDIB() = default;
    ~TWorkingDIB() override { ReleaseOwnedBits(); }

protected:
    uint32_t* AllocBits(int width, int height) override
    {
        const size_t count = static_cast<size_t>(width) * static_cast<size_t>(height);
        if (count > m_memory.size()) {
            try {
                m_memory.assign(count, 0);
            } catch (const std::bad_alloc&) {
                throw Exception("Windows error (8) Not enough storage is available to process this command.");
            }
        }
        return m_memory.data();
    }
    void FreeBits(uint32_t*) override {}

private:
    std::vector<uint32_t> m_memory;
};

}

const EnumInfo& BorderDrawPositionInfo()
{
    static const EnumInfo info { "TBorderDrawPosition", { { "bdOverControls", 0 }, { "bdUnderControls", 1 } } };
    return info;
}

const ClassInfo& TCustomDIBContainer::StaticClass()
{
    static const ClassInfo info = ClassBuilder<TCustomDIBContainer>("TCustomDIBContainer", &TPanel::StaticClass())
                                      .Event("AfterPaint", &TCustomDIBContainer::AfterPaint)
                                      .Event("BeforePaint", &TCustomDIBContainer::BeforePaint)
                                      .Enum("BorderDrawPosition", BorderDrawPositionInfo(), &TCustomDIBContainer::BorderDrawPosition,
                                          &TCustomDIBContainer::SetBorderDrawPosition, int(bdOverControls))
                                      .Component<TComponent>(
                                          "DIBBorder", [](const TCustomDIBContainer& c) { return dynamic_cast<TComponent*>(c.DIBBorder()); },
                                          [](TCustomDIBContainer& c, TComponent* component) {
                                              auto* border = dynamic_cast<IDIBBorder*>(component);
                                              if (component && !border)
                                                  throw EPropertyError("Invalid property value: " + component->Name() + " is not a TDIBBorder");
                                              c.SetDIBBorder(border);
                                          })
                                      .Event("OnActiveControlChange", &TCustomDIBContainer::OnActiveControlChange)
                                      .Build();
    return info;
}

const ClassInfo& TDIBContainer::StaticClass()
{
    static const ClassInfo info = ClassBuilder<TDIBContainer>("TDIBContainer", &TCustomDIBContainer::StaticClass()).Creatable().Build();
    return info;
}

static ClassRegistration containerRegistration(TDIBContainer::StaticClass());

TCustomDIBContainer::TCustomDIBContainer(TComponent* owner)
    : TPanel(owner)
    , m_offscreen(std::make_unique<TWinDIB>())
    , m_work(std::make_unique<TWorkingDIB>())
{
    SetBevelOuter(TBevelCut::bvNone);
    SetBevelInner(TBevelCut::bvNone);
    SetBorderWidth(0);
    SetTabStop(false);
    SetDoubleBuffered(true);
    SetControlStyle(ControlStyle() | csAcceptsControls);
    ResizeOffscreen();
}

TCustomDIBContainer::~TCustomDIBContainer()
{
    if (auto* border = dynamic_cast<TComponent*>(m_border))
        border->RemoveFreeNotification(this);
    m_tabList.clear();
    m_activeControl = nullptr;
}

void TCustomDIBContainer::ResizeOffscreen()
{
    m_offscreen->SetSize(std::max(ClientWidth(), 1), std::max(ClientHeight(), 1));
}

void TCustomDIBContainer::EnsureOffscreenSize()
{
    // A paint that comes while a layout is still being read finds the surface behind.
    if (m_offscreen->Width() != std::max(ClientWidth(), 1) || m_offscreen->Height() != std::max(ClientHeight(), 1))
        ResizeOffscreen();
}

void TCustomDIBContainer::SetBounds(int left, int top, int width, int height)
{
    TPanel::SetBounds(left, top, width, height);
    if (!IsLoading())
        ResizeOffscreen();
}

void TCustomDIBContainer::Loaded()
{
    TPanel::Loaded();
    ResizeOffscreen();
    RebuildDIBTabOrder();
    AlignControls();
}

void TCustomDIBContainer::Resize()
{
    AlignControls();
    TPanel::Resize();
}

// ---- activation and the DIB tab list --------------------------------------------------------

TCustomDIBControl* TCustomDIBContainer::DIBTabControl(int index) const
{
    if (index < 0 || index >= DIBTabCount())
        return nullptr;
    return m_tabList[static_cast<size_t>(index)];
}

int TCustomDIBContainer::DIBTabIndexOf(const TCustomDIBControl* control) const
{
    auto it = std::find(m_tabList.begin(), m_tabList.end(), control);
    return it == m_tabList.end() ? -1 : static_cast<int>(it - m_tabList.begin());
}

void TCustomDIBContainer::SetDIBTabIndex(TCustomDIBControl* control, int index)
{
    std::erase(m_tabList, control);
    if (index >= 0) {
        if (index >= DIBTabCount())
            m_tabList.push_back(control);
        else
            m_tabList.insert(m_tabList.begin() + index, control);
    }
    SetTabStop(!m_tabList.empty());
}

void TCustomDIBContainer::RebuildDIBTabOrder()
{
    std::vector<TCustomDIBControl*> ordered;
    for (int i = 0; i < ControlCount(); ++i) {
        auto* control = dynamic_cast<TCustomDIBControl*>(Controls(i));
        if (control && control->StoredDIBTabOrder() >= 0)
            ordered.push_back(control);
    }
    // Two controls stored with the same number both stay, in z-order.
    std::stable_sort(ordered.begin(), ordered.end(),
        [](const TCustomDIBControl* a, const TCustomDIBControl* b) { return a->StoredDIBTabOrder() < b->StoredDIBTabOrder(); });
    m_tabList = std::move(ordered);
    SetTabStop(!m_tabList.empty());
}

void TCustomDIBContainer::DIBControlRemoved(TCustomDIBControl* control)
{
    std::erase(m_tabList, control);
    if (m_activeControl == control)
        m_activeControl = nullptr;
    SetTabStop(!m_tabList.empty());
}

void TCustomDIBContainer::SetActiveDIBControl(TCustomDIBControl* control)
{
    if (m_activating || control == m_activeControl)
        return;
    if (control && control->Parent() != this)
        return;
    FlagGuard activating(m_activating);
    TCustomDIBControl* previous = m_activeControl;
    m_activeControl = control;
    if (previous)
        previous->KillFocusMessage();
    if (control)
        control->SetFocusMessage();
    if (OnActiveControlChange)
        OnActiveControlChange(this);
}

void TCustomDIBContainer::ActivateOnEnter(bool backward)
{
    if (m_activeControl || m_tabList.empty())
        return;
    SetActiveDIBControl(backward ? m_tabList.back() : m_tabList.front());
}

void TCustomDIBContainer::DoEnter()
{
    ActivateOnEnter((m_lastShift & ssShift) != 0);
    TPanel::DoEnter();
}

void TCustomDIBContainer::DoExit()
{
    SetActiveDIBControl(nullptr);
    TPanel::DoExit();
}

bool TCustomDIBContainer::SelectNextDIBControl(bool backward)
{
    const int count = DIBTabCount();
    const int step = backward ? -1 : 1;
    int index = m_activeControl ? DIBTabIndexOf(m_activeControl) : (backward ? count : -1);
    for (index += step; index >= 0 && index < count; index += step) {
        TCustomDIBControl* candidate = m_tabList[static_cast<size_t>(index)];
        if (candidate->CanFocus()) {
            SetActiveDIBControl(candidate);
            return true;
        }
    }
    std::vector<TWinControl*> windowed;
    for (int i = 0; i < ControlCount(); ++i) {
        auto* win = dynamic_cast<TWinControl*>(Controls(i));
        if (win && win->TabStop() && win->CanFocus())
            windowed.push_back(win);
    }
    if (windowed.empty())
        return false;
    std::stable_sort(windowed.begin(), windowed.end(), [](const TWinControl* a, const TWinControl* b) { return a->TabOrder() < b->TabOrder(); });
    SetActiveDIBControl(nullptr);
    (backward ? windowed.back() : windowed.front())->SetFocus();
    return true;
}

// ---- keyboard -------------------------------------------------------------------------------

bool TCustomDIBContainer::RouteKey(uint16_t key, TShiftState shift) const
{
    TCustomDIBControl* control = m_activeControl;
    if (!control || control->IsShortCut(key, shift) || control->IsChildKey(key, shift))
        return false;
    // "All keys" takes Tab and the arrows as well.
    const uint32_t code = control->DialogCode();
    if (code & DLGC_WANTALLKEYS)
        return true;
    if (IsKeyNeedingAllKeys(key))
        return false;
    if (key == VK_TAB)
        return (code & DLGC_WANTTAB) != 0;
    if (IsArrowKey(key))
        return (code & DLGC_WANTARROWS) != 0;
    return true;
}

void TCustomDIBContainer::HandleTab(uint16_t& key, TShiftState shift)
{
    if (m_tabbing)
        return;
    FlagGuard tabbing(m_tabbing);
    if (SelectNextDIBControl((shift & ssShift) != 0))
        key = 0;
}

bool TCustomDIBContainer::ClickAccelerator(uint16_t key, TShiftState shift)
{
    if ((shift & ssAlt) == 0 || key == 0 || key >= 0x100)
        return false;
    for (int i = 0; i < ControlCount(); ++i) {
        auto* control = dynamic_cast<TCustomDIBControl*>(Controls(i));
        if (control && control->Accelerator() && UpperAscii(control->Accelerator()) == static_cast<char>(key)
            && control->Visible() && control->Enabled()) {
            control->Click();
            return true;
        }
    }
    return false;
}

void TCustomDIBContainer::KeyDown(uint16_t& key, TShiftState shift)
{
    m_lastShift = shift;
    // Alt and a control's accelerator clicks that control, whoever has the keyboard.
    if (ClickAccelerator(key, shift)) {
        key = 0;
        return;
    }
    if (RouteKey(key, shift)) {
        m_activeControl->KeyDown(key, shift);
        return;
    }
    if (key == VK_TAB && (shift & (ssAlt | ssCtrl)) == 0) {
        HandleTab(key, shift);
        if (key == 0)
            return;
    }
    TPanel::KeyDown(key, shift);
}

void TCustomDIBContainer::KeyUp(uint16_t& key, TShiftState shift)
{
    m_lastShift = shift;
    if (RouteKey(key, shift)) {
        m_activeControl->KeyUp(key, shift);
        return;
    }
    TPanel::KeyUp(key, shift);
}

void TCustomDIBContainer::KeyPress(char& key)
{
    if (RouteKey(static_cast<uint8_t>(key), m_lastShift)) {
        m_activeControl->KeyPress(key);
        return;
    }
    TPanel::KeyPress(key);
}

// ---- mouse ----------------------------------------------------------------------------------

void TCustomDIBContainer::MouseUp(TMouseButton button, TShiftState shift, int x, int y)
{
    TPanel::MouseUp(button, shift, x, y);
    if (button == TMouseButton::mbLeft)
        CaptureReleased(this, ClientToForm({ x, y }));
}

void TCustomDIBContainer::CaptureReleased(TControl* captured, TPoint formPoint)
{
    TForm* form = ParentForm();
    if (!form || !captured)
        return;
    // While the mouse was held the form told the control it moved onto nothing; that is the
    // form's mouse control now.
    TControl* under = form->MouseControl();
    if (!under || under == captured)
        return;
    if (captured != this) {
        if (auto* control = dynamic_cast<TCustomDIBControl*>(captured))
            control->LeaveIfPointerOutside(captured->FormToClient(formPoint));
    }
    if (IsWithin(under, this))
        under->MouseEnter();
}

// ---- border and palette ---------------------------------------------------------------------

void TCustomDIBContainer::SetDIBBorder(IDIBBorder* border)
{
    if (border == m_border)
        return;
    if (auto* former = dynamic_cast<TComponent*>(m_border))
        former->RemoveFreeNotification(this);
    m_border = border;
    if (auto* component = dynamic_cast<TComponent*>(m_border))
        component->FreeNotification(this);
    AlignControls();
    Invalidate();
}

void TCustomDIBContainer::SetBorderDrawPosition(TBorderDrawPosition value)
{
    m_borderDrawPosition = value;
    Invalidate();
}

const IDIBLookupPalette* TCustomDIBContainer::Palette() const
{
    if (m_palette)
        return m_palette;
    TComponent* form = ParentForm();
    if (!form || IsDestroying())
        return nullptr;
    for (int i = 0; i < form->ComponentCount(); ++i) {
        TComponent* component = form->Components(i);
        if (auto* palette = dynamic_cast<const IDIBLookupPalette*>(component)) {
            m_palette = palette;
            m_paletteComponent = component;
            // Whoever owns the container, its end must reach us.
            component->FreeNotification(const_cast<TCustomDIBContainer*>(this));
            break;
        }
    }
    return m_palette;
}

void TCustomDIBContainer::Notification(TComponent* component, TOperation operation)
{
    TPanel::Notification(component, operation);
    if (!component)
        return;
    if (operation == TOperation::opInsert) {
        if (auto* palette = dynamic_cast<const IDIBLookupPalette*>(component)) {
            m_palette = palette;
            m_paletteComponent = component;
        }
        return;
    }
    // Addresses only: the component may be half taken apart.
    if (component == m_paletteComponent) {
        m_palette = nullptr;
        m_paletteComponent = nullptr;
    }
    if (component == dynamic_cast<TComponent*>(m_border)) {
        m_border = nullptr;
        if (!IsDestroying()) {
            AlignControls();
            Invalidate();
        }
    }
    for (TCustomDIBControl* control : m_tabList) {
        if (static_cast<TComponent*>(control) == component) {
            DIBControlRemoved(control);
            break;
        }
    }
    if (m_activeControl && static_cast<TComponent*>(m_activeControl) == component)
        m_activeControl = nullptr;
}

// ---- alignment ------------------------------------------------------------------------------

TRect TCustomDIBContainer::AlignRect() const
{
    TRect rect = ClientRect();
    if (m_border) {
        const TRect edges = m_border->EdgeSizes();
        rect.Left += edges.Left;
        rect.Top += edges.Top;
        rect.Right -= edges.Right;
        rect.Bottom -= edges.Bottom;
    }
    return rect;
}

void TCustomDIBContainer::AlignControls()
{
    if (IsLoading())
        return;
    TRect rect = AlignRect();
    const TAlign order[] = { TAlign::alTop, TAlign::alBottom, TAlign::alLeft, TAlign::alRight, TAlign::alClient };
    for (TAlign align : order) {
        for (int i = 0; i < ControlCount(); ++i) {
            TControl* c = Controls(i);
            if (c->Align() != align || !c->Visible())
                continue;
            const int w = std::max(0, rect.Width());
            const int h = std::max(0, rect.Height());
            switch (align) {
            case TAlign::alTop:
                c->SetBounds(rect.Left, rect.Top, w, c->Height());
                rect.Top += c->Height();
                break;
            case TAlign::alBottom:
                c->SetBounds(rect.Left, rect.Bottom - c->Height(), w, c->Height());
                rect.Bottom -= c->Height();
                break;
            case TAlign::alLeft:
                c->SetBounds(rect.Left, rect.Top, c->Width(), h);
                rect.Left += c->Width();
                break;
            case TAlign::alRight:
                c->SetBounds(rect.Right - c->Width(), rect.Top, c->Width(), h);
                rect.Right -= c->Width();
                break;
            default:
                c->SetBounds(rect.Left, rect.Top, w, h);
                break;
            }
        }
    }
}

// ---- painting -------------------------------------------------------------------------------

TRect TCustomDIBContainer::ClampToScreen(const TRect& rect) const
{
    TForm* form = ParentForm();
    if (!form)
        return rect;
    const TPoint origin = ClientToScreen({ 0, 0 });
    const TSize screen = form->ScreenSize();
    const TRect onScreen = Intersect(rect.Offset(origin.X, origin.Y), TRect { 0, 0, screen.cx, screen.cy });
    return onScreen.IsEmpty() ? TRect {} : onScreen.Offset(-origin.X, -origin.Y);
}

void TCustomDIBContainer::PaintHandler(const PixelView& surface, TPoint origin, const TRect& dirty)
{
    EnsureOffscreenSize();
    TRect rect = Intersect(dirty, ClientRect());
    if (!m_paintReissued) {
        TForm* form = ParentForm();
        if (form && !form->Active())
            rect = ClientRect();
        for (int i = 0; i < ControlCount(); ++i) {
            if (auto* control = dynamic_cast<TCustomDIBControl*>(Controls(i)))
                control->DirtyRectHook(rect);
        }
        const TRect clamped = Intersect(ClampToScreen(rect), ClientRect());
        if (clamped.IsEmpty())
            return;
        if (clamped.Left != dirty.Left || clamped.Top != dirty.Top || clamped.Right != dirty.Right
            || std::abs(clamped.Bottom - dirty.Bottom) > 2) {
            // The paint we want is asked for; meanwhile the damaged part shows the last
            // composed picture rather than what the form painted under the container.
            m_paintReissued = true;
            InvalidateRect(clamped);
            Present(surface, origin, Intersect(dirty, ClientRect()));
            return;
        }
        rect = clamped;
    }
    m_paintReissued = false;
    if (rect.IsEmpty())
        return;
    Compose(rect);
    Present(surface, origin, rect);
    PaintWindowedChildren(surface, origin, rect);
}

void TCustomDIBContainer::PaintToSurface(const PixelView& surface, TPoint origin, const TRect& clip)
{
    EnsureOffscreenSize();
    const TRect rect = Intersect(clip, ClientRect());
    if (rect.IsEmpty())
        return;
    Compose(rect);
    Present(surface, origin, rect);
    PaintWindowedChildren(surface, origin, rect);
}

void TCustomDIBContainer::Compose(const TRect& dirty)
{
    m_dirty = dirty;
    m_offscreen->SetClipRect(dirty.Left, dirty.Top, dirty.Right - 1, dirty.Bottom - 1);
    DoBeforePaint();
    FillBackground(dirty);
    if (m_borderDrawPosition == bdUnderControls && m_border)
        m_border->DrawBorder(*m_offscreen, ClientRect());
    PaintChildren(dirty);
    DoAfterPaint();
}

void TCustomDIBContainer::DoBeforePaint()
{
    if (BeforePaint)
        BeforePaint(this, m_offscreen.get());
}

void TCustomDIBContainer::DoAfterPaint()
{
    if (m_borderDrawPosition == bdOverControls && m_border)
        m_border->DrawBorder(*m_offscreen, ClientRect());
    if (AfterPaint)
        AfterPaint(this, m_offscreen.get());
}

void TCustomDIBContainer::FillBackground(const TRect& dirty)
{
    std::vector<TRect> pieces { dirty };
    std::vector<TRect> next;
    bool excluded = false;
    for (int i = 0; i < ControlCount() && !pieces.empty(); ++i) {
        TControl* c = Controls(i);
        if (!c->Visible() || (c->ControlStyle() & csOpaque) == 0)
            continue;
        excluded = true;
        next.clear();
        for (const TRect& piece : pieces)
            Subtract(piece, c->BoundsRect(), next);
        pieces.swap(next);
    }
    const TColor color = DIBColorToRGB(Color());
    if (!excluded && dirty == ClientRect()) {
        m_offscreen->Fill(color);
        return;
    }
    for (const TRect& piece : pieces)
        m_offscreen->FillRect(color, piece.Left, piece.Top, piece.Width(), piece.Height());
}

void TCustomDIBContainer::PaintChildren(const TRect& dirty)
{
    const bool designing = (ComponentState() & csDesigning) != 0;
    // A copy: a child's paint may change the z-order.
    std::vector<TControl*> children;
    children.reserve(static_cast<size_t>(ControlCount()));
    for (int i = 0; i < ControlCount(); ++i)
        children.push_back(Controls(i));
    for (TControl* child : children) {
        if (dynamic_cast<TWinControl*>(child) || !(child->Visible() || designing))
            continue;
        if (child->Width() <= 0 || child->Height() <= 0 || Intersect(dirty, child->BoundsRect()).IsEmpty())
            continue;
        if (auto* control = dynamic_cast<TCustomDIBControl*>(child))
            PaintDIBChild(*control);
        else
            PaintGraphicChild(*child, dirty);
    }
}

void TCustomDIBContainer::PaintDIBChild(TCustomDIBControl& child)
{
    m_work->SetSize(child.Width(), child.Height());
    m_work->ResetProperties();
    m_work->SetClipRect(0, 0, child.Width() - 1, child.Height() - 1);
    m_work->SelectDrawProc();
    child.PaintDIB(*m_work, *m_offscreen);
}

void TCustomDIBContainer::PaintGraphicChild(TControl& child, const TRect& dirty)
{
    TCanvas canvas(m_offscreen->View());
    canvas.SetOrigin({ child.Left(), child.Top() });
    canvas.SetClipRect(Intersect(dirty, child.BoundsRect()).Offset(-child.Left(), -child.Top()));
    canvas.Font = child.Font().ToCanvasFont();
    child.PaintTo(canvas);
}

void TCustomDIBContainer::Present(const PixelView& surface, TPoint origin, const TRect& dirty)
{
    const bool designing = (ComponentState() & csDesigning) != 0;
    if (m_displayDevice && !designing && m_displayDevice->BitsPerPixel() == 8) {
        const IDIBLookupPalette* palette = Palette();
        if (palette && palette->LookupTable()) {
            const TPoint screen = ClientToScreen({ dirty.Left, dirty.Top });
            m_offscreen->Render8Bit(*m_displayDevice, screen.X, screen.Y, *palette, dirty.Left, dirty.Top, dirty.Width(), dirty.Height());
        }
    }
    // The form's picture gets the same rectangle in every case: it is what the window shows.
    if (surface.IsEmpty())
        return;
    const TRect source = Intersect(dirty, TRect { 0, 0, m_offscreen->Width(), m_offscreen->Height() });
    const TRect target = Intersect(source.Offset(origin.X, origin.Y), TRect { 0, 0, surface.width, surface.height });
    if (target.IsEmpty())
        return;
    const size_t bytes = static_cast<size_t>(target.Width()) * sizeof(uint32_t);
    for (int y = target.Top; y < target.Bottom; ++y) {
        const uint32_t* from = m_offscreen->ScanLine(y - origin.Y) + (target.Left - origin.X);
        std::memcpy(surface.Row(y) + target.Left, from, bytes);
    }
}

void TCustomDIBContainer::PaintWindowedChildren(const PixelView& surface, TPoint origin, const TRect& dirty)
{
    for (int i = 0; i < ControlCount(); ++i) {
        auto* win = dynamic_cast<TWinControl*>(Controls(i));
        if (!win || !win->Visible())
            continue;
        const TRect area = Intersect(dirty, win->BoundsRect());
        if (area.IsEmpty())
            continue;
        win->PaintHandler(surface, { origin.X + win->Left(), origin.Y + win->Top() }, area.Offset(-win->Left(), -win->Top()));
    }
}
