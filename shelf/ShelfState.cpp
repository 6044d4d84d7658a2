#include "shelf/ShelfState.h"

#include "platform/text/Codepage.h"

#include <algorithm>

namespace shelf {

namespace {

// A row has room for a few words; the file is the row's own.
const char* ProblemTitle(platform::ImageProblem problem)
{
    using platform::ImageProblem;
    switch (problem) {
    case ImageProblem::Missing: return "nelze číst";
    case ImageProblem::NotAnImage: return "není obraz disku";
    case ImageProblem::Truncated: return "neúplný obraz";
    case ImageProblem::NoDataTrack: return "bez datové stopy";
    case ImageProblem::UnreadableTrack: return "chybí datový soubor";
    case ImageProblem::NoCatalogue: return "chybí katalog";
    case ImageProblem::TrackOutside:
    case ImageProblem::TrackNotAFile: return "nepřípustný datový soubor";
    case ImageProblem::Damaged:
    case ImageProblem::Cancelled:
    case ImageProblem::CacheFailed:
    case ImageProblem::TooLarge: break;
    }
    return "poškozený obraz";
}

}

ShelfState::ShelfState(int pageRows)
    : m_pageRows(std::max(pageRows, 1))
{
}

void ShelfState::SetIndex(const ShelfIndex* index)
{
    m_index = index;
    const int selected = m_selected;
    const int top = m_top;
    Filter();
    if (!m_rows.empty()) {
        m_top = std::clamp(top, 0, static_cast<int>(m_rows.size()) - 1);
        SelectRow(selected);
    }
}

// A query without words lists the discs; one with words lists what the search finds.
void ShelfState::Filter()
{
    m_rows.clear();
    m_selected = 0;
    m_top = 0;
    if (!m_index)
        return;
    std::vector<ShelfHit> hits = m_index->Search(m_query);
    if (hits.empty() && m_query.find_first_not_of(" \t") == std::string::npos) {
        for (size_t d = 0; d < m_index->Discs().size(); ++d)
            m_rows.push_back({ d, std::nullopt });
        return;
    }
    for (const ShelfHit& hit : hits)
        m_rows.push_back({ hit.disc, hit });
}

std::string ShelfState::RowText(size_t row) const
{
    const ShelfRow& r = m_rows.at(row);
    const ShelfDisc& disc = m_index->Discs().at(r.disc);
    if (r.hit)
        return m_index->ItemOf(*r.hit).name + " \x96 " + CategoryTitle(r.hit->category) + " \x96 " + disc.label;
    // Labels mostly name the issue already.
    const std::string issue = disc.Issue();
    return issue.empty() || disc.label.find(issue) != std::string::npos ? disc.label : disc.label + " \x96 " + issue;
}

std::string ShelfState::Problem(size_t row) const
{
    const ShelfDisc& disc = m_index->Discs().at(m_rows.at(row).disc);
    return disc.problem ? platform::Utf8ToCp1250(ProblemTitle(disc.problem->kind)) : std::string();
}

void ShelfState::Type(char c)
{
    if (static_cast<unsigned char>(c) < 0x20 || c == 0x7F)
        return;
    m_query += c;
    Filter();
}

void ShelfState::Backspace()
{
    if (m_query.empty())
        return;
    m_query.pop_back();
    Filter();
}

bool ShelfState::Escape()
{
    if (m_query.empty())
        return false;
    m_query.clear();
    Filter();
    return true;
}

// The page follows the selection as little as it must.
void ShelfState::SelectRow(int row)
{
    if (m_rows.empty())
        return;
    m_selected = std::clamp(row, 0, static_cast<int>(m_rows.size()) - 1);
    if (m_selected < m_top)
        m_top = m_selected;
    else if (m_selected >= m_top + m_pageRows)
        m_top = m_selected - m_pageRows + 1;
}

void ShelfState::Step(int rows)
{
    SelectRow(m_selected + rows);
}

void ShelfState::PageBy(int pages)
{
    SelectRow(m_selected + pages * std::max(m_pageRows - 1, 1));
}

void ShelfState::Home()
{
    SelectRow(0);
}

void ShelfState::End()
{
    SelectRow(static_cast<int>(m_rows.size()) - 1);
}

bool ShelfState::SelectOnPage(int offset)
{
    const int row = m_top + offset;
    if (offset < 0 || offset >= m_pageRows || row >= static_cast<int>(m_rows.size()))
        return false;
    SelectRow(row);
    return true;
}

std::optional<ShelfOpening> ShelfState::Enter() const
{
    if (m_rows.empty())
        return std::nullopt;
    const ShelfRow& row = m_rows[m_selected];
    const ShelfDisc& disc = m_index->Discs().at(row.disc);
    if (disc.problem)
        return std::nullopt;
    return ShelfOpening { disc.source, row.hit };
}

std::string CategoryTitle(CategoryCode category)
{
    const char* title = "";
    switch (category) {
    case CategoryCode::Demos:
    case CategoryCode::Extra2: title = "Dema"; break;
    case CategoryCode::Extra: title = "Extra"; break;
    case CategoryCode::Shareware: title = "Shareware"; break;
    case CategoryCode::Drivers: title = "Ovladače"; break;
    case CategoryCode::Updates: title = "Aktualizace"; break;
    case CategoryCode::Readers: title = "Od čtenářů"; break;
    case CategoryCode::Shots: title = "Obrázky"; break;
    case CategoryCode::Movies: title = "Filmy"; break;
    case CategoryCode::Fulls: title = "Plné hry"; break;
    case CategoryCode::Installed:
    case CategoryCode::Settings:
    case CategoryCode::None: break;
    }
    return platform::Utf8ToCp1250(title);
}

}
