#pragma once

// The windowed container of DIB controls. It keeps an off-screen surface of its client size;
// a paint rebuilds the damaged rectangle there from the background up (colour, border, every
// child in z-order) and copies exactly that rectangle to the form's picture in one blit. DIB
// children paint on a working surface shared by all of them, sized anew for each, that holds
// the background under the child and is blended back with the child's Opacity. Plain graphic
// controls (pictures, labels) paint straight into the off-screen surface through a canvas.
//
// The container also owns the keyboard of its DIB children: it holds the platform focus and
// passes keys on to the active DIB control, moving the activation along the DIB tab list on
// Tab.

#include "dib/surface/cDIB.h"
#include "dib/control/cDIBControl.h"
#include "platform/components/ExtCtrls.h"

#include <functional>
#include <memory>
#include <vector>

enum TBorderDrawPosition : uint8_t { bdOverControls,
    bdUnderControls };
const platform::EnumInfo& BorderDrawPositionInfo();

// What the container needs of a frame component (TDIBBorder is one): it draws itself onto a
// surface within a rectangle, and its edge sizes shrink the room of aligned children.
class IDIBBorder {
public:
    virtual ~IDIBBorder() = default;
    virtual void DrawBorder(TAbstractSuperDIB& surface, const TRect& rect) = 0;
    // The thickness of each edge: Left, Top, Right and Bottom of the result are the sizes of
    // the left, top, right and bottom edges.
    virtual TRect EdgeSizes() const = 0;
};

using TDIBPaintEvent = std::function<void(platform::TObject* sender, TAbstractSuperDIB* dib)>;

class TCustomDIBContainer : public platform::TPanel {
    TORVA_CLASS(TCustomDIBContainer)
public:
    explicit TCustomDIBContainer(platform::TComponent* owner);
    ~TCustomDIBContainer() override;

    void SetBounds(int left, int top, int width, int height) override;
    void Loaded() override;

    // The container's picture, client-sized, and the surface lent to each DIB child.
    TWinDIB& OffscreenDIB() { return *m_offscreen; }
    TWinDIB& WorkDIB() { return *m_work; }
    // The rectangle of the paint in progress or of the last one (client coordinates).
    const TRect& DirtyRect() const { return m_dirty; }

    TCustomDIBControl* ActiveDIBControl() const { return m_activeControl; }
    // Ignored while an activation is in progress. The former control hears kill-focus, the
    // new one set-focus, then OnActiveControlChange fires.
    virtual void SetActiveDIBControl(TCustomDIBControl* control);

    // The DIB tab list, in order.
    int DIBTabCount() const { return static_cast<int>(m_tabList.size()); }
    TCustomDIBControl* DIBTabControl(int index) const;
    int DIBTabIndexOf(const TCustomDIBControl* control) const;
    // Takes the control out of the list and puts it back at `index` (appended at or beyond
    // the end, left out when negative); the container is a tab stop exactly while the list
    // is not empty.
    void SetDIBTabIndex(TCustomDIBControl* control, int index);
    // The list from the DIB children's stored tab orders, ascending.
    virtual void RebuildDIBTabOrder();
    // A DIB child that leaves (destroyed or re-parented) is forgotten: tab list, activation.
    void DIBControlRemoved(TCustomDIBControl* control);

    IDIBBorder* DIBBorder() const { return m_border; }
    virtual void SetDIBBorder(IDIBBorder* border);
    TBorderDrawPosition BorderDrawPosition() const { return m_borderDrawPosition; }
    void SetBorderDrawPosition(TBorderDrawPosition value);

    // The palette component of the form (the first one it owns); used only on an 8-bit display.
    const IDIBLookupPalette* Palette() const;
    // An 8-bit display to present on instead of the form's picture (none on our displays).
    void SetDisplayDevice(IDIB8BitDevice* device) { m_displayDevice = device; }

    // The client area left to aligned children: the border's edges are taken off.
    TRect AlignRect() const;
    // Places the children whose Align is set within AlignRect, top, bottom, left, right, then
    // client, as the framework does.
    void AlignControls();

    // The platform's paint: composes `dirty` and copies it into `surface` at `origin`.
    void PaintHandler(const PixelView& surface, TPoint origin, const TRect& dirty) override;
    // A paint into a supplied picture: `clip` is painted as it is, with no re-issue.
    void PaintToSurface(const PixelView& surface, TPoint origin, const TRect& clip);

    // The container wants every key.
    uint32_t DialogCode() const { return DLGC_WANTALLKEYS; }
    void KeyDown(uint16_t& key, platform::TShiftState shift) override;
    void KeyUp(uint16_t& key, platform::TShiftState shift) override;
    void KeyPress(char& key) override;
    void DoEnter() override;
    void DoExit() override;
    void MouseUp(platform::TMouseButton button, platform::TShiftState shift, int x, int y) override;
    // A left button released after `captured` held the mouse: when the pointer is now over
    // another control, a captured DIB control left behind hears mouse-leave and the control
    // under the pointer the mouse-enter it missed.
    void CaptureReleased(platform::TControl* captured, TPoint formPoint);

    // Moves the activation to the next (backward: previous) enabled control of the DIB tab
    // list, then to the windowed children in tab order; false when it would wrap.
    bool SelectNextDIBControl(bool backward);

    TDIBPaintEvent BeforePaint;
    TDIBPaintEvent AfterPaint;
    platform::TNotifyEvent OnActiveControlChange;

protected:
    // The steps around the children of a paint: border over the controls, then AfterPaint;
    // BeforePaint.
    virtual void DoAfterPaint();
    virtual void DoBeforePaint();
    void Notification(platform::TComponent* component, platform::TOperation operation) override;
    void Resize() override;

private:
    void Compose(const TRect& dirty);
    void FillBackground(const TRect& dirty);
    void PaintChildren(const TRect& dirty);
    void PaintDIBChild(TCustomDIBControl& child);
    void PaintGraphicChild(platform::TControl& child, const TRect& dirty);
    void Present(const PixelView& surface, TPoint origin, const TRect& dirty);
    void PaintWindowedChildren(const PixelView& surface, TPoint origin, const TRect& dirty);
    TRect ClampToScreen(const TRect& rect) const;
    bool RouteKey(uint16_t key, platform::TShiftState shift) const;
    void HandleTab(uint16_t& key, platform::TShiftState shift);
    bool ClickAccelerator(uint16_t key, platform::TShiftState shift);
    void ResizeOffscreen();
    void EnsureOffscreenSize();
    void ActivateOnEnter(bool backward);

    std::unique_ptr<TWinDIB> m_offscreen;
    std::unique_ptr<TWinDIB> m_work;
    TCustomDIBControl* m_activeControl = nullptr;
    bool m_activating = false;
    bool m_tabbing = false;
    bool m_paintReissued = false;
    std::vector<TCustomDIBControl*> m_tabList;
    IDIBBorder* m_border = nullptr;
    TBorderDrawPosition m_borderDrawPosition = bdOverControls;
    TRect m_dirty;
    // Found when first needed: a component is not yet a palette while its owner hears of it.
    mutable const IDIBLookupPalette* m_palette = nullptr;
    mutable platform::TComponent* m_paletteComponent = nullptr;
    IDIB8BitDevice* m_displayDevice = nullptr;
    platform::TShiftState m_lastShift = 0;
};

class TDIBContainer : public TCustomDIBContainer {
    TORVA_CLASS(TDIBContainer)
public:
    explicit TDIBContainer(platform::TComponent* owner)
        : TCustomDIBContainer(owner)
    {
    }
};
