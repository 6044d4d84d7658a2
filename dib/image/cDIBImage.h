#pragma once

// The picture control of the DIB library: one picture of an image list, drawn through the
// list's shared view into the working surface, optionally rotated, scaled, stretched to the
// control or centred in it. Whole-control fades are the base's Opacity.

#include "dib/control/cDIBControl.h"

#include <optional>

class TCustomDIBImage : public TCustomDIBControl {
    TORVA_CLASS(TCustomDIBImage)
public:
    explicit TCustomDIBImage(platform::TComponent* owner);
    ~TCustomDIBImage() override;

    TAngle Angle() const { return m_angle; }
    // Taken modulo 360; always adjusts the size.
    void SetAngle(int value);
    bool AutoSize() const { return m_autoSize; }
    // Turning it on turns Stretch off.
    void SetAutoSize(bool value);
    bool Center() const { return m_center; }
    void SetCenter(bool value);
    TDIBImageLink& IndexMain() const { return *m_indexMain; }
    // Percent, both axes; turns Stretch off.
    double Scale() const { return m_scale; }
    void SetScale(double value);
    bool Stretch() const { return m_stretch; }
    // Turning it on turns AutoSize off.
    void SetStretch(bool value);

    // With AutoSize on and a picture to show, the control takes the size of the rotated and
    // scaled picture, keeping its top-left corner; repaints in any case.
    virtual void AdjustSize();

    // Where Paint puts the picture's box in the control, and the box's size, for the picture
    // shown now (nullopt without one). The scales are those the paint sets on the view.
    struct Placement {
        TPoint Position;
        TSize Box;
        double ScaleX = 100;
        double ScaleY = 100;
    };
    std::optional<Placement> PicturePlacement() const;

protected:
    void Paint() override;
    void ImageChanged(TDIBImageLink* link, int index, TDIBLinkChange change) override;

private:
    Placement PlacementFor(const TAbstractSuperDIB& picture) const;
    // The part of the working surface inside the container's damaged rectangle, inclusive.
    TRect DamagedPart(const TAbstractSuperDIB& work) const;

    TAngle m_angle = 0;
    bool m_autoSize = false;
    bool m_center = false;
    TDIBImageLink* m_indexMain = nullptr;
    double m_scale = 100;
    bool m_stretch = false;
};

class TDIBImage : public TCustomDIBImage {
    TORVA_CLASS(TDIBImage)
public:
    explicit TDIBImage(platform::TComponent* owner)
        : TCustomDIBImage(owner)
    {
    }
};
