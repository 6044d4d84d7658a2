#include "shelf/ShelfSearch.h"

#include "platform/text/Text.h"
#include "shelf/FoldedText.h"

#include <algorithm>

namespace shelf {

namespace {

// Names and descriptions keep their ampersands doubled for the labels that show them; the user
// types one.
std::string WithSingleAmpersands(const std::string& text)
{
    std::string out;
    out.reserve(text.size());
    for (size_t i = 0; i < text.size(); ++i) {
        out += text[i];
        if (text[i] == '&' && i + 1 < text.size() && text[i + 1] == '&')
            ++i;
    }
    return out;
}

}

ShelfSearch::ShelfSearch(const std::vector<ShelfDisc>& discs)
{
    for (size_t d = 0; d < discs.size(); ++d) {
        const std::vector<ShelfItem>& items = discs[d].items;
        for (size_t i = 0; i < items.size(); ++i) {
            // The line breaks keep a word from matching across two fields.
            std::string text = items[i].name + "\n" + items[i].firm + "\n" + items[i].description + "\n";
            m_items.push_back({ FoldForSearch(WithSingleAmpersands(text)), { d, i, items[i].category, items[i].number } });
        }
    }
}

std::vector<ShelfHit> ShelfSearch::Find(std::string_view query) const
{
    std::string folded = FoldForSearch(query);
    std::vector<std::string_view> words;
    for (std::string_view word : platform::SplitNonEmpty(folded, ' '))
        if (!platform::TrimBlanks(word).empty())
            words.push_back(platform::TrimBlanks(word));
    std::vector<ShelfHit> hits;
    if (words.empty())
        return hits;
    for (const Prepared& item : m_items) {
        std::string_view text = item.folded;
        if (std::all_of(words.begin(), words.end(), [&](std::string_view word) { return text.find(word) != std::string_view::npos; }))
            hits.push_back(item.hit);
    }
    return hits;
}

}
