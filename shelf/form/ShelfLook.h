#pragma once

// The shelf window's artwork (ShelfArt.h) on a canvas: the background with its frame and title,
// the search field, and a row lit for the selection or greyed for a disc that cannot be opened.
// A picture missing from the program is drawn as a flat colour of the same place.

#include "platform/canvas/Canvas.h"
#include "platform/picture/Picture.h"

#include <optional>

class ShelfLook {
public:
    ShelfLook();

    void PaintBackground(platform::TCanvas& canvas) const;
    void PaintSearchField(platform::TCanvas& canvas) const;
    // A row's plate; a row neither chosen nor greyed has none.
    void PaintRow(platform::TCanvas& canvas, const TRect& rect, bool chosen, bool greyed) const;

private:
    std::optional<platform::Picture> m_background;
    std::optional<platform::Picture> m_row;
    std::optional<platform::Picture> m_greyedRow;
    std::optional<platform::Picture> m_search;
};
