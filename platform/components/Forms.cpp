#include "platform/components/Forms.h"

#include <algorithm>
#include <cstdio>

namespace platform {

// Where a form without a window pretends the screen is.
constexpr TSize HeadlessScreenSize { 1024, 768 };

const EnumInfo& FormBorderStyleEnum()
{
    static const EnumInfo info { "TFormBorderStyle",
        { { "bsNone", 0 }, { "bsSingle", 1 }, { "bsSizeable", 2 }, { "bsDialog", 3 }, { "bsToolWindow", 4 }, { "bsSizeToolWin", 5 } } };
    return info;
}

const EnumInfo& PositionEnum()
{
    static const EnumInfo info { "TPosition",
        { { "poDesigned", 0 }, { "poDefault", 1 }, { "poDefaultPosOnly", 2 }, { "poDefaultSizeOnly", 3 },
            { "poScreenCenter", 4 }, { "poDesktopCenter", 5 }, { "poMainFormCenter", 6 }, { "poOwnerFormCenter", 7 } } };
    return info;
}

static std::vector<TForm*>& LiveForms()
{
    static std::vector<TForm*> forms;
    return forms;
}

const ClassInfo& TForm::StaticClass()
{
    static const ClassInfo info = ClassBuilder<TForm>("TForm", &TWinControl::StaticClass())
                                      .Creatable()
                                      .Enum("BorderStyle", FormBorderStyleEnum(), &TForm::BorderStyle, &TForm::SetBorderStyle, int(TFormBorderStyle::bsSizeable))
                                      .String("Caption", &TForm::Caption, &TForm::SetCaption)
                                      .Integer("ClientHeight", &TForm::ClientHeight, &TForm::SetClientHeight)
                                      .Integer("ClientWidth", &TForm::ClientWidth, &TForm::SetClientWidth)
                                      .ControlColor(clBtnFace)
                                      .ControlFont()
                                      .Boolean("KeyPreview", &TForm::KeyPreview, &TForm::SetKeyPreview, false)
                                      .Boolean("ParentFont", &TForm::ParentFont, &TForm::SetParentFont, false)
                                      .Integer("PixelsPerInch", &TForm::PixelsPerInch, &TForm::SetPixelsPerInch, 96)
                                      .Enum("Position", PositionEnum(), &TForm::Position, &TForm::SetPosition, int(TPosition::poDesigned))
                                      .Boolean("Scaled", &TForm::Scaled, &TForm::SetScaled, true)
                                      .Enum("ScreenCursor", CursorEnum(), &TForm::ScreenCursor, &TForm::SetScreenCursor, crDefault)
                                      .Enum("WindowCursor", CursorEnum(), &TForm::WindowCursor, [](TForm&, TCursor) {})
                                      .ReadOnly()
                                      .Event("OnClose", &TForm::OnClose)
                                      .Event("OnCreate", &TForm::OnCreate)
                                      .Event("OnDestroy", &TForm::OnDestroy)
                                      .Event("OnMouseWheel", &TForm::OnMouseWheel)
                                      .Event("OnMouseWheelDown", &TForm::OnMouseWheelDown)
                                      .Event("OnMouseWheelUp", &TForm::OnMouseWheelUp)
                                      .Event("OnShow", &TForm::OnShow)
                                      .Boolean("Visible", &TForm::Visible, &TForm::SetVisible, false)
                                      .Build();
    return info;
}

TForm::TForm(TComponent* owner)
    : TWinControl(owner)
{
    SetParentFont(false);
    SetParentColor(false);
    LiveForms().push_back(this);
    TWinControl::SetVisible(false);
}

TForm::~TForm()
{
    if (!m_destroyFired) {
        m_destroyFired = true;
        DoDestroy();
    }
    CurrentEventLoop().DiscardEventsFor(this);
    std::erase(LiveForms(), this);
    // A main form the application does not own must not be left behind as a dangling pointer.
    if (Application().MainForm() == this)
        Application().SetMainForm(nullptr);
    if (m_window)
        m_window->SetEventSink(nullptr);
}

void TForm::Destroying()
{
    if (!m_destroyFired) {
        m_destroyFired = true;
        RunHandler([this] { DoDestroy(); });
    }
}

void TForm::TextChanged()
{
    if (m_window)
        m_window->SetCaption(Caption());
}

void TForm::SetBounds(int left, int top, int width, int height)
{
    bool resized = width != Width() || height != Height();
    bool moved = left != Left() || top != Top();
    TWinControl::SetBounds(left, top, width, height);
    if (resized) {
        m_surface.clear();
        m_surfaceView = {};
        if (m_window)
            m_window->SetClientSize(Width(), Height());
        InvalidateRect(ClientRect());
    }
    if (moved && m_window)
        m_window->SetPosition(Left(), Top());
}

void TForm::SetVisible(bool visible)
{
    if (visible == Visible())
        return;
    TWinControl::SetVisible(visible);
    if (visible) {
        if (!m_window)
            SetWindow(CreateWindowBackend());
        if (m_window)
            m_window->Show();
        InvalidateRect(ClientRect());
        RunHandler([this] { DoShow(); });
    } else if (m_window) {
        m_window->Hide();
    }
}

void TForm::SetWindow(std::unique_ptr<IWindowBackend> window)
{
    if (m_window)
        m_window->SetEventSink(nullptr);
    m_window = std::move(window);
    if (!m_window)
        return;
    m_window->SetEventSink(this);
    m_window->SetClientSize(Width(), Height());
    m_window->SetPosition(Left(), Top());
    m_window->SetCaption(Caption());
    m_window->SetShape(m_shape);
    m_window->SetCursor(m_windowCursor);
    InvalidateRect(ClientRect());
}

void TForm::SetScreenCursor(TCursor cursor)
{
    m_screenCursor = cursor;
    UpdateWindowCursor();
}

void TForm::UpdateWindowCursor()
{
    TCursor cursor = m_screenCursor;
    for (TControl* c = m_mouseControl; c && cursor == crDefault; c = c->Parent())
        cursor = c->Cursor();
    if (cursor == crDefault)
        cursor = crArrow;
    if (cursor == m_windowCursor)
        return;
    m_windowCursor = cursor;
    if (m_window)
        m_window->SetCursor(cursor);
}

TSize TForm::ScreenSize() const
{
    return m_window ? m_window->ScreenSize() : HeadlessScreenSize;
}

TPoint TForm::CursorPos() const
{
    if (m_window)
        return m_window->CursorPos();
    return { m_lastMouse.X + Left(), m_lastMouse.Y + Top() };
}

void TForm::CenterOnScreen()
{
    TSize screen = ScreenSize();
    SetBounds((screen.cx - Width()) / 2, (screen.cy - Height()) / 2, Width(), Height());
}

void TForm::SetShape(const std::vector<TRect>& region)
{
    m_shape = region;
    if (m_window)
        m_window->SetShape(m_shape);
}

void TForm::StartSystemMove()
{
    SetCaptureControl(nullptr);
    if (m_window)
        m_window->BeginSystemMove();
}

void TForm::BringWindowToFront()
{
    if (m_window)
        m_window->BringToFront();
}

void TForm::EnsureSurface()
{
    size_t count = static_cast<size_t>(std::max(0, Width())) * static_cast<size_t>(std::max(0, Height()));
    if (m_surface.size() == count && (count == 0 || m_surfaceView.bits))
        return;
    m_surface.assign(count, 0);
    m_surfaceView = { reinterpret_cast<uint8_t*>(m_surface.data()), Width(), Height() };
    if (count == 0)
        m_surfaceView = {};
    m_dirty = ClientRect();
}

void TForm::InvalidateRect(const TRect& rect)
{
    TRect clipped = Intersect(rect, ClientRect());
    if (clipped.IsEmpty())
        return;
    m_dirty = Union(m_dirty, clipped);
    if (!m_paintPosted) {
        m_paintPosted = true;
        CurrentEventLoop().Post({ .type = EventType::Paint, .target = this });
    }
}

void TForm::PaintNow()
{
    EnsureSurface();
    m_paintPosted = false;
    TRect dirty = Intersect(m_dirty, ClientRect());
    m_dirty = {};
    if (dirty.IsEmpty() || m_surfaceView.IsEmpty())
        return;
    PaintHandler(m_surfaceView, { 0, 0 }, dirty);
    if (m_window && Visible()) {
        if (m_presentProc)
            m_presentProc(m_surfaceView, dirty);
        else
            m_window->Present(m_surfaceView, dirty);
    }
}

void TForm::SetCaptureControl(TControl* control)
{
    if (control == m_captureControl)
        return;
    m_captureControl = control;
    if (m_window)
        m_window->SetCapture(control != nullptr);
}

void TForm::SetActiveControl(TWinControl* control)
{
    if (control == this)
        control = nullptr;
    if (control == m_activeControl)
        return;
    TWinControl* previous = m_activeControl;
    m_activeControl = control;
    if (previous)
        previous->DoExit();
    if (control)
        control->DoEnter();
}

void TForm::ForgetControl(TControl* control)
{
    auto inside = [control](TControl* c) {
        for (; c; c = c->Parent()) {
            if (c == control)
                return true;
        }
        return false;
    };
    if (inside(m_captureControl))
        SetCaptureControl(nullptr);
    if (inside(m_mouseControl))
        m_mouseControl = nullptr;
    if (inside(m_clickedControl))
        m_clickedControl = nullptr;
    if (inside(m_routingTarget))
        m_routingTarget = nullptr;
    if (inside(m_activeControl))
        m_activeControl = nullptr;
}

void TForm::ForgetEverywhere(TControl* control)
{
    for (TForm* form : LiveForms()) {
        if (form != control)
            form->ForgetControl(control);
    }
}

void TForm::Notification(TComponent* component, TOperation operation)
{
    TWinControl::Notification(component, operation);
    if (operation == TOperation::opRemove && component) {
        if (!component->Name().empty() && !IsDestroying())
            m_methods.ClearField(component->Name());
    }
}

TControl* TForm::ControlAtPoint(TPoint point) const
{
    TControl* control = ControlAtPos(point, false, true);
    return control ? control : const_cast<TForm*>(this);
}

TForm::TWndMethod TForm::WindowProc()
{
    if (m_windowProc)
        return m_windowProc;
    return [this](const Event& event) { DefaultWindowProc(event); };
}

void TForm::HandleEvent(const Event& event)
{
    RunHandler([&] {
        if (m_windowProc)
            m_windowProc(event);
        else
            DefaultWindowProc(event);
    });
}

void TForm::DefaultWindowProc(const Event& event)
{
    {
        switch (event.type) {
        case EventType::MouseMove:
        case EventType::MouseDown:
        case EventType::MouseUp:
            RouteMouse(event);
            break;
        case EventType::MouseWheel:
            RouteWheel(event);
            break;
        case EventType::KeyDown:
        case EventType::KeyUp:
        case EventType::KeyChar:
            RouteKey(event);
            break;
        case EventType::MouseEnterWindow:
            break;
        case EventType::MouseLeaveWindow:
            if (!m_captureControl)
                UpdateMouseControl(nullptr);
            break;
        case EventType::Paint:
            if (!event.rect.IsEmpty())
                m_dirty = Union(m_dirty, Intersect(event.rect, ClientRect()));
            PaintNow();
            break;
        case EventType::Close:
            Close();
            break;
        case EventType::Activate:
            m_active = true;
            break;
        case EventType::Deactivate:
            m_active = false;
            break;
        case EventType::Callback:
            if (event.callback)
                event.callback();
            break;
        case EventType::QueryNewPalette:
        case EventType::PaletteChanged:
            // A form without a palette has nothing to realize.
            break;
        }
    }
}

void TForm::RouteMouse(const Event& event)
{
    TPoint point { event.x, event.y };
    m_lastMouse = point;
    TControl* target = m_captureControl ? m_captureControl : ControlAtPoint(point);
    TPoint local = target->FormToClient(point);
    // Any handler may destroy the target (ForgetControl clears this) or the whole form.
    m_routingTarget = target;
    auto gone = [this] { return m_routingTarget == nullptr || IsDestroying(); };
    switch (event.type) {
    case EventType::MouseMove:
        target->MouseMove(event.shift, local.X, local.Y);
        break;
    case EventType::MouseDown:
        if (event.button == TMouseButton::mbLeft) {
            if (target->ControlStyle() & csCaptureMouse)
                target->SetMouseCapture(true);
            m_clickedControl = (target->ControlStyle() & csClickEvents) ? target : nullptr;
        }
        if (event.shift & ssDouble)
            target->DblClick();
        if (!gone())
            target->MouseDown(event.button, event.shift, local.X, local.Y);
        break;
    case EventType::MouseUp:
        if (event.button == TMouseButton::mbLeft) {
            if (target->ControlStyle() & csCaptureMouse)
                target->SetMouseCapture(false);
            bool clicked = m_clickedControl == target;
            m_clickedControl = nullptr;
            if (clicked && target->ClientRect().Contains(local))
                target->Click();
        }
        if (!gone())
            target->MouseUp(event.button, event.shift, local.X, local.Y);
        break;
    default:
        break;
    }
    m_routingTarget = nullptr;
    if (IsDestroying())
        return;
    // Enter and leave follow once the message is handled, as they do on the idle step.
    TControl* under = ControlAtPos(point, true, true);
    UpdateMouseControl(under ? under : this);
}

void TForm::UpdateMouseControl(TControl* control)
{
    TControl* capture = m_captureControl;
    if (control == m_mouseControl)
        return;
    TControl* previous = m_mouseControl;
    m_mouseControl = control;
    UpdateWindowCursor();
    if (previous && (!capture || previous == capture))
        previous->MouseLeave();
    // The leave handler may have changed what is under the pointer or destroyed it.
    if (m_mouseControl == control && control && (!capture || control == capture))
        control->MouseEnter();
}

void TForm::RouteKey(const Event& event)
{
    TWinControl* focus = m_activeControl ? m_activeControl : this;
    if (event.type == EventType::KeyChar) {
        char ch = event.ch;
        if (focus != this && m_keyPreview) {
            TWinControl::KeyPress(ch);
            if (ch == 0)
                return;
        }
        focus->KeyPress(ch);
        return;
    }
    uint16_t key = event.key;
    bool down = event.type == EventType::KeyDown;
    if (focus != this && m_keyPreview) {
        if (down)
            TWinControl::KeyDown(key, event.shift);
        else
            TWinControl::KeyUp(key, event.shift);
        if (key == 0)
            return;
    }
    if (down)
        focus->KeyDown(key, event.shift);
    else
        focus->KeyUp(key, event.shift);
}

void TForm::RouteWheel(const Event& event)
{
    TPoint mousePos = ClientToScreen({ event.x, event.y });
    m_lastMouse = { event.x, event.y };
    bool handled = false;
    FireEvent(OnMouseWheel, this, event.shift, event.wheelDelta, mousePos, handled);
    if (handled)
        return;
    if (event.wheelDelta < 0)
        FireEvent(OnMouseWheelDown, this, event.shift, mousePos, handled);
    else if (event.wheelDelta > 0)
        FireEvent(OnMouseWheelUp, this, event.shift, mousePos, handled);
}

void TForm::Close()
{
    FireEvent(OnClose, this);
    Hide();
    if (Application().MainForm() == this)
        Application().Terminate();
}

void TForm::GetChildren(const std::function<void(TComponent*)>& proc, TComponent* root) const
{
    TWinControl::GetChildren(proc, root);
    if (root != this)
        return;
    for (int i = 0; i < ComponentCount(); ++i) {
        TComponent* c = Components(i);
        if (!c->HasParent())
            proc(c);
    }
}

// ---- TApplication ---------------------------------------------------------------------------

const ClassInfo& TApplication::StaticClass()
{
    static const ClassInfo info = ClassBuilder<TApplication>("TApplication", &TComponent::StaticClass())
                                      .String("Title", &TApplication::Title, &TApplication::SetTitle)
                                      .Build();
    return info;
}

TApplication::TApplication(TComponent* owner)
    : TComponent(owner) {}

void TApplication::Run()
{
    if (m_mainForm)
        m_mainForm->Show();
    CurrentEventLoop().Run();
}

void TApplication::Terminate()
{
    CurrentEventLoop().Terminate();
}

bool TApplication::Terminated() const
{
    return CurrentEventLoop().Terminated();
}

void TApplication::ProcessMessages()
{
    CurrentEventLoop().ProcessMessages();
}

void TApplication::HandleException(const std::exception& error)
{
    if (m_exceptionHandler)
        m_exceptionHandler(error);
    else
        std::fprintf(stderr, "%s\n", error.what());
}

void TApplication::Notification(TComponent* component, TOperation operation)
{
    TComponent::Notification(component, operation);
    if (operation == TOperation::opRemove && component == m_mainForm)
        m_mainForm = nullptr;
}

TApplication& Application()
{
    // Never destroyed: the program entry frees the forms (DestroyComponents) while everything
    // they use still exists.
    static TApplication* application = new TApplication(nullptr);
    return *application;
}

void RunHandler(const std::function<void()>& handler)
{
    try {
        handler();
    } catch (const std::exception& error) {
        Application().HandleException(error);
    }
}

}
