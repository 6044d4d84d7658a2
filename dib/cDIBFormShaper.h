#pragma once

// Cuts a window to the shape of a picture: the region covers every pixel that is not the key
// colour, in runs of two or more pixels per row. The picture is an image-list item when
// IndexShape names one, else the shaper's own bitmap.

#include "dib/cDIB.h"
#include "dib/cDIBImageList.h"

#include <optional>
#include <vector>

// The window a shaper cuts, as far as the shaper needs to know it.
class IDIBShapeTarget {
public:
    virtual ~IDIBShapeTarget() = default;
    virtual bool IsForm() const = 0;
    virtual bool HasBorder() const = 0;
    virtual bool IsDesigning() const = 0;
    virtual int Width() const = 0;
    virtual int Height() const = 0;
    virtual int ClientWidth() const = 0;
    virtual int ClientHeight() const = 0;
    // Replaces the window's region (rectangles in window coordinates, right and bottom
    // exclusive) and redraws; nullopt removes it, so the window is whole again. An empty
    // region is a real region: nothing of the window shows.
    virtual void SetWindowRegion(std::optional<std::vector<TRect>> region) = 0;
};

// A window without a display: it keeps the region it was given.
class THeadlessShapeTarget : public IDIBShapeTarget {
public:
    bool form = true;
    bool border = false;
    bool designing = false;
    int width = 0;
    int height = 0;
    int clientWidth = 0;
    int clientHeight = 0;
    std::optional<std::vector<TRect>> region;
    int regionChanges = 0;

    bool IsForm() const override { return form; }
    bool HasBorder() const override { return border; }
    bool IsDesigning() const override { return designing; }
    int Width() const override { return width; }
    int Height() const override { return height; }
    int ClientWidth() const override { return clientWidth; }
    int ClientHeight() const override { return clientHeight; }
    void SetWindowRegion(std::optional<std::vector<TRect>> value) override
    {
        region = std::move(value);
        ++regionChanges;
    }
};

class TDIBFormShaper {
public:
    // owner: the window the shaper cuts when ControlToShape is not set (the form or windowed
    // control the shaper belongs to), or nullptr.
    explicit TDIBFormShaper(IDIBShapeTarget* owner = nullptr);
    ~TDIBFormShaper();
    TDIBFormShaper(const TDIBFormShaper&) = delete;
    TDIBFormShaper& operator=(const TDIBFormShaper&) = delete;

    bool Active() const { return m_active; }
    void SetActive(bool value);
    // The picture used when IndexShape gives none; pixels in surface order, rows bottom-up.
    TMemoryDIB& Bitmap() { return *m_bitmap; }
    void SetBitmap(const TAbstractSuperDIB& source);
    bool ClientAreaOnly() const { return m_clientAreaOnly; }
    void SetClientAreaOnly(bool value);
    // The stored control, else the owner.
    IDIBShapeTarget* ControlToShape() const { return m_control ? m_control : m_owner; }
    void SetControlToShape(IDIBShapeTarget* control);
    TCustomDIBImageList* DIBImageList() const { return m_indexShape.DIBImageList(); }
    void SetDIBImageList(TCustomDIBImageList* list) { m_indexShape.SetDIBImageList(list); }
    TDIBImageLink& IndexShape() { return m_indexShape; }
    int OffsetX() const { return m_offsetX; }
    void SetOffsetX(int value);
    int OffsetY() const { return m_offsetY; }
    void SetOffsetY(int value);
    // A colour reference (0x00BBGGRR).
    TColor TransparentColor() const { return m_transparentColor; }
    void SetTransparentColor(TColor value);
    TTransparentMode TransparentMode() const { return m_transparentMode; }
    void SetTransparentMode(TTransparentMode value);

    // While loading, property writes are only stored; Loaded applies what was stored.
    void BeginLoading() { m_loading = true; }
    bool IsLoading() const { return m_loading; }
    void Loaded();
    // The target window went away: forget it and stop, without touching any window.
    void TargetRemoved(IDIBShapeTarget* target);

    // The region as it would be applied now, offsets included, form adjustment not.
    std::vector<TRect> BuildShape() const;
    // Builds the shape and hands it to the target.
    void Apply();

private:
    void ReapplyIfActive();
    void IndexShapeChanged();

    IDIBShapeTarget* m_owner;
    IDIBShapeTarget* m_control = nullptr;
    bool m_active = false;
    bool m_clientAreaOnly = false;
    bool m_loading = false;
    bool m_destroying = false;
    int m_offsetX = 0;
    int m_offsetY = 0;
    TColor m_transparentColor = 0;
    TTransparentMode m_transparentMode = tmAuto;
    std::unique_ptr<TMemoryDIB> m_bitmap;
    TDIBImageLink m_indexShape;
};
