#pragma once

// What the shelf's window shows and where its selection is, without the window: every disc of
// the index as a row, or while a query is typed the items it finds across the discs, and the
// selected row kept in a page of rows. Keys map onto its operations; what Enter opens comes back
// for the program to open. Texts are code page 1250.

#include "shelf/ShelfIndex.h"

#include <cstddef>
#include <optional>
#include <string>
#include <vector>

namespace shelf {

// One row: a disc, or an item a query found on it.
struct ShelfRow {
    size_t disc = 0;
    std::optional<ShelfHit> hit;

    bool operator==(const ShelfRow&) const = default;
};

// What Enter asks to open: a disc, on the hit's item when the row is one.
struct ShelfOpening {
    std::filesystem::path source;
    std::optional<ShelfHit> hit;

    bool operator==(const ShelfOpening&) const = default;
};

class ShelfState {
public:
    // Rows a page shows; Page Up and Page Down move by one less.
    explicit ShelfState(int pageRows);

    // The discs to list (the index outlives the state); the query and selection are kept as far
    // as they still fit.
    void SetIndex(const ShelfIndex* index);
    const ShelfIndex* Index() const { return m_index; }

    const std::string& Query() const { return m_query; }
    size_t RowCount() const { return m_rows.size(); }
    const ShelfRow& Row(size_t row) const { return m_rows.at(row); }
    // The selected row, or -1 when there are none.
    int Selected() const { return m_rows.empty() ? -1 : m_selected; }
    // The first row the page shows.
    int Top() const { return m_top; }
    int PageRows() const { return m_pageRows; }

    // A disc row: its label and issue; a hit: the item's name, its category and its disc.
    std::string RowText(size_t row) const;
    // Why a disc row cannot be opened (it is greyed); empty when it can.
    std::string Problem(size_t row) const;

    // Typing: a printable character of code page 1250 goes on the query, Backspace takes the
    // last one off; the rows follow and the first one is selected.
    void Type(char c);
    void Backspace();
    // Clears the query; false when it was already empty (the user asked to leave).
    bool Escape();

    void Step(int rows);
    void PageBy(int pages);
    void Home();
    void End();
    // A click on a row of the page (0 is the top row shown); false when none is there.
    bool SelectOnPage(int offset);

    // What Enter opens; nothing for a damaged disc or without rows.
    std::optional<ShelfOpening> Enter() const;

private:
    void Filter();
    void SelectRow(int row);

    const ShelfIndex* m_index = nullptr;
    int m_pageRows;
    std::string m_query;
    std::vector<ShelfRow> m_rows;
    int m_selected = 0;
    int m_top = 0;
};

// The category's short name as the shelf shows it (code page 1250).
std::string CategoryTitle(CategoryCode category);

}
