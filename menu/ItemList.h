#pragma once

// What the item list shows of the catalogue, page by page: how many entries a page lists, the
// name of each, and where a typed letter jumps to. The selection is the menu model's, the rows
// and their colours the item list view's.

#include "menu/DiscCatalogue.h"

#include <cstdint>
#include <string>
#include <vector>

class ItemList {
public:
    explicit ItemList(const DiscCatalogue& catalogue)
        : m_catalogue(catalogue)
    {
    }

    // Whether the page of a category lists catalogue entries (the settings page lists its own).
    static bool Lists(CategoryCode category);
    // How many entries the page of a category lists (the settings page two).
    uint8_t Count(CategoryCode code) const;
    std::string Name(CategoryCode code, int32_t index) const;
    std::vector<std::string> Names(CategoryCode code) const;
    // The first entry whose name starts with `c`, from 1; 0 when none does.
    int32_t FindPosition(CategoryCode code, char c) const;

private:
    const DiscCatalogue& m_catalogue;
};
