#pragma once

// Controls: bounds, visibility, parent and z-order, mouse routing with capture and
// enter/leave, invalidation and painting through a canvas.
//
// A graphic control (TGraphicControl) has no window of its own: its parent paints it into the
// parent's picture by calling PaintTo(canvas), where the canvas's origin is the control's
// top-left corner and its clip the control's damaged part; Paint() draws through Canvas().
// A windowed control (TWinControl) holds child controls; the form at the top composes the
// picture of every visible control, bottom of the z-order first, windowed children above the
// graphic ones as the window system orders them.
//
// Mouse input arrives at the form (TForm::HandleEvent) and is routed to the control under the
// pointer, or to the control that holds the capture. A left or right press captures the mouse
// for the pressed control until release; a release over the captured control clicks it.
// Enter/leave: the control under the pointer hears MouseEnter/MouseLeave when the pointer
// crosses into or out of it; while a control holds the capture only that control hears them.

#include "platform/canvas/Canvas.h"
#include "platform/components/Classes.h"
#include "platform/components/Graphics.h"
#include "platform/events/Event.h"
#include "platform/events/WindowBackend.h"
#include "platform/types/Geometry.h"

#include <functional>
#include <memory>
#include <string>
#include <vector>

namespace platform {

class TWinControl;
class TForm;

using TMouseEvent = std::function<void(TObject* sender, TMouseButton button, TShiftState shift, int x, int y)>;
using TMouseMoveEvent = std::function<void(TObject* sender, TShiftState shift, int x, int y)>;
using TKeyEvent = std::function<void(TObject* sender, uint16_t& key, TShiftState shift)>;
using TKeyPressEvent = std::function<void(TObject* sender, char& key)>;
// mousePos is in screen coordinates, as the window system reports wheel messages.
using TMouseWheelEvent = std::function<void(TObject* sender, TShiftState shift, int wheelDelta, TPoint mousePos, bool& handled)>;
using TMouseWheelUpDownEvent = std::function<void(TObject* sender, TShiftState shift, TPoint mousePos, bool& handled)>;

enum class TAlign : uint8_t { alNone,
    alTop,
    alBottom,
    alLeft,
    alRight,
    alClient,
    alCustom };
using TAnchors = uint8_t;
enum : TAnchors { akLeft = 1,
    akTop = 2,
    akRight = 4,
    akBottom = 8 };

using TControlStyle = uint16_t;
enum : TControlStyle {
    csAcceptsControls = 0x01,
    csCaptureMouse = 0x02,
    csClickEvents = 0x04,
    csOpaque = 0x08,
    csSetCaption = 0x10,
    csDoubleClicks = 0x20,
};

const EnumInfo& AlignEnum();
const EnumInfo& AnchorsEnum();
const EnumInfo& CursorEnum();

class TControl : public TComponent {
    TORVA_CLASS(TControl)
public:
    explicit TControl(TComponent* owner);
    ~TControl() override;

    int Left() const { return m_left; }
    int Top() const { return m_top; }
    int Width() const { return m_width; }
    int Height() const { return m_height; }
    void SetLeft(int value) { SetBounds(value, m_top, m_width, m_height); }
    void SetTop(int value) { SetBounds(m_left, value, m_width, m_height); }
    void SetWidth(int value) { SetBounds(m_left, m_top, value, m_height); }
    void SetHeight(int value) { SetBounds(m_left, m_top, m_width, value); }
    // Position in the parent's client coordinates; invalidates the old and the new place.
    virtual void SetBounds(int left, int top, int width, int height);
    TRect BoundsRect() const { return Bounds(m_left, m_top, m_width, m_height); }
    virtual int ClientWidth() const { return m_width; }
    virtual int ClientHeight() const { return m_height; }
    void SetClientWidth(int value);
    void SetClientHeight(int value);
    TRect ClientRect() const { return { 0, 0, ClientWidth(), ClientHeight() }; }
    // Client coordinates of this control -> client coordinates of the form (and back).
    TPoint ClientToForm(TPoint point) const;
    TPoint FormToClient(TPoint point) const;
    TPoint ClientToScreen(TPoint point) const;
    TPoint ScreenToClient(TPoint point) const;

    bool Visible() const { return m_visible; }
    virtual void SetVisible(bool visible);
    void Show() { SetVisible(true); }
    void Hide() { SetVisible(false); }
    // Visible itself and every parent up to the form.
    bool Showing() const;
    bool Enabled() const { return m_enabled; }
    virtual void SetEnabled(bool enabled);

    TWinControl* Parent() const { return m_parent; }
    virtual void SetParent(TWinControl* parent);
    TForm* ParentForm() const;

    void BringToFront();
    void SendToBack();

    TCursor Cursor() const { return m_cursor; }
    void SetCursor(TCursor cursor) { m_cursor = cursor; }
    const std::string& Hint() const { return m_hint; }
    void SetHint(const std::string& hint) { m_hint = hint; }
    bool ShowHint() const { return m_showHint; }
    void SetShowHint(bool value) { m_showHint = value; }
    bool ParentShowHint() const { return m_parentShowHint; }
    void SetParentShowHint(bool value) { m_parentShowHint = value; }
    TAlign Align() const { return m_align; }
    void SetAlign(TAlign align) { m_align = align; }
    TAnchors Anchors() const { return m_anchors; }
    void SetAnchors(TAnchors anchors) { m_anchors = anchors; }

    // Caption and Text are one string, as in the framework.
    const std::string& Caption() const { return m_caption; }
    void SetCaption(const std::string& caption);
    TColor Color() const { return m_color; }
    void SetColor(TColor color);
    bool ParentColor() const { return m_parentColor; }
    void SetParentColor(bool value);
    TFont& Font() { return *m_font; }
    const TFont& Font() const { return *m_font; }
    bool ParentFont() const { return m_parentFont; }
    void SetParentFont(bool value);

    TControlStyle ControlStyle() const { return m_controlStyle; }
    void SetControlStyle(TControlStyle style) { m_controlStyle = style; }

    // Asks for the control's area to be painted again.
    virtual void Invalidate();
    // Invalidate and paint at once.
    void Repaint();

    bool MouseCapture() const;
    void SetMouseCapture(bool capture);

    // Hit test in client coordinates; the whole bounds by default.
    virtual bool HitTest(TPoint point) const;

    // What the form's routing calls; they fire the events. Public so the DIB library's
    // containers can route too.
    virtual void MouseDown(TMouseButton button, TShiftState shift, int x, int y) { FireEvent(OnMouseDown, this, button, shift, x, y); }
    virtual void MouseMove(TShiftState shift, int x, int y) { FireEvent(OnMouseMove, this, shift, x, y); }
    virtual void MouseUp(TMouseButton button, TShiftState shift, int x, int y) { FireEvent(OnMouseUp, this, button, shift, x, y); }
    virtual void Click() { FireEvent(OnClick, this); }
    virtual void DblClick() { FireEvent(OnDblClick, this); }
    virtual void MouseEnter() { FireEvent(OnMouseEnter, this); }
    virtual void MouseLeave() { FireEvent(OnMouseLeave, this); }
    virtual void KeyDown(uint16_t&, TShiftState) {}
    virtual void KeyUp(uint16_t&, TShiftState) {}
    virtual void KeyPress(char&) {}
    // A windowed parent calls this to paint a non-windowed child (see the file comment).
    virtual void PaintTo(TCanvas&) {}

    void SetParentComponent(TComponent* parent) override;
    TComponent* GetParentComponent() const override;
    bool HasParent() const override { return true; }

    TNotifyEvent OnClick;
    TNotifyEvent OnDblClick;
    TMouseEvent OnMouseDown;
    TMouseMoveEvent OnMouseMove;
    TMouseEvent OnMouseUp;
    TNotifyEvent OnMouseEnter;
    TNotifyEvent OnMouseLeave;
    TNotifyEvent OnResize;

protected:
    // A setter of a property that changes only the look: stores the value, repaints on a change.
    template <class T, class V>
    void StoreAndInvalidate(T& field, V&& value)
    {
        if (ChangeValue(field, std::forward<V>(value)))
            Invalidate();
    }
    virtual void Resize() { FireEvent(OnResize, this); }
    virtual void TextChanged() { Invalidate(); }
    virtual void FontChanged() { Invalidate(); }
    virtual void ColorChanged() { Invalidate(); }
    virtual void VisibleChanged() {}
    virtual void EnabledChanged() { Invalidate(); }
    // The parent's font or colour changed; follows it when ParentFont / ParentColor is on.
    virtual void ParentFontChanged();
    virtual void ParentColorChanged();

private:
    friend class TWinControl;
    int m_left = 0;
    int m_top = 0;
    int m_width = 0;
    int m_height = 0;
    bool m_visible = true;
    bool m_enabled = true;
    TWinControl* m_parent = nullptr;
    TCursor m_cursor = crDefault;
    std::string m_hint;
    bool m_showHint = false;
    bool m_parentShowHint = true;
    TAlign m_align = TAlign::alNone;
    TAnchors m_anchors = akLeft | akTop;
    std::string m_caption;
    TColor m_color = clBtnFace;
    bool m_parentColor = true;
    std::unique_ptr<TFont> m_font;
    bool m_parentFont = true;
    TControlStyle m_controlStyle = csCaptureMouse | csClickEvents | csSetCaption | csDoubleClicks;
};

// The canvas a control draws on, lent for one paint only.
class LentCanvas {
public:
    // Only valid inside Lend.
    TCanvas& Get() const;
    void Lend(TCanvas& canvas, const std::function<void()>& paint);

private:
    TCanvas* m_canvas = nullptr;
};

// Non-windowed control that draws through a canvas lent for one paint.
class TGraphicControl : public TControl {
    TORVA_CLASS(TGraphicControl)
public:
    explicit TGraphicControl(TComponent* owner);
    void PaintTo(TCanvas& canvas) override;
    // Only valid inside Paint.
    TCanvas& Canvas() { return m_canvas.Get(); }

protected:
    virtual void Paint() {}

private:
    LentCanvas m_canvas;
};

// A control that holds child controls and paints them.
class TWinControl : public TControl {
    TORVA_CLASS(TWinControl)
public:
    explicit TWinControl(TComponent* owner);
    ~TWinControl() override;

    int ControlCount() const { return static_cast<int>(m_controls.size()); }
    // Bottom of the z-order first.
    TControl* Controls(int index) const;
    void InsertControl(TControl* control);
    void RemoveControl(TControl* control);
    bool ContainsControl(const TControl* control) const;
    // The topmost visible child (windowed before graphic, as the window system stacks them)
    // under a client point; disabled children count only when allowDisabled. With deep, the
    // search goes on into windowed children.
    TControl* ControlAtPos(TPoint point, bool allowDisabled, bool deep = false) const;

    bool TabStop() const { return m_tabStop; }
    void SetTabStop(bool value) { m_tabStop = value; }
    int TabOrder() const { return m_tabOrder; }
    void SetTabOrder(int value) { m_tabOrder = value; }
    bool DoubleBuffered() const { return m_doubleBuffered; }
    void SetDoubleBuffered(bool value) { m_doubleBuffered = value; }
    bool Focused() const;
    virtual bool CanFocus() const;
    void SetFocus();

    // Client rectangle (own coordinates) to be painted again; goes up to the form.
    virtual void InvalidateRect(const TRect& rect);

    // Paints the window and its children into `surface`, where this control's client origin is
    // at `origin` and `dirty` (client coordinates) is what needs painting. The base fills the
    // background with Color (unless ParentColor leaves it to the parent), calls PaintWindow,
    // then paints the children.
    virtual void PaintHandler(const PixelView& surface, TPoint origin, const TRect& dirty);
    // Paints every visible child meeting `dirty`: graphic children in z-order, then windowed.
    void PaintControls(const PixelView& surface, TPoint origin, const TRect& dirty);

    void GetChildren(const std::function<void(TComponent*)>& proc, TComponent* root) const override;

    TKeyEvent OnKeyDown;
    TKeyEvent OnKeyUp;
    TKeyPressEvent OnKeyPress;
    TNotifyEvent OnEnter;
    TNotifyEvent OnExit;

    void KeyDown(uint16_t& key, TShiftState shift) override { FireEvent(OnKeyDown, this, key, shift); }
    void KeyUp(uint16_t& key, TShiftState shift) override { FireEvent(OnKeyUp, this, key, shift); }
    void KeyPress(char& key) override { FireEvent(OnKeyPress, this, key); }
    virtual void DoEnter() { FireEvent(OnEnter, this); }
    virtual void DoExit() { FireEvent(OnExit, this); }

protected:
    // Draws this control's own picture (after the background, before the children).
    virtual void PaintWindow(TCanvas& canvas);
    void FontChanged() override;
    void ColorChanged() override;

private:
    friend class TControl;
    std::vector<TControl*> m_controls;
    bool m_tabStop = false;
    int m_tabOrder = -1;
    bool m_doubleBuffered = false;
};

// A windowed control with a canvas of its own and a Paint to override.
class TCustomControl : public TWinControl {
    TORVA_CLASS(TCustomControl)
public:
    explicit TCustomControl(TComponent* owner);
    TCanvas& Canvas() { return m_canvas.Get(); }

protected:
    void PaintWindow(TCanvas& canvas) override;
    virtual void Paint() {}

private:
    LentCanvas m_canvas;
};

}
