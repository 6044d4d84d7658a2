#pragma once

// The ten-row item list of the open page: which entries the rows show, how they are coloured,
// where the selection stands and the list buttons' covers.

#include "menu/form/LayoutControls.h"

#include <cstdint>

class MenuState;
class TDIBFadeLabel;
namespace platform {
class TImage;
class TLabel;
}

class ItemListView {
public:
    // Takes its controls from the read layout `form`: the rows DemosLabel1 to 10, the covers
    // Cover2 and Cover1 over the list buttons and PositionLabel.
    ItemListView(const MenuState& model, const platform::TComponent& form);

    TDIBFadeLabel* Row(int n) const { return Numbered(m_rows, n); }
    // Writes the rows from the list's top and marks the selection.
    void Fill();
    // Marks row `row` (1 to 10) as the selection and covers the buttons at the list's ends.
    void HighLight(int32_t row);
    // Every row in the normal colour.
    void Unbold();
    void Clear();
    // "n z count" under the list; nothing on an empty page.
    void ShowPosition();

private:
    // The installed entries of the two demo lists in their own colour.
    void Bold();

    const MenuState& m_model;
    std::array<TDIBFadeLabel*, 10> m_rows;
    platform::TImage* m_topCover;
    platform::TImage* m_bottomCover;
    platform::TLabel* m_position;
};
