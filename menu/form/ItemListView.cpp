// The ten-row item list of the open page.

#include "menu/form/ItemListView.h"

#include "menu/MenuState.h"

#include "dib/image/cDIBFadeLabel.h"
#include "platform/components/ExtCtrls.h"
#include "platform/components/StdCtrls.h"

namespace {

constexpr int kRows = 10;

constexpr TColor kNormalColour = 0x2B322F;
constexpr TColor kSelectedColour = 0x000000;
constexpr TColor kInstalledColour = 0xC0C0C0;

bool MarksInstalled(CategoryCode category)
{
    return category == CategoryCode::Demos || category == CategoryCode::Extra2;
}

}

ItemListView::ItemListView(const MenuState& model, const platform::TComponent& form)
    : m_model(model)
    , m_rows(LayoutFamily<TDIBFadeLabel>(form, "DemosLabel"))
    , m_topCover(LayoutControl<platform::TImage>(form, "Cover2"))
    , m_bottomCover(LayoutControl<platform::TImage>(form, "Cover1"))
    , m_position(LayoutControl<platform::TLabel>(form, "PositionLabel"))
{
}

// The rows are written before the selection is marked, so the selected row reads black even
// when it shows an installed item (marking first would let the installed colour win).
void ItemListView::Fill()
{
    const CategoryCode category = m_model.Category();
    if (ItemList::Lists(category)) {
        for (int r = 1; r <= kRows; ++r)
            Row(r)->SetCaption(m_model.List.Name(category, m_model.TopIndex() + r - 1));
    } else if (category == CategoryCode::Settings) {
        Clear();
        Row(1)->SetCaption("ENHANCED MODE");
        Row(2)->SetCaption("SLOW COMPUTER");
    }
    HighLight(m_model.ItemIndex() - m_model.TopIndex() + 1);
}

void ItemListView::HighLight(int32_t row)
{
    Bold();
    for (int r = 1; r <= kRows; ++r) {
        TDIBFadeLabel* label = Row(r);
        if (label->Font().Color() == kSelectedColour)
            label->Font().SetColor(kNormalColour);
    }
    if (row >= 1 && row <= kRows)
        Row(row)->Font().SetColor(kSelectedColour);
    m_topCover->SetVisible(m_model.ItemIndex() == 1);
    m_bottomCover->SetVisible(m_model.ItemIndex() == m_model.Count());
}

void ItemListView::Bold()
{
    const CategoryCode category = m_model.Category();
    if (!MarksInstalled(category))
        return;
    const DiscCatalogue& catalogue = m_model.Catalogue;
    auto installed = [&](int32_t i) {
        if (category == CategoryCode::Demos)
            return i >= 1 && i <= decltype(catalogue.Demos)::capacity && catalogue.Demos[i].Installed == 1;
        return i >= 1 && i <= decltype(catalogue.Extra2)::capacity && catalogue.Extra2[i].Installed == 1;
    };
    for (int r = 1; r <= kRows; ++r) {
        TDIBFadeLabel* label = Row(r);
        if (installed(m_model.TopIndex() + r - 1)) {
            label->Font().SetColor(kInstalledColour);
        } else if (label->Font().Color() == kInstalledColour) {
            label->Font().SetColor(kNormalColour);
            label->SetColorHighlighted(kSelectedColour);
        }
    }
}

void ItemListView::Unbold()
{
    for (int r = 1; r <= kRows; ++r) {
        Row(r)->Font().SetColor(kNormalColour);
        Row(r)->SetColorHighlighted(kSelectedColour);
    }
    for (int r = 1; r <= kRows; ++r)
        Row(r)->SetColor(kNormalColour);
}

void ItemListView::Clear()
{
    m_position->SetCaption("");
    for (int r = 1; r <= kRows; ++r)
        Row(r)->SetCaption("");
}

void ItemListView::ShowPosition()
{
    const int32_t count = m_model.Count();
    m_position->SetCaption(count != 0 ? std::to_string(m_model.ItemIndex()) + " z " + std::to_string(count) : std::string());
}
