#pragma once

// The category column: its icons and captions from the page table, which of them are lit, the
// markers that follow the pointer, and scrolling and fading the column through its two zones.

#include "menu/form/LayoutControls.h"
#include "platform/types/Geometry.h"

#include <cstdint>
#include <vector>

class MenuState;
struct IconLight;
class TDIBFadeLabel;
class TDIBImage;
namespace platform {
class TImage;
class TObject;
class TTimer;
}

class IconColumn {
public:
    // Takes its controls from the read layout `form`: the icons DIBSection1 to 10 and their
    // captions IconLabel1 to 10, the zones Image5 and Image6 with their arrows Up and Down and
    // timers, the covers Cover3 and Cover4 and the markers Image7 and Image8.
    IconColumn(const MenuState& model, const platform::TComponent& form);

    TDIBImage* Icon(int n) const { return Numbered(m_icons, n); }
    TDIBFadeLabel* Caption(int n) const { return Numbered(m_captions, n); }

    // The icons and captions of the model's page table.
    void ShowPages();
    void Light(const std::vector<IconLight>& lights);
    // The markers beside the column follow the pointer over `control` (at x, y within it).
    void MoveArrows(platform::TObject* control, int x, int y);
    // Pointing at the column's top zone (Image5 and the Up arrow) or its bottom zone (Image6
    // and the Down arrow) shows the zone's arrow and starts its scroll timer.
    void PointScrollZone(bool top, platform::TObject* sender, int x, int y);
    // The wheel over the column points at the zone in its direction; `at` is on the screen.
    void Roll(bool down, TPoint at);
    // The pointer left the zones: their arrows go and the column stops.
    void StopScrolling();
    // One tick of each zone's timer.
    void ScrollDownTick();
    void ScrollUpTick();
    // Scrolls as the zones would until the icon in `slot` stands in the band.
    void BringIntoBand(int32_t slot);

private:
    void SetOpacity(int32_t n, int32_t step);
    void MoveColumn(int dy);

    const MenuState& m_model;
    std::array<TDIBImage*, 10> m_icons;
    std::array<TDIBFadeLabel*, 10> m_captions;
    platform::TImage* m_topZone;
    platform::TImage* m_bottomZone;
    platform::TImage* m_topCover;
    platform::TImage* m_bottomCover;
    platform::TImage* m_upArrow;
    platform::TImage* m_downArrow;
    platform::TImage* m_rowMarker;
    platform::TImage* m_columnMarker;
    platform::TTimer* m_downTimer;
    platform::TTimer* m_upTimer;
    int32_t m_stripStep = 0;
};
