#pragma once

// A frame drawn around a container from image-list pictures: four edges, each with a picture
// for either end and one for the middle that is tiled or stretched along the edge. The
// container draws the frame under or over its controls and keeps aligned children inside it.

#include "dib/imagelist/cDIBImageList.h"
#include "dib/control/cDIBPanel.h"
#include "platform/components/Classes.h"

#include <array>
#include <memory>

enum TDIBBorderDrawStyle : uint8_t { dsTile,
    dsStretch };
const platform::EnumInfo& BorderDrawStyleInfo();

enum class TDIBBorderEdgeKind : uint8_t { Left = 0,
    Right = 1,
    Top = 2,
    Bottom = 3 };

class TDIBBorder;

class TDIBBorderEdge : public platform::TPersistent {
    TORVA_CLASS(TDIBBorderEdge)
public:
    static constexpr int DefaultSize = 32;

    TDIBBorderEdge(TDIBBorder& border, TDIBBorderEdgeKind kind);
    ~TDIBBorderEdge() override;

    TDIBBorderEdgeKind Kind() const { return m_kind; }
    bool Vertical() const { return m_kind == TDIBBorderEdgeKind::Left || m_kind == TDIBBorderEdgeKind::Right; }
    // The picture at the left or top end, the middle one, the one at the right or bottom end.
    TDIBImageLink& FirstImage() const { return *m_links[0]; }
    TDIBImageLink& MiddleImage() const { return *m_links[1]; }
    TDIBImageLink& LastImage() const { return *m_links[2]; }
    TDIBImageLink& Link(int index) const { return *m_links.at(static_cast<size_t>(index)); }

    TDIBBorderDrawStyle DrawStyle() const { return m_drawStyle; }
    void SetDrawStyle(TDIBBorderDrawStyle value);
    bool AutoCalcSize() const { return m_autoCalcSize; }
    void SetAutoCalcSize(bool value);
    // The computed size with AutoCalcSize, else the stored one.
    int Size() const;
    void SetSize(int value);
    int StoredSize() const { return m_size; }
    // The widest (left and right edges) or tallest (top and bottom) of the edge's pictures.
    int ComputedSize() const;

    void Draw(TAbstractSuperDIB& surface, const TRect& rect) const;

private:
    void DrawMiddle(TAbstractSuperDIB& surface, const TRect& rect, int start, int length) const;
    void Changed();

    TDIBBorder& m_border;
    TDIBBorderEdgeKind m_kind;
    std::array<std::unique_ptr<TDIBImageLink>, 3> m_links;
    TDIBBorderDrawStyle m_drawStyle = dsTile;
    bool m_autoCalcSize = true;
    int m_size = DefaultSize;
};

class TDIBHorzBorderEdge : public TDIBBorderEdge {
    TORVA_CLASS(TDIBHorzBorderEdge)
public:
    using TDIBBorderEdge::TDIBBorderEdge;
};

class TDIBVertBorderEdge : public TDIBBorderEdge {
    TORVA_CLASS(TDIBVertBorderEdge)
public:
    using TDIBBorderEdge::TDIBBorderEdge;
};

class TDIBBorder : public platform::TComponent, public IDIBBorder {
    TORVA_CLASS(TDIBBorder)
public:
    explicit TDIBBorder(platform::TComponent* owner);
    ~TDIBBorder() override;

    TDIBHorzBorderEdge& BorderTop() const { return *m_top; }
    TDIBHorzBorderEdge& BorderBottom() const { return *m_bottom; }
    TDIBVertBorderEdge& BorderLeft() const { return *m_left; }
    TDIBVertBorderEdge& BorderRight() const { return *m_right; }

    TCustomDIBImageList* DIBImageList() const { return m_imageList; }
    // Every edge's pictures come from this list.
    void SetDIBImageList(TCustomDIBImageList* list);

    // IDIBBorder
    void DrawBorder(TAbstractSuperDIB& surface, const TRect& rect) override;
    TRect EdgeSizes() const override;

    // Something about the frame's looks changed: the containers showing it repaint.
    void Changed();

protected:
    void Notification(platform::TComponent* component, platform::TOperation operation) override;

private:
    std::unique_ptr<TDIBHorzBorderEdge> m_top;
    std::unique_ptr<TDIBHorzBorderEdge> m_bottom;
    std::unique_ptr<TDIBVertBorderEdge> m_left;
    std::unique_ptr<TDIBVertBorderEdge> m_right;
    TCustomDIBImageList* m_imageList = nullptr;
};

// Fills `dest` from `source` by nearest-neighbour sampling in 16.16 fixed point (a step of
// source size * 65536 / target size on each axis).
void StretchNearest(const TAbstractSuperDIB& source, TAbstractSuperDIB& dest);
