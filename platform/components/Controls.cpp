#include "platform/components/Controls.h"

#include "platform/components/Forms.h"

#include <algorithm>

namespace platform {

const EnumInfo& AlignEnum()
{
    static const EnumInfo info { "TAlign",
        { { "alNone", 0 }, { "alTop", 1 }, { "alBottom", 2 }, { "alLeft", 3 }, { "alRight", 4 }, { "alClient", 5 }, { "alCustom", 6 } } };
    return info;
}

const EnumInfo& AnchorsEnum()
{
    static const EnumInfo info { "TAnchorKind", { { "akLeft", 0 }, { "akTop", 1 }, { "akRight", 2 }, { "akBottom", 3 } } };
    return info;
}

const EnumInfo& CursorEnum()
{
    static const EnumInfo info { "TCursor",
        { { "crDefault", crDefault }, { "crNone", crNone }, { "crArrow", crArrow }, { "crCross", crCross },
            { "crIBeam", crIBeam }, { "crHourGlass", crHourGlass }, { "crHandPoint", crHandPoint } } };
    return info;
}

// ---- TControl -------------------------------------------------------------------------------

const ClassInfo& TControl::StaticClass()
{
    static const ClassInfo info = ClassBuilder<TControl>("TControl", &TComponent::StaticClass())
                                      .Integer("Left", &TControl::Left, &TControl::SetLeft)
                                      .Integer("Top", &TControl::Top, &TControl::SetTop)
                                      .Integer("Width", &TControl::Width, &TControl::SetWidth)
                                      .Integer("Height", &TControl::Height, &TControl::SetHeight)
                                      .Enum("Align", AlignEnum(), &TControl::Align, &TControl::SetAlign, 0)
                                      .Set("Anchors", AnchorsEnum(), &TControl::Anchors, &TControl::SetAnchors, uint32_t(akLeft | akTop))
                                      .Enum("Cursor", CursorEnum(), &TControl::Cursor, &TControl::SetCursor, crDefault)
                                      .Boolean("Enabled", &TControl::Enabled, &TControl::SetEnabled, true)
                                      .String("Hint", &TControl::Hint, &TControl::SetHint)
                                      .Boolean("ParentShowHint", &TControl::ParentShowHint, &TControl::SetParentShowHint, true)
                                      .Boolean("ShowHint", &TControl::ShowHint, &TControl::SetShowHint, false)
                                      .Boolean("Visible", &TControl::Visible, &TControl::SetVisible, true)
                                      .Event("OnClick", &TControl::OnClick)
                                      .Event("OnDblClick", &TControl::OnDblClick)
                                      .Event("OnMouseDown", &TControl::OnMouseDown)
                                      .Event("OnMouseEnter", &TControl::OnMouseEnter)
                                      .Event("OnMouseLeave", &TControl::OnMouseLeave)
                                      .Event("OnMouseMove", &TControl::OnMouseMove)
                                      .Event("OnMouseUp", &TControl::OnMouseUp)
                                      .Event("OnResize", &TControl::OnResize)
                                      .Build();
    return info;
}

TControl::TControl(TComponent* owner)
    : TComponent(owner), m_font(std::make_unique<TFont>())
{
    m_font->OnChange = [this](TObject*) {
        m_parentFont = false;
        FontChanged();
    };
}

TControl::~TControl()
{
    TForm::ForgetEverywhere(this);
    if (m_parent)
        m_parent->RemoveControl(this);
}

void TControl::SetBounds(int left, int top, int width, int height)
{
    if (left == m_left && top == m_top && width == m_width && height == m_height)
        return;
    bool resized = width != m_width || height != m_height;
    Invalidate();
    m_left = left;
    m_top = top;
    m_width = width;
    m_height = height;
    Invalidate();
    if (resized)
        Resize();
}

void TControl::SetClientWidth(int value)
{
    SetWidth(value + (Width() - ClientWidth()));
}

void TControl::SetClientHeight(int value)
{
    SetHeight(value + (Height() - ClientHeight()));
}

TPoint TControl::ClientToForm(TPoint point) const
{
    for (const TControl* c = this; c && c->m_parent; c = c->m_parent) {
        point.X += c->m_left;
        point.Y += c->m_top;
    }
    return point;
}

TPoint TControl::FormToClient(TPoint point) const
{
    TPoint origin = ClientToForm({ 0, 0 });
    return { point.X - origin.X, point.Y - origin.Y };
}

TPoint TControl::ClientToScreen(TPoint point) const
{
    TPoint p = ClientToForm(point);
    const TControl* top = this;
    while (top->m_parent)
        top = top->m_parent;
    return { p.X + top->m_left, p.Y + top->m_top };
}

TPoint TControl::ScreenToClient(TPoint point) const
{
    TPoint origin = ClientToScreen({ 0, 0 });
    return { point.X - origin.X, point.Y - origin.Y };
}

void TControl::SetVisible(bool visible)
{
    if (visible == m_visible)
        return;
    m_visible = visible;
    if (m_parent)
        m_parent->InvalidateRect(BoundsRect());
    VisibleChanged();
}

bool TControl::Showing() const
{
    for (const TControl* c = this; c; c = c->m_parent) {
        if (!c->m_visible)
            return false;
    }
    return true;
}

void TControl::SetEnabled(bool enabled)
{
    if (enabled == m_enabled)
        return;
    m_enabled = enabled;
    EnabledChanged();
}

void TControl::SetParent(TWinControl* parent)
{
    if (parent == m_parent)
        return;
    for (TWinControl* p = parent; p; p = p->m_parent) {
        if (p == this)
            throw EComponentError("A control cannot have itself as its parent");
    }
    if (m_parent)
        m_parent->RemoveControl(this);
    if (parent)
        parent->InsertControl(this);
    ParentFontChanged();
    ParentColorChanged();
    Invalidate();
}

TForm* TControl::ParentForm() const
{
    const TControl* c = this;
    while (c->m_parent)
        c = c->m_parent;
    return dynamic_cast<TForm*>(const_cast<TControl*>(c));
}

void TControl::BringToFront()
{
    if (!m_parent)
        return;
    auto& list = m_parent->m_controls;
    std::erase(list, this);
    list.push_back(this);
    Invalidate();
}

void TControl::SendToBack()
{
    if (!m_parent)
        return;
    auto& list = m_parent->m_controls;
    std::erase(list, this);
    list.insert(list.begin(), this);
    Invalidate();
}

void TControl::SetCaption(const std::string& caption)
{
    if (caption == m_caption)
        return;
    m_caption = caption;
    TextChanged();
}

void TControl::SetColor(TColor color)
{
    if (color == m_color && !m_parentColor)
        return;
    m_color = color;
    m_parentColor = false;
    ColorChanged();
}

void TControl::SetParentColor(bool value)
{
    if (value == m_parentColor)
        return;
    m_parentColor = value;
    ParentColorChanged();
}

void TControl::SetParentFont(bool value)
{
    if (value == m_parentFont)
        return;
    m_parentFont = value;
    ParentFontChanged();
}

void TControl::ParentFontChanged()
{
    if (!m_parentFont || !m_parent)
        return;
    m_font->Assign(m_parent->Font());
    // Following the parent is not a change of our own.
    m_parentFont = true;
}

void TControl::ParentColorChanged()
{
    if (!m_parentColor || !m_parent)
        return;
    if (m_color != m_parent->Color()) {
        m_color = m_parent->Color();
        ColorChanged();
    }
}

void TControl::Invalidate()
{
    if (m_parent && m_visible)
        m_parent->InvalidateRect(BoundsRect());
}

void TControl::Repaint()
{
    Invalidate();
    if (TForm* form = ParentForm())
        form->PaintNow();
}

bool TControl::MouseCapture() const
{
    TForm* form = ParentForm();
    return form && form->CaptureControl() == this;
}

void TControl::SetMouseCapture(bool capture)
{
    TForm* form = ParentForm();
    if (!form)
        return;
    if (capture)
        form->SetCaptureControl(this);
    else if (form->CaptureControl() == this)
        form->SetCaptureControl(nullptr);
}

bool TControl::HitTest(TPoint point) const
{
    return ClientRect().Contains(point);
}

void TControl::SetParentComponent(TComponent* parent)
{
    if (auto* win = dynamic_cast<TWinControl*>(parent))
        SetParent(win);
}

TComponent* TControl::GetParentComponent() const
{
    return m_parent;
}

// ---- LentCanvas -----------------------------------------------------------------------------

TCanvas& LentCanvas::Get() const
{
    if (!m_canvas)
        throw Exception("Canvas does not allow drawing");
    return *m_canvas;
}

void LentCanvas::Lend(TCanvas& canvas, const std::function<void()>& paint)
{
    m_canvas = &canvas;
    struct Reset {
        TCanvas*& c;
        ~Reset() { c = nullptr; }
    } reset { m_canvas };
    paint();
}

// ---- TGraphicControl ------------------------------------------------------------------------

const ClassInfo& TGraphicControl::StaticClass()
{
    static const ClassInfo info("TGraphicControl", &TControl::StaticClass());
    return info;
}

TGraphicControl::TGraphicControl(TComponent* owner)
    : TControl(owner) {}

void TGraphicControl::PaintTo(TCanvas& canvas)
{
    m_canvas.Lend(canvas, [this] { Paint(); });
}

// ---- TWinControl ----------------------------------------------------------------------------

const ClassInfo& TWinControl::StaticClass()
{
    static const ClassInfo info = ClassBuilder<TWinControl>("TWinControl", &TControl::StaticClass())
                                      .Integer("TabOrder", &TWinControl::TabOrder, &TWinControl::SetTabOrder, -1)
                                      .Boolean("TabStop", &TWinControl::TabStop, &TWinControl::SetTabStop, false)
                                      .Boolean("DoubleBuffered", &TWinControl::DoubleBuffered, &TWinControl::SetDoubleBuffered, false)
                                      .FocusEvents()
                                      .Build();
    return info;
}

TWinControl::TWinControl(TComponent* owner)
    : TControl(owner)
{
    SetControlStyle(ControlStyle() | csAcceptsControls);
}

TWinControl::~TWinControl()
{
    // A windowed control takes its children with it, as the framework does.
    while (!m_controls.empty()) {
        TControl* child = m_controls.back();
        RemoveControl(child);
        Free(child);
    }
}

TControl* TWinControl::Controls(int index) const
{
    if (index < 0 || index >= ControlCount())
        return nullptr;
    return m_controls[index];
}

void TWinControl::InsertControl(TControl* control)
{
    if (!control || ContainsControl(control))
        return;
    m_controls.push_back(control);
    control->m_parent = this;
}

void TWinControl::RemoveControl(TControl* control)
{
    if (!control || !ContainsControl(control))
        return;
    if (control->m_visible)
        InvalidateRect(control->BoundsRect());
    TForm::ForgetEverywhere(control);
    std::erase(m_controls, control);
    control->m_parent = nullptr;
}

bool TWinControl::ContainsControl(const TControl* control) const
{
    return std::find(m_controls.begin(), m_controls.end(), control) != m_controls.end();
}

TControl* TWinControl::ControlAtPos(TPoint point, bool allowDisabled, bool deep) const
{
    auto hits = [&](const TControl* c) {
        return c->m_visible && (c->m_enabled || allowDisabled) && c->BoundsRect().Contains(point)
            && c->HitTest({ point.X - c->m_left, point.Y - c->m_top });
    };
    for (int pass = 0; pass < 2; ++pass) {
        bool windowed = pass == 0;
        for (auto it = m_controls.rbegin(); it != m_controls.rend(); ++it) {
            TControl* c = *it;
            auto* win = dynamic_cast<TWinControl*>(c);
            if ((win != nullptr) != windowed || !hits(c))
                continue;
            if (deep && win) {
                if (TControl* inner = win->ControlAtPos({ point.X - c->m_left, point.Y - c->m_top }, allowDisabled, true))
                    return inner;
            }
            return c;
        }
    }
    return nullptr;
}

bool TWinControl::Focused() const
{
    TForm* form = ParentForm();
    return form && form->ActiveControl() == this;
}

bool TWinControl::CanFocus() const
{
    return Showing() && Enabled() && ParentForm() != nullptr;
}

void TWinControl::SetFocus()
{
    TForm* form = ParentForm();
    if (!form)
        return;
    if (form == this)
        form->SetActiveControl(nullptr);
    else if (CanFocus())
        form->SetActiveControl(this);
}

void TWinControl::InvalidateRect(const TRect& rect)
{
    if (!Parent() || !Visible())
        return;
    TRect clipped = Intersect(rect, ClientRect());
    if (!clipped.IsEmpty())
        Parent()->InvalidateRect(clipped.Offset(Left(), Top()));
}

void TWinControl::PaintHandler(const PixelView& surface, TPoint origin, const TRect& dirty)
{
    TCanvas canvas(surface);
    canvas.SetOrigin(origin);
    canvas.SetClipRect(dirty);
    canvas.Brush.Color = Color();
    canvas.Brush.Style = BrushStyle::Solid;
    canvas.FillRect(dirty);
    PaintWindow(canvas);
    PaintControls(surface, origin, dirty);
}

void TWinControl::PaintControls(const PixelView& surface, TPoint origin, const TRect& dirty)
{
    // Graphic children first: the window system stacks windowed children above them. A copy,
    // in case a paint changes the z-order.
    std::vector<TControl*> controls = m_controls;
    for (TControl* c : controls) {
        if (dynamic_cast<TWinControl*>(c) || !c->Visible())
            continue;
        TRect area = Intersect(dirty, c->BoundsRect());
        if (area.IsEmpty())
            continue;
        TCanvas canvas(surface);
        canvas.SetOrigin({ origin.X + c->Left(), origin.Y + c->Top() });
        canvas.SetClipRect(area.Offset(-c->Left(), -c->Top()));
        canvas.Font = c->Font().ToCanvasFont();
        c->PaintTo(canvas);
    }
    for (TControl* c : controls) {
        auto* win = dynamic_cast<TWinControl*>(c);
        if (!win || !c->Visible())
            continue;
        TRect area = Intersect(dirty, c->BoundsRect());
        if (area.IsEmpty())
            continue;
        win->PaintHandler(surface, { origin.X + c->Left(), origin.Y + c->Top() }, area.Offset(-c->Left(), -c->Top()));
    }
}

void TWinControl::PaintWindow(TCanvas&) {}

void TWinControl::GetChildren(const std::function<void(TComponent*)>& proc, TComponent* root) const
{
    for (TControl* c : m_controls) {
        if (c->Owner() == root)
            proc(c);
    }
}

void TWinControl::FontChanged()
{
    TControl::FontChanged();
    for (TControl* c : m_controls)
        c->ParentFontChanged();
}

void TWinControl::ColorChanged()
{
    TControl::ColorChanged();
    for (TControl* c : m_controls)
        c->ParentColorChanged();
}

// ---- TCustomControl -------------------------------------------------------------------------

const ClassInfo& TCustomControl::StaticClass()
{
    static const ClassInfo info("TCustomControl", &TWinControl::StaticClass());
    return info;
}

TCustomControl::TCustomControl(TComponent* owner)
    : TWinControl(owner) {}

void TCustomControl::PaintWindow(TCanvas& canvas)
{
    canvas.Font = Font().ToCanvasFont();
    m_canvas.Lend(canvas, [this] { Paint(); });
}

}
