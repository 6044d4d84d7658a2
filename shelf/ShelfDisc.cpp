#include "shelf/ShelfDisc.h"

#include <algorithm>

namespace shelf {

std::string ShelfDisc::Issue() const
{
    if (discId.size() != 4 || !std::all_of(discId.begin(), discId.end(), [](char c) { return c >= '0' && c <= '9'; }))
        return {};
    int month = std::stoi(discId.substr(0, 2));
    int year = std::stoi(discId.substr(2, 2));
    if (month < 1 || month > 12)
        return {};
    // The magazine's discs began in the nineties.
    return std::to_string(month) + "/" + std::to_string(year >= 90 ? 1900 + year : 2000 + year);
}

const char* ShelfDisc::KindName() const
{
    switch (kind) {
    case DiscKind::Folder: return "folder";
    case DiscKind::Iso: return "iso";
    case DiscKind::CueBin: return "cue";
    case DiscKind::RawBin: return "bin";
    case DiscKind::Nrg: return "nrg";
    }
    return "";
}

}
