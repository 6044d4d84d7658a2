#include "dib/border/cDIBBorder.h"

#include <algorithm>
#include <optional>

using namespace platform;

namespace {

std::optional<TSize> PictureSize(const TDIBImageLink& link)
{
    // The list's view is re-pointed by every GetImage: take the size now, the picture later.
    const TAbstractSuperDIB* picture = link.GetImage();
    if (!picture)
        return std::nullopt;
    return TSize { picture->Width(), picture->Height() };
}

// Pixel order (0x00RRGGBB) back to a colour reference (0x00BBGGRR).
TColor PixelToColorRef(uint32_t pixel)
{
    return static_cast<TColor>((pixel & 0xFF) << 16 | (pixel & 0xFF00) | ((pixel >> 16) & 0xFF));
}

}

const EnumInfo& BorderDrawStyleInfo()
{
    static const EnumInfo info { "TDIBBorderDrawStyle", { { "dsTile", dsTile }, { "dsStretch", dsStretch } } };
    return info;
}

void StretchNearest(const TAbstractSuperDIB& source, TAbstractSuperDIB& dest)
{
    if (!source.Bits() || !dest.Bits())
        return;
    const int64_t stepX = int64_t(source.Width()) * 65536 / dest.Width();
    const int64_t stepY = int64_t(source.Height()) * 65536 / dest.Height();
    for (int y = 0; y < dest.Height(); ++y) {
        const uint32_t* from = source.ScanLine(static_cast<int>((y * stepY) >> 16));
        uint32_t* to = dest.ScanLine(y);
        int64_t sx = 0;
        for (int x = 0; x < dest.Width(); ++x, sx += stepX)
            to[x] = from[sx >> 16];
    }
}

// ---- edges ---------------------------------------------------------------------------------

namespace {

template <class Edge>
ClassBuilder<Edge> EdgeProperties(const char* name, const char* first, const char* last)
{
    ClassBuilder<Edge> builder(name, &TDIBBorderEdge::StaticClass());
    builder.Object(first, [](Edge& e) -> TPersistent& { return e.FirstImage(); })
        .Object("ImageMiddle", [](Edge& e) -> TPersistent& { return e.MiddleImage(); })
        .Object(last, [](Edge& e) -> TPersistent& { return e.LastImage(); })
        .Boolean("AutoCalcSize", &Edge::AutoCalcSize, &Edge::SetAutoCalcSize, true)
        .Enum("DrawStyle", BorderDrawStyleInfo(), &Edge::DrawStyle, &Edge::SetDrawStyle, dsTile)
        .Integer("Size", &Edge::Size, &Edge::SetSize, TDIBBorderEdge::DefaultSize)
        // A computed size is not worth storing: it follows the pictures.
        .StoredIf([](const Edge& e) { return !e.AutoCalcSize(); });
    return builder;
}

}

const ClassInfo& TDIBBorderEdge::StaticClass()
{
    static const ClassInfo info("TDIBBorderEdge", &TPersistent::StaticClass());
    return info;
}

const ClassInfo& TDIBHorzBorderEdge::StaticClass()
{
    static const ClassInfo info = EdgeProperties<TDIBHorzBorderEdge>("TDIBHorzBorderEdge", "ImageLeft", "ImageRight").Build();
    return info;
}

const ClassInfo& TDIBVertBorderEdge::StaticClass()
{
    static const ClassInfo info = EdgeProperties<TDIBVertBorderEdge>("TDIBVertBorderEdge", "ImageTop", "ImageBottom").Build();
    return info;
}

TDIBBorderEdge::TDIBBorderEdge(TDIBBorder& border, TDIBBorderEdgeKind kind)
    : m_border(border)
    , m_kind(kind)
{
    for (auto& link : m_links) {
        link = std::make_unique<TDIBImageLink>(&border);
        link->OnChange = [this](TDIBImageLink*, int, TDIBLinkChange) { Changed(); };
    }
}

TDIBBorderEdge::~TDIBBorderEdge() = default;

void TDIBBorderEdge::Changed()
{
    m_border.Changed();
}

void TDIBBorderEdge::SetDrawStyle(TDIBBorderDrawStyle value)
{
    if (ChangeValue(m_drawStyle, value))
        Changed();
}

void TDIBBorderEdge::SetAutoCalcSize(bool value)
{
    if (ChangeValue(m_autoCalcSize, value))
        Changed();
}

int TDIBBorderEdge::Size() const
{
    return m_autoCalcSize ? ComputedSize() : m_size;
}

void TDIBBorderEdge::SetSize(int value)
{
    if (ChangeValue(m_size, std::max(0, value)))
        Changed();
}

int TDIBBorderEdge::ComputedSize() const
{
    int size = 0;
    for (const auto& link : m_links) {
        if (auto picture = PictureSize(*link))
            size = std::max(size, Vertical() ? picture->cx : picture->cy);
    }
    return size;
}

void TDIBBorderEdge::Draw(TAbstractSuperDIB& surface, const TRect& rect) const
{
    const auto first = PictureSize(FirstImage());
    const auto middle = PictureSize(MiddleImage());
    const auto last = PictureSize(LastImage());
    if (!first && !middle && !last)
        return;
    const bool vertical = Vertical();
    auto along = [vertical](const TSize& s) { return vertical ? s.cy : s.cx; };
    int start = vertical ? rect.Top : rect.Left;
    const int end = vertical ? rect.Bottom : rect.Right;
    int length = end - start;
    if (first) {
        start += along(*first);
        length -= along(*first);
    }
    if (last)
        length -= along(*last);
    if (middle)
        DrawMiddle(surface, rect, start, length);
    // Each end sits flush with its corner of the rectangle.
    auto drawEnd = [&](const TDIBImageLink& link, int position) {
        TAbstractSuperDIB* picture = link.GetImage();
        const bool farSide = m_kind == TDIBBorderEdgeKind::Right || m_kind == TDIBBorderEdgeKind::Bottom;
        if (vertical) {
            const int x = farSide ? rect.Right - picture->Width() : rect.Left;
            picture->Draw(x, position, picture->Width(), picture->Height(), surface, 0, 0);
        } else {
            const int y = farSide ? rect.Bottom - picture->Height() : rect.Top;
            picture->Draw(position, y, picture->Width(), picture->Height(), surface, 0, 0);
        }
    };
    if (first)
        drawEnd(FirstImage(), vertical ? rect.Top : rect.Left);
    if (last)
        drawEnd(LastImage(), end - along(*last));
}

void TDIBBorderEdge::DrawMiddle(TAbstractSuperDIB& surface, const TRect& rect, int start, int length) const
{
    TAbstractSuperDIB* picture = MiddleImage().GetImage();
    const bool vertical = Vertical();
    const bool farSide = m_kind == TDIBBorderEdgeKind::Right || m_kind == TDIBBorderEdgeKind::Bottom;
    const int across = vertical ? (farSide ? rect.Right - picture->Width() : rect.Left)
                                : (farSide ? rect.Bottom - picture->Height() : rect.Top);
    if (length <= 0)
        return;
    if (m_drawStyle == dsStretch) {
        TMemoryDIB stretched(vertical ? picture->Width() : length, vertical ? length : picture->Height());
        StretchNearest(*picture, stretched);
        // The stretched copy draws the way the picture itself would: opacity, mask and key
        // (an automatic key is pinned to the picture's own, which the copy may not sample).
        picture->AssignProperties(stretched);
        if (picture->Transparent() && picture->TransparentMode() == tmAuto) {
            stretched.SetTransparentMode(tmFixed);
            stretched.SetTransparentColor(PixelToColorRef(picture->TransparentColor()));
        }
        stretched.Changed();
        if (vertical)
            stretched.Draw(across, start, stretched.Width(), stretched.Height(), surface, 0, 0);
        else
            stretched.Draw(start, across, stretched.Width(), stretched.Height(), surface, 0, 0);
        return;
    }
    const int step = vertical ? picture->Height() : picture->Width();
    for (; length > 0; start += step, length -= step) {
        if (vertical)
            picture->Draw(across, start, picture->Width(), length, surface, 0, 0);
        else
            picture->Draw(start, across, length, picture->Height(), surface, 0, 0);
    }
}

// ---- border --------------------------------------------------------------------------------

const ClassInfo& TDIBBorder::StaticClass()
{
    static const ClassInfo info = ClassBuilder<TDIBBorder>("TDIBBorder", &TComponent::StaticClass())
                                      .Creatable()
                                      .Object("BorderBottom", [](TDIBBorder& b) -> TPersistent& { return b.BorderBottom(); })
                                      .Object("BorderLeft", [](TDIBBorder& b) -> TPersistent& { return b.BorderLeft(); })
                                      .Object("BorderRight", [](TDIBBorder& b) -> TPersistent& { return b.BorderRight(); })
                                      .Object("BorderTop", [](TDIBBorder& b) -> TPersistent& { return b.BorderTop(); })
                                      .Component<TCustomDIBImageList>("DIBImageList", &TDIBBorder::DIBImageList, &TDIBBorder::SetDIBImageList)
                                      .Build();
    return info;
}
static ClassRegistration borderRegistration(TDIBBorder::StaticClass());

TDIBBorder::TDIBBorder(TComponent* owner)
    : TComponent(owner)
    , m_top(std::make_unique<TDIBHorzBorderEdge>(*this, TDIBBorderEdgeKind::Top))
    , m_bottom(std::make_unique<TDIBHorzBorderEdge>(*this, TDIBBorderEdgeKind::Bottom))
    , m_left(std::make_unique<TDIBVertBorderEdge>(*this, TDIBBorderEdgeKind::Left))
    , m_right(std::make_unique<TDIBVertBorderEdge>(*this, TDIBBorderEdgeKind::Right))
{
}

TDIBBorder::~TDIBBorder()
{
    SetReference(m_imageList, nullptr);
}

void TDIBBorder::SetDIBImageList(TCustomDIBImageList* list)
{
    SetReference(m_imageList, list);
    for (TDIBBorderEdge* edge : { static_cast<TDIBBorderEdge*>(m_top.get()), static_cast<TDIBBorderEdge*>(m_bottom.get()),
             static_cast<TDIBBorderEdge*>(m_left.get()), static_cast<TDIBBorderEdge*>(m_right.get()) }) {
        for (int i = 0; i < 3; ++i)
            edge->Link(i).SetDIBImageList(list);
    }
    Changed();
}

void TDIBBorder::Notification(TComponent* component, TOperation operation)
{
    TComponent::Notification(component, operation);
    if (operation == TOperation::opRemove && component && component == m_imageList)
        SetDIBImageList(nullptr);
}

void TDIBBorder::DrawBorder(TAbstractSuperDIB& surface, const TRect& rect)
{
    m_left->Draw(surface, rect);
    m_right->Draw(surface, rect);
    const TRect inner { rect.Left + m_left->ComputedSize(), rect.Top, rect.Right - m_right->ComputedSize(), rect.Bottom };
    m_top->Draw(surface, inner);
    m_bottom->Draw(surface, inner);
}

TRect TDIBBorder::EdgeSizes() const
{
    return { m_left->Size(), m_top->Size(), m_right->Size(), m_bottom->Size() };
}

void TDIBBorder::Changed()
{
    if (IsDestroying() || IsLoading() || !Owner())
        return;
    for (int i = 0; i < Owner()->ComponentCount(); ++i) {
        auto* container = dynamic_cast<TCustomDIBContainer*>(Owner()->Components(i));
        if (container && container->DIBBorder() == this)
            container->Invalidate();
    }
}
