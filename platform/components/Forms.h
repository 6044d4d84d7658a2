#pragma once

// The form (a top-level window and the root of its layout) and the application object.
//
// A form composes its picture in its own client-sized surface (Surface()); a paint presents the
// damaged rectangle through the window backend when there is one. Input events from the
// backend (or the test driver) arrive through HandleEvent, the same path for both.
//
// A form class publishes its event handlers and component fields in a MethodTable so the
// layout binds "OnClick = DemosLabel3Click" and fills the field DemosLabel3:
//     TForm1::TForm1(TComponent* owner) : TForm(owner)
//     {
//         Methods().Add<void(TObject*)>("DemosLabel3Click", [this](TObject* s) { DemosLabel3Click(s); });
//         Methods().AddField("DemosLabel3", &DemosLabel3);
//         ReadLayout(*this, layoutText, "main_f.lay");   // platform/layout/LayoutReader.h
//         DoCreate();                                      // OnCreate
//     }

#include "platform/components/Controls.h"
#include "platform/events/EventLoop.h"
#include "platform/events/WindowBackend.h"

#include <memory>
#include <string>
#include <string_view>
#include <vector>

namespace platform {

enum class TFormBorderStyle : uint8_t { bsNone,
    bsSingle,
    bsSizeable,
    bsDialog,
    bsToolWindow,
    bsSizeToolWin };
enum class TPosition : uint8_t {
    poDesigned,
    poDefault,
    poDefaultPosOnly,
    poDefaultSizeOnly,
    poScreenCenter,
    poDesktopCenter,
    poMainFormCenter,
    poOwnerFormCenter,
};
// Values of a form's modal result; the choice dialog's buttons answer 11 + n.
enum : int {
    mrNone = 0,
    mrOk = 1,
    mrCancel = 2,
    mrAbort = 3,
    mrRetry = 4,
    mrIgnore = 5,
    mrYes = 6,
    mrNo = 7,
};

const EnumInfo& FormBorderStyleEnum();
const EnumInfo& PositionEnum();

class TForm : public TWinControl, public IEventSink {
    TORVA_CLASS(TForm)
public:
    explicit TForm(TComponent* owner);
    ~TForm() override;

    MethodTable& Methods() { return m_methods; }
    const MethodTable* PublishedMethods() const override { return &m_methods; }

    // Screen position of the window; client size is the window's size (no frame is drawn).
    int ClientWidth() const override { return Width(); }
    int ClientHeight() const override { return Height(); }
    void SetBounds(int left, int top, int width, int height) override;
    TFormBorderStyle BorderStyle() const { return m_borderStyle; }
    void SetBorderStyle(TFormBorderStyle style) { m_borderStyle = style; }
    TPosition Position() const { return m_position; }
    void SetPosition(TPosition position) { m_position = position; }
    bool KeyPreview() const { return m_keyPreview; }
    void SetKeyPreview(bool value) { m_keyPreview = value; }
    bool Scaled() const { return m_scaled; }
    void SetScaled(bool value) { m_scaled = value; }
    int PixelsPerInch() const { return m_pixelsPerInch; }
    void SetPixelsPerInch(int value) { m_pixelsPerInch = value; }
    // The window shows when the form is shown, with the form's caption.
    void SetVisible(bool visible) override;
    // Moves the window to the middle of the screen.
    void CenterOnScreen();

    // Window region in client coordinates (empty: rectangular).
    void SetShape(const std::vector<TRect>& region);
    const std::vector<TRect>& Shape() const { return m_shape; }
    // The application-wide cursor (the framework's Screen.Cursor): anything but crDefault
    // stands over the whole window, the hourglass while the menu works; crDefault gives the
    // window back the cursor of the control under the pointer, the arrow where none names one.
    TCursor ScreenCursor() const { return m_screenCursor; }
    void SetScreenCursor(TCursor cursor);
    // What the window shows now.
    TCursor WindowCursor() const { return m_windowCursor; }

    // Releases the capture and lets the user drag the window (the caption-drag command).
    void StartSystemMove();
    void BringWindowToFront();
    TSize ScreenSize() const;
    // Pointer in screen coordinates (the last one seen without a backend).
    TPoint CursorPos() const;

    // The form's composed picture, client-sized.
    const PixelView& Surface() const { return m_surfaceView; }
    // Paints the damaged area now (normally a posted Paint does it) and presents it.
    void PaintNow();
    TRect DirtyRect() const { return m_dirty; }
    void InvalidateRect(const TRect& rect) override;

    // Routing state, for the DIB library and tests.
    TControl* CaptureControl() const { return m_captureControl; }
    void SetCaptureControl(TControl* control);
    TControl* MouseControl() const { return m_mouseControl; }
    TWinControl* ActiveControl() const { return m_activeControl; }
    void SetActiveControl(TWinControl* control);
    // A control that goes away must not be addressed again.
    void ForgetControl(TControl* control);
    static void ForgetEverywhere(TControl* control);
    // Whether the window is the active one (it gets keys); forms start active.
    bool Active() const { return m_active; }
    // The deepest enabled visible control under a client point (the form itself when none).
    TControl* ControlAtPoint(TPoint point) const;

    IWindowBackend* Window() const { return m_window.get(); }
    void SetWindow(std::unique_ptr<IWindowBackend> window);

    void HandleEvent(const Event& event) override;
    void Close();

    // Every message of the window goes through the window procedure. A component that hooks
    // the window keeps the procedure it replaces (WindowProc), hands it whatever it does not
    // handle itself and puts it back when it goes. Empty means the form's own handling.
    using TWndMethod = std::function<void(const Event& event)>;
    TWndMethod WindowProc();
    void SetWindowProc(TWndMethod proc) { m_windowProc = std::move(proc); }
    // What shows a painted rectangle of the composed picture on the window (a palette on an
    // 8-bit display takes this over). Empty means a plain present of the pixels.
    using TPresentMethod = std::function<void(const PixelView& surface, const TRect& dirty)>;
    const TPresentMethod& PresentProc() const { return m_presentProc; }
    void SetPresentProc(TPresentMethod proc) { m_presentProc = std::move(proc); }

    TNotifyEvent OnCreate;
    TNotifyEvent OnShow;
    TNotifyEvent OnDestroy;
    TNotifyEvent OnClose;
    TMouseWheelEvent OnMouseWheel;
    TMouseWheelUpDownEvent OnMouseWheelDown;
    TMouseWheelUpDownEvent OnMouseWheelUp;

    // Fires OnCreate; the form class calls it once its layout is read.
    virtual void DoCreate() { FireEvent(OnCreate, this); }

protected:
    virtual void DoShow() { FireEvent(OnShow, this); }
    virtual void DoDestroy() { FireEvent(OnDestroy, this); }
    void Destroying() override;
    void TextChanged() override;
    void GetChildren(const std::function<void(TComponent*)>& proc, TComponent* root) const override;
    void Notification(TComponent* component, TOperation operation) override;

private:
    void EnsureSurface();
    void RouteMouse(const Event& event);
    void UpdateMouseControl(TControl* control);
    void RouteKey(const Event& event);
    void RouteWheel(const Event& event);
    void DefaultWindowProc(const Event& event);
    void UpdateWindowCursor();

    MethodTable m_methods;
    TFormBorderStyle m_borderStyle = TFormBorderStyle::bsSizeable;
    TPosition m_position = TPosition::poDesigned;
    bool m_keyPreview = false;
    bool m_scaled = true;
    int m_pixelsPerInch = 96;
    bool m_destroyFired = false;
    std::vector<TRect> m_shape;
    std::vector<uint32_t> m_surface;
    PixelView m_surfaceView;
    TRect m_dirty;
    bool m_paintPosted = false;
    TControl* m_captureControl = nullptr;
    TControl* m_mouseControl = nullptr;
    TWinControl* m_activeControl = nullptr;
    TPoint m_lastMouse;
    TControl* m_clickedControl = nullptr;
    TControl* m_routingTarget = nullptr;
    bool m_active = true;
    std::unique_ptr<IWindowBackend> m_window;
    TCursor m_screenCursor = crDefault;
    TCursor m_windowCursor = crArrow;
    TWndMethod m_windowProc;
    TPresentMethod m_presentProc;
};

// What shows an exception that escaped an event handler; the default box is an error message
// box (platform/dialogs installs itself here).
using ExceptionHandler = std::function<void(const std::exception& error)>;

class TApplication : public TComponent {
    TORVA_CLASS(TApplication)
public:
    explicit TApplication(TComponent* owner);

    const std::string& Title() const { return m_title; }
    void SetTitle(const std::string& title) { m_title = title; }
    TForm* MainForm() const { return m_mainForm; }
    void SetMainForm(TForm* form) { m_mainForm = form; }
    // Creates a form owned by the application; the first becomes the main form.
    template <class T>
    T* CreateForm()
    {
        T* form = new T(this);
        if (!m_mainForm)
            m_mainForm = form;
        return form;
    }
    // Shows the main form and dispatches messages until Terminate.
    void Run();
    void Terminate();
    bool Terminated() const;
    void ProcessMessages();
    // Reports an exception that escaped a handler, through the exception handler.
    void HandleException(const std::exception& error);
    void SetExceptionHandler(ExceptionHandler handler) { m_exceptionHandler = std::move(handler); }

protected:
    void Notification(TComponent* component, TOperation operation) override;

private:
    std::string m_title;
    TForm* m_mainForm = nullptr;
    ExceptionHandler m_exceptionHandler;
};

// The process's application object.
TApplication& Application();

// Runs a handler the way the message dispatch does: an exception goes to the application's
// exception handler instead of unwinding the loop.
void RunHandler(const std::function<void()>& handler);

}
