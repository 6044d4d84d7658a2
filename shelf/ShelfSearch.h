#pragma once

// Searching every disc of the shelf at once by item name, company and description, without
// regard to case or Czech diacritics. The folded texts are made once, when the search is built
// over the index's discs, so a keystroke costs one pass over them.

#include "shelf/ShelfDisc.h"

#include <array>
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace shelf {

// An item that matches: its disc and item in the index's lists, and what opening the disc on
// it takes (the item's page and its number there).
struct ShelfHit {
    size_t disc = 0;
    size_t item = 0;
    CategoryCode category = CategoryCode::None;
    int32_t number = 0;

    bool operator==(const ShelfHit&) const = default;
};

class ShelfSearch {
public:
    ShelfSearch() = default;
    explicit ShelfSearch(const std::vector<ShelfDisc>& discs);

    // Items holding every word of the query (code page 1250, words between blanks) in their
    // name, company or description, in the index's order; none for a query without words.
    std::vector<ShelfHit> Find(std::string_view query) const;

private:
    // Which pairs of adjacent letters a text holds, hashed into 512 bits: an item that lacks one
    // of a query's pairs cannot hold the query, and is passed over without looking at its text.
    using PairMask = std::array<uint64_t, 8>;
    static void AddPairs(PairMask& mask, std::string_view text);

    struct Prepared {
        std::string folded; // name, company and description, each ended by a line break
        PairMask pairs {};
        ShelfHit hit;
    };
    std::vector<Prepared> m_items;
};

}
