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

bool ItemList::Lists(int32_t category)
{
    return (category >= CatDemos && category <= CatMovies) || category == CatFulls || category == CatExtra2
        || category == CatInstalled;
}

// Counts are held below 256 by the arrays' capacities, so the byte loses nothing.
uint8_t ItemList::Count(int32_t code) const
{
    int32_t count = 0;
    switch (code) {
    case CatDemos: count = m_catalogue.DemoCount; break;
    case CatExtra: count = m_catalogue.ExtraCount; break;
    case CatShareware: count = m_catalogue.ShareCount; break;
    case CatDrivers: count = m_catalogue.DriverCount; break;
    case CatUpdates: count = m_catalogue.UpdateCount; break;
    case CatReaders: count = m_catalogue.ReaderCount; break;
    case CatShots: count = m_catalogue.ShotCount; break;
    case CatMovies: count = m_catalogue.MovieCount; break;
    case CatFulls: count = m_catalogue.FullCount; break;
    case CatExtra2: count = m_catalogue.Extra2Count; break;
    case CatInstalled: count = m_catalogue.InstalledCount; break;
    case CatSettings: count = 2; break;
    default: break;
    }
    return static_cast<uint8_t>(count);
}

// The list name of item `index` of a category; slots beyond the arrays read as empty.
std::string ItemList::Name(int32_t code, int32_t index) const
{
    switch (code) {
    case CatDemos: return NameAt(m_catalogue.Demos, index);
    case CatExtra: return NameAt(m_catalogue.Extra, index);
    case CatShareware: return NameAt(m_catalogue.Shareware, index);
    case CatDrivers: return NameAt(m_catalogue.Drivers, index);
    case CatUpdates: return NameAt(m_catalogue.Updates, index);
    case CatReaders: return NameAt(m_catalogue.Readers, index);
    case CatShots: return NameAt(m_catalogue.Shots, index);
    case CatMovies: return NameAt(m_catalogue.Movies, index);
    case CatFulls: return NameAt(m_catalogue.Fulls, index);
    case CatExtra2: return NameAt(m_catalogue.Extra2, index);
    // Records of older menus carry names upper-cased in a to z only.
    case CatInstalled: return platform::UpperCaseCp1250(NameAt(m_catalogue.InstalledList, index));
    default: return {};
    }
}

// Every page with a list answers to letters, the Extra page included.
std::vector<std::string> ItemList::Names(int32_t code) const
{
    std::vector<std::string> names;
    if (!Lists(code))
        return names;
    const int32_t count = Count(code);
    for (int32_t i = 1; i <= count; ++i)
        names.push_back(Name(code, i));
    return names;
}

int32_t ItemList::FindPosition(int32_t code, char c) const
{
    const std::vector<std::string> names = Names(code);
    for (size_t i = 0; i < names.size(); ++i)
        if (!names[i].empty() && names[i][0] == c)
            return static_cast<int32_t>(i + 1);
    return 0;
}
