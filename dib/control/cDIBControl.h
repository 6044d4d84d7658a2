#pragma once

// The windowless control of the DIB library. It lives only inside a container
// (TCustomDIBContainer, unit cDIBPanel), never draws on the screen: during a paint the
// container lends it a working surface that already holds the background under it, the control
// paints there through Canvas(), and the container blends the result back with Opacity.
//
// Every message the control hears is offered to its DIBFeatures first; a feature that handles
// it stops it. The mouse's entered state is sticky while the mouse is captured, so a pressed
// control keeps its highlight until the button is released.

#include "dib/surface/cDIB.h"
#include "dib/control/cDIBFeatures.h"
#include "dib/imagelist/cDIBImageList.h"
#include "platform/components/Controls.h"

#include <memory>
#include <string>
#include <vector>

class TCustomDIBContainer;

// Errors of control templates.
class EDIBControlError : public platform::Exception {
public:
    using platform::Exception::Exception;
};

// Answers of the dialog-code query, with the window system's values.
enum : uint32_t {
    DLGC_WANTARROWS = 0x01,
    DLGC_WANTTAB = 0x02,
    DLGC_WANTALLKEYS = 0x04,
};

// Bits of a control's dialog-code flags.
enum : uint8_t {
    dcTab = 1,
    dcArrows = 2,
    dcAllKeys = 4,
};

// Keys that only reach a control whose dialog code takes all keys.
enum : uint16_t {
    VK_CANCEL = 0x03,
    VK_EXECUTE = 0x2B,
};

using TDIBKeyEvent = platform::TKeyEvent;
using TDIBKeyPressEvent = platform::TKeyPressEvent;

class TCustomDIBControl : public platform::TGraphicControl {
    TORVA_CLASS(TCustomDIBControl)
public:
    // The owner must be a container or own one ("Owner cannot be nil", "Parent must be a
    // TDIBContainer"); the control starts inside that container.
    explicit TCustomDIBControl(platform::TComponent* owner);
    ~TCustomDIBControl() override;

    // A parent that is not a container is replaced by the first container it owns.
    void SetParent(platform::TWinControl* parent) override;
    // The container the control lives in (nullptr only while it is being taken apart).
    TCustomDIBContainer* Container() const;

    uint8_t Opacity() const { return m_opacity; }
    // Clamped to 0..255; repaints when it changes.
    void SetOpacity(int value);

    TCustomDIBImageList* DIBImageList() const { return m_imageList; }
    void SetDIBImageList(TCustomDIBImageList* list);
    int ImageLinkCount() const { return static_cast<int>(m_links.size()); }
    TDIBImageLink& ImageLink(int index) const { return *m_links.at(static_cast<size_t>(index)); }

    char Accelerator() const { return m_accelerator; }
    void SetAccelerator(char value) { m_accelerator = value; }

    TControlList& Children() { return *m_children; }
    const TControlList& Children() const { return *m_children; }
    TDIBFeatures& DIBFeatures() { return *m_features; }
    const TDIBFeatures& DIBFeatures() const { return *m_features; }

    // Index in the container's DIB tab list, or -1.
    int DIBTabOrder() const;
    // While the layout is read only remembered; otherwise the control moves to that place of
    // the list (appended beyond its end, left out when negative).
    void SetDIBTabOrder(int value);
    // The value a layout gave, which the container's Loaded collects.
    int StoredDIBTabOrder() const { return m_storedTabOrder; }

    // 1 Tab, 2 arrows, 4 all keys.
    uint8_t DialogCodeFlags() const { return m_dialogCodeFlags; }
    void SetDialogCodeFlags(uint8_t flags) { m_dialogCodeFlags = flags; }
    // The dialog-code query: DLGC_WANTALLKEYS, or DLGC_WANTTAB and/or DLGC_WANTARROWS.
    uint32_t DialogCode() const;

    // Properties saved in a control template; "Width" and "Height" always.
    const std::vector<std::string>& TemplateProperties() const { return m_templateProperties; }

    // State.
    bool DIBLoading() const { return m_loading; }
    bool Entered() const { return m_entered; }
    bool Focused() const { return m_focused; }
    // 0 none, 1 left, 2 middle, 3 right.
    int MouseButtonDown() const { return m_mouseButton; }
    platform::TShiftState LastShiftState() const { return m_shift; }
    TPoint LastMousePos() const { return m_mousePos; }
    // The surface lent for the paint in progress (nullptr outside a paint).
    TWinDIB* WorkDIB() const { return m_workDIB; }
    // Only valid inside a paint: draws on the working surface.
    platform::TCanvas& Canvas() { return m_canvas.Get(); }

    // Makes this the container's active DIB control.
    void SetFocus();
    bool CanFocus() const;

    void SetBounds(int left, int top, int width, int height) override;
    void Loaded() override;

    // Routed by the form and the container. Each offers the message to the features first.
    void MouseDown(platform::TMouseButton button, platform::TShiftState shift, int x, int y) override;
    void MouseMove(platform::TShiftState shift, int x, int y) override;
    void MouseUp(platform::TMouseButton button, platform::TShiftState shift, int x, int y) override;
    void Click() override;
    void DblClick() override;
    void MouseEnter() override;
    void MouseLeave() override;
    void KeyDown(uint16_t& key, platform::TShiftState shift) override;
    void KeyUp(uint16_t& key, platform::TShiftState shift) override;
    void KeyPress(char& key) override;
    // Focus messages, sent by the container when the active DIB control changes.
    void SetFocusMessage();
    void KillFocusMessage();

    // The container's paint: `work` already has the control's size and reset properties.
    void PaintDIB(TWinDIB& work, TAbstractSuperDIB& offscreen);
    // Outside a container's DIB paint there is nothing to draw: the control never reaches
    // the screen on its own.
    void PaintTo(platform::TCanvas& canvas) override;

    // The rectangle (container client coordinates) about to be painted.
    virtual void DirtyRectHook(const TRect& dirty);
    // A stuck entered state is worth clearing from outside (the container, on release).
    void LeaveIfPointerOutside(TPoint local);

    platform::TNotifyEvent OnEnter;
    platform::TNotifyEvent OnExit;
    TDIBKeyEvent OnKeyDown;
    TDIBKeyEvent OnKeyUp;
    TDIBKeyPressEvent OnKeyPress;
    // Fired by the base Paint.
    platform::TNotifyEvent OnPaint;

protected:
    // The hooks around Paint, in the order they run.
    virtual void BeforePaintHook() {}
    void Paint() override { FireEvent(OnPaint, this); }
    virtual void AfterPaintHook() {}
    virtual void Highlight() {}
    virtual void Unhighlight() {}
    virtual void DoEnter() { FireEvent(OnEnter, this); }
    virtual void DoExit() { FireEvent(OnExit, this); }
    virtual void DoMouseEnter() { TGraphicControl::MouseEnter(); }
    virtual void DoMouseLeave() { TGraphicControl::MouseLeave(); }
    // A change of a linked picture; `link` is one of this control's.
    virtual void ImageChanged(TDIBImageLink* link, int index, TDIBLinkChange change);
    // Whether a key is a shortcut of something the control carries (menus); none in the base.
    virtual bool IsShortCut(uint16_t key, platform::TShiftState shift);
    // Whether the control claims a key before the dialog-code checks; none in the base.
    virtual bool IsChildKey(uint16_t key, platform::TShiftState shift);
    // The dynamic key operations: they fire the events.
    virtual void DoKeyDown(uint16_t& key, platform::TShiftState shift) { FireEvent(OnKeyDown, this, key, shift); }
    virtual void DoKeyUp(uint16_t& key, platform::TShiftState shift) { FireEvent(OnKeyUp, this, key, shift); }
    virtual void DoKeyPress(char& key) { FireEvent(OnKeyPress, this, key); }

    // A new link owned by the control, following DIBImageList, reporting to ImageChanged.
    TDIBImageLink& AddImageLink();
    // Adds a name to the template properties.
    void AddTemplateProperty(const std::string& name);

    void Notification(platform::TComponent* component, platform::TOperation operation) override;

private:
    friend class TCustomDIBContainer;
    // Whether a feature handled the message.
    bool Offer(TDIBMessage message);
    bool FeaturesActive() const;
    void PaintWithHooks();
    void CopyBackground(TWinDIB& work, TAbstractSuperDIB& offscreen) const;

    std::vector<std::unique_ptr<TDIBImageLink>> m_links;
    TCustomDIBImageList* m_imageList = nullptr;
    TWinDIB* m_workDIB = nullptr;
    platform::LentCanvas m_canvas;
    bool m_loading = true;
    char m_accelerator = 0;
    std::unique_ptr<TControlList> m_children;
    std::unique_ptr<TDIBFeatures> m_features;
    int m_mouseButton = 0;
    TPoint m_mousePos;
    platform::TShiftState m_shift = 0;
    bool m_entered = false;
    bool m_sticky = false;
    bool m_focused = false;
    bool m_moving = false;
    uint8_t m_opacity = 255;
    std::vector<std::string> m_templateProperties;
    int m_storedTabOrder = -1;
    uint8_t m_dialogCodeFlags = dcArrows;
};
