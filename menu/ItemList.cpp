#include "menu/ItemList.h"

#include "platform/text/Text.h"

namespace {

template <typename Array>
const std::string& NameAt(const Array& items, int index)
{
    static const std::string empty;
    return index >= 1 && index <= Array::capacity ? items[index].Name : empty;
}

}

bool ItemList::Lists(CategoryCode category)
{
    return (category >= CategoryCode::Demos && category <= CategoryCode::Movies) || category == CategoryCode::Fulls || category == CategoryCode::Extra2
        || category == CategoryCode::Installed;
}

// Counts are held below 256 by the arrays' capacities, so the byte loses nothing.
uint8_t ItemList::Count(CategoryCode code) const
{
    int32_t count = 0;
    switch (code) {
    case CategoryCode::Demos: count = m_catalogue.Demos.Count(); break;
    case CategoryCode::Extra: count = m_catalogue.Extra.Count(); break;
    case CategoryCode::Shareware: count = m_catalogue.Shareware.Count(); break;
    case CategoryCode::Drivers: count = m_catalogue.Drivers.Count(); break;
    case CategoryCode::Updates: count = m_catalogue.Updates.Count(); break;
    case CategoryCode::Readers: count = m_catalogue.Readers.Count(); break;
    case CategoryCode::Shots: count = m_catalogue.Shots.Count(); break;
    case CategoryCode::Movies: count = m_catalogue.Movies.Count(); break;
    case CategoryCode::Fulls: count = m_catalogue.Fulls.Count(); break;
    case CategoryCode::Extra2: count = m_catalogue.Extra2.Count(); break;
    case CategoryCode::Installed: count = m_catalogue.InstalledList.Count(); break;
    case CategoryCode::Settings: count = 2; break;
    default: break;
    }
    return static_cast<uint8_t>(count);
}

// The list name of item `index` of a category; slots beyond the arrays read as empty.
std::string ItemList::Name(CategoryCode code, int32_t index) const
{
    switch (code) {
    case CategoryCode::Demos: return NameAt(m_catalogue.Demos, index);
    case CategoryCode::Extra: return NameAt(m_catalogue.Extra, index);
    case CategoryCode::Shareware: return NameAt(m_catalogue.Shareware, index);
    case CategoryCode::Drivers: return NameAt(m_catalogue.Drivers, index);
    case CategoryCode::Updates: return NameAt(m_catalogue.Updates, index);
    case CategoryCode::Readers: return NameAt(m_catalogue.Readers, index);
    case CategoryCode::Shots: return NameAt(m_catalogue.Shots, index);
    case CategoryCode::Movies: return NameAt(m_catalogue.Movies, index);
    case CategoryCode::Fulls: return NameAt(m_catalogue.Fulls, index);
    case CategoryCode::Extra2: return NameAt(m_catalogue.Extra2, index);
    // Records of older menus carry names upper-cased in a to z only.
    case CategoryCode::Installed: return platform::UpperCaseCp1250(NameAt(m_catalogue.InstalledList, index));
    default: return {};
    }
}

// Every page with a list answers to letters, the Extra page included.
std::vector<std::string> ItemList::Names(CategoryCode code) const
{
    std::vector<std::string> names;
    if (!Lists(code))
        return names;
    const int32_t count = Count(code);
    for (int32_t i = 1; i <= count; ++i)
        names.push_back(Name(code, i));
    return names;
}

int32_t ItemList::FindPosition(CategoryCode code, char c) const
{
    const std::vector<std::string> names = Names(code);
    for (size_t i = 0; i < names.size(); ++i)
        if (!names[i].empty() && names[i][0] == c)
            return static_cast<int32_t>(i + 1);
    return 0;
}
