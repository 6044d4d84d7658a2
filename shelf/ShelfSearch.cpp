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
            m_starts.push_back(m_text.size());
            m_hits.push_back({ d, i, items[i].category, items[i].number });
            // The line breaks keep a word from matching across two fields, the NUL across two
            // items.
            m_text += FoldForSearch(WithSingleAmpersands(items[i].name + "\n" + items[i].firm + "\n" + items[i].description + "\n"));
            m_text += '\0';
        }
    }
}

std::vector<ShelfHit> ShelfSearch::Find(std::string_view query) const
{
    std::string folded = FoldForSearch(query);
    std::replace_if(
        folded.begin(), folded.end(), [](char c) { return c == '\t' || c == '\r' || c == '\n' || c == '\0'; }, ' ');
    std::vector<std::string_view> words = platform::SplitNonEmpty(folded, ' ');
    std::vector<ShelfHit> hits;
    if (words.empty())
        return hits;
    // The longest word is the rarest: it is searched through the whole text at once, the others
    // only in the items it is found in.
    std::sort(words.begin(), words.end(), [](std::string_view a, std::string_view b) { return a.size() > b.size(); });
    std::string_view all = m_text;
    for (size_t at = all.find(words.front()); at != std::string_view::npos; at = all.find(words.front(), at)) {
        size_t item = static_cast<size_t>(std::upper_bound(m_starts.begin(), m_starts.end(), at) - m_starts.begin()) - 1;
        size_t end = item + 1 < m_starts.size() ? m_starts[item + 1] : all.size();
        std::string_view text = all.substr(m_starts[item], end - m_starts[item]);
        if (std::all_of(words.begin() + 1, words.end(), [&](std::string_view word) { return text.find(word) != std::string_view::npos; }))
            hits.push_back(m_hits[item]);
        at = end;
    }
    return hits;
}

}
