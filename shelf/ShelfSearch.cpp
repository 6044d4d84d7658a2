#include "shelf/ShelfSearch.h"

#include "platform/text/Text.h"
#include "shelf/FoldedText.h"

#include <algorithm>

namespace shelf {

namespace {

// Appends a field folded, and a line break that keeps a word from matching across two fields.
// Names and descriptions keep their ampersands doubled for the labels that show them; the user
// types one.
void AppendField(std::string& text, const std::string& field)
{
    const std::array<char, 256>& folding = SearchFolding();
    size_t at = text.size();
    text.resize(at + field.size() + 1);
    for (size_t i = 0; i < field.size(); ++i) {
        text[at++] = folding[static_cast<unsigned char>(field[i])];
        if (field[i] == '&' && i + 1 < field.size() && field[i + 1] == '&')
            ++i;
    }
    text[at++] = '\n';
    text.resize(at);
}

}

void ShelfSearch::AddPairs(PairMask& mask, std::string_view text)
{
    for (size_t i = 1; i < text.size(); ++i) {
        unsigned pair = (static_cast<unsigned char>(text[i - 1]) * 31u + static_cast<unsigned char>(text[i])) % 512u;
        mask[pair / 64] |= uint64_t(1) << (pair % 64);
    }
}

ShelfSearch::ShelfSearch(const std::vector<ShelfDisc>& discs)
{
    for (size_t d = 0; d < discs.size(); ++d) {
        const std::vector<ShelfItem>& items = discs[d].items;
        for (size_t i = 0; i < items.size(); ++i) {
            Prepared prepared { {}, {}, { d, i, items[i].category, items[i].number } };
            prepared.folded.reserve(items[i].name.size() + items[i].firm.size() + items[i].description.size() + 3);
            AppendField(prepared.folded, items[i].name);
            AppendField(prepared.folded, items[i].firm);
            AppendField(prepared.folded, items[i].description);
            AddPairs(prepared.pairs, prepared.folded);
            m_items.push_back(std::move(prepared));
        }
    }
}

std::vector<ShelfHit> ShelfSearch::Find(std::string_view query) const
{
    std::string folded = FoldForSearch(query);
    std::replace_if(
        folded.begin(), folded.end(), [](char c) { return c == '\t' || c == '\r' || c == '\n'; }, ' ');
    std::vector<std::string_view> words = platform::SplitNonEmpty(folded, ' ');
    std::vector<ShelfHit> hits;
    if (words.empty())
        return hits;
    // The longest word is the rarest: most items are passed over on it alone.
    std::sort(words.begin(), words.end(), [](std::string_view a, std::string_view b) { return a.size() > b.size(); });
    PairMask wanted {};
    for (std::string_view word : words)
        AddPairs(wanted, word);
    for (const Prepared& item : m_items) {
        bool pairs = true;
        for (size_t i = 0; i < wanted.size(); ++i)
            pairs = pairs && (item.pairs[i] & wanted[i]) == wanted[i];
        std::string_view text = item.folded;
        if (pairs && std::all_of(words.begin(), words.end(), [&](std::string_view word) { return text.find(word) != std::string_view::npos; }))
            hits.push_back(item.hit);
    }
    return hits;
}

}
