// The category column.

#include "menu/form/IconColumn.h"

#include "menu/MenuState.h"
#include "menu/Rounding.h"

#include "dib/image/cDIBFadeLabel.h"
#include "dib/image/cDIBImage.h"
#include "platform/components/ExtCtrls.h"

#include <algorithm>

namespace {

// The icon column's travel: where a scroll stops and where icons fade.
constexpr int TopStopIconTop = 56;
constexpr int BottomStopIconTop = 330;
constexpr int FadeStep = 30;
// More ticks than the column's whole travel takes.
constexpr int MostColumnTicks = 200;

}

IconColumn::IconColumn(const MenuState& model, const platform::TComponent& form)
    : m_model(model)
    , m_icons(LayoutFamily<TDIBImage>(form, "DIBSection"))
    , m_captions(LayoutFamily<TDIBFadeLabel>(form, "IconLabel"))
    , m_topZone(LayoutControl<platform::TImage>(form, "Image5"))
    , m_bottomZone(LayoutControl<platform::TImage>(form, "Image6"))
    , m_topCover(LayoutControl<platform::TImage>(form, "Cover3"))
    , m_bottomCover(LayoutControl<platform::TImage>(form, "Cover4"))
    , m_upArrow(LayoutControl<platform::TImage>(form, "Up"))
    , m_downArrow(LayoutControl<platform::TImage>(form, "Down"))
    , m_rowMarker(LayoutControl<platform::TImage>(form, "Image7"))
    , m_columnMarker(LayoutControl<platform::TImage>(form, "Image8"))
    , m_downTimer(LayoutControl<platform::TTimer>(form, "ScrollDownTimer"))
    , m_upTimer(LayoutControl<platform::TTimer>(form, "ScrollUpTimer"))
{
}

void IconColumn::ShowPages()
{
    for (int32_t n = 1; n <= std::min<int32_t>(m_model.PageCount(), 10); ++n) {
        const PageKind* kind = FindPageKind(m_model.Page(n).Category());
        Icon(n)->IndexMain().SetDIBIndex(kind->baseIndex);
        Icon(n)->SetTag(kind->baseIndex);
        Caption(n)->SetCaption(kind->caption);
    }
}

void IconColumn::Light(const std::vector<IconLight>& lights)
{
    for (const IconLight& light : lights)
        if (TDIBImage* icon = Icon(light.slot))
            icon->IndexMain().SetDIBIndex(icon->Tag() + (light.lit ? 1 : 0));
}

void IconColumn::BringIntoBand(int32_t slot)
{
    TDIBImage* icon = Icon(slot);
    m_stripStep = 5;
    for (int tick = 0; icon && tick < MostColumnTicks && icon->Top() > BottomStopIconTop; ++tick)
        ScrollUpTick();
    for (int tick = 0; icon && tick < MostColumnTicks && icon->Top() < TopStopIconTop; ++tick)
        ScrollDownTick();
}

void IconColumn::StopScrolling()
{
    m_downTimer->SetEnabled(false);
    m_upTimer->SetEnabled(false);
    m_upArrow->Hide();
    m_downArrow->Hide();
}

void IconColumn::SetOpacity(int32_t n, int32_t step)
{
    TDIBImage* icon = Icon(n);
    if (!icon)
        return;
    int opacity = std::clamp(icon->Opacity() + step, 0, 255);
    icon->SetOpacity(opacity);
    Caption(n)->SetOpacity(opacity);
}

void IconColumn::MoveArrows(platform::TObject* control, int x, int y)
{
    if (auto* under = dynamic_cast<platform::TControl*>(control)) {
        x += under->Left();
        y += under->Top();
    }
    m_rowMarker->SetTop(std::min(RoundHalfEven(x / 3.5 + 10), 200));
    m_columnMarker->SetTop(std::max(RoundHalfEven(375 - y / 4.8), 271));
}

void IconColumn::MoveColumn(int dy)
{
    for (int n = 1; n <= 10; ++n) {
        Icon(n)->SetTop(Icon(n)->Top() + dy);
        Caption(n)->SetTop(Caption(n)->Top() + dy);
    }
}

// The top zone's tick: the column moves down and the upper slots come back into the band.
void IconColumn::ScrollDownTick()
{
    if (Icon(1)->Top() >= TopStopIconTop) {
        m_topCover->Show();
        return;
    }
    m_topCover->Hide();
    m_bottomCover->Hide();
    for (int n = 1; n <= 10; ++n) {
        int top = Icon(n)->Top();
        if (n <= 5 && top > 20)
            SetOpacity(n, FadeStep);
        if (n >= 6 && top > 330)
            SetOpacity(n, -FadeStep);
    }
    MoveColumn(m_stripStep);
}

// The bottom zone's tick: the column moves up until the last page's icon reaches the band.
void IconColumn::ScrollUpTick()
{
    const int32_t pageCount = m_model.PageCount();
    if (pageCount >= 6 && pageCount <= 10 && Icon(pageCount)->Top() < BottomStopIconTop) {
        if (pageCount == 10)
            m_bottomCover->Show();
        return;
    }
    m_topCover->Hide();
    m_bottomCover->Hide();
    for (int n = 1; n <= 10; ++n) {
        int top = Icon(n)->Top();
        if (n <= 5 && top < 50)
            SetOpacity(n, -FadeStep);
        if (n >= 6 && top < 396)
            SetOpacity(n, FadeStep);
    }
    MoveColumn(-m_stripStep);
}

// Pointing at the column's top zone (Image5 and the Up arrow) or its bottom zone (Image6 and the
// Down arrow) shows the zone's arrow and starts its scroll timer.
void IconColumn::PointScrollZone(bool top, platform::TObject* sender, int x, int y)
{
    (top ? m_upArrow : m_downArrow)->Show();
    m_stripStep = 5;
    m_downTimer->SetEnabled(!top);
    m_upTimer->SetEnabled(top);
    MoveArrows(sender, x, y);
}

void IconColumn::Roll(bool down, TPoint at)
{
    platform::TImage* zone = down ? m_bottomZone : m_topZone;
    const TPoint local = zone->ScreenToClient(at);
    PointScrollZone(!down, zone, local.X, local.Y);
}
