#pragma once

// Cuts a window to the shape of a picture: the region covers every pixel that is not the key
// colour, in runs of two or more pixels per row. The picture is an image-list item when
// IndexShape names one, else the shaper's own bitmap.

#include "dib/surface/cDIB.h"
#include "dib/imagelist/cDIBImageList.h"
#include "platform/components/Controls.h"
#include "platform/components/Forms.h"
#include "platform/components/Graphics.h"

#include <vector>

class TDIBFormShaper : public platform::TComponent {
    TORVA_CLASS(TDIBFormShaper)
public:
    explicit TDIBFormShaper(platform::TComponent* owner = nullptr);
    ~TDIBFormShaper() override;

    bool Active() const { return m_active; }
    void SetActive(bool value);
    // The picture used when IndexShape gives none.
    platform::TBitmap& Bitmap() { return m_bitmap; }
    void SetBitmap(const platform::TBitmap& source) { m_bitmap.Assign(source); }
    bool ClientAreaOnly() const { return m_clientAreaOnly; }
    void SetClientAreaOnly(bool value);
    // The stored control; without one the owner when it is windowed, else the nearest form up
    // the owner chain, or nullptr.
    platform::TWinControl* ControlToShape() const;
    void SetControlToShape(platform::TWinControl* control);
    TCustomDIBImageList* DIBImageList() const { return m_indexShape.DIBImageList(); }
    void SetDIBImageList(TCustomDIBImageList* list) { m_indexShape.SetDIBImageList(list); }
    TDIBImageLink& IndexShape() { return m_indexShape; }
    int OffsetX() const { return m_offsetX; }
    void SetOffsetX(int value);
    int OffsetY() const { return m_offsetY; }
    void SetOffsetY(int value);
    // A colour reference (0x00BBGGRR).
    TColor TransparentColor() const { return m_transparentColor; }
    void SetTransparentColor(TColor value)
    {
        if (platform::ChangeValue(m_transparentColor, value))
            ReapplyIfActive();
    }
    TTransparentMode TransparentMode() const { return m_transparentMode; }
    void SetTransparentMode(TTransparentMode value)
    {
        if (platform::ChangeValue(m_transparentMode, value))
            ReapplyIfActive();
    }

    // The region as it would be applied now, offsets included, form adjustment not.
    std::vector<TRect> BuildShape() const;
    // Builds the shape and hands it to the target window.
    void Apply();

    void Loaded() override;

protected:
    void Notification(platform::TComponent* component, platform::TOperation operation) override;

private:
    // The window that takes the region: the stored control, else the owner when windowed.
    platform::TWinControl* Target() const;
    void ReapplyIfActive();

    platform::TWinControl* m_control = nullptr;
    bool m_active = false;
    bool m_clientAreaOnly = false;
    int m_offsetX = 0;
    int m_offsetY = 0;
    TColor m_transparentColor = 0;
    TTransparentMode m_transparentMode = tmAuto;
    platform::TBitmap m_bitmap;
    TDIBImageLink m_indexShape;
};
