#pragma once

// The installed page's entries: everything the state file records from this and earlier discs,
// with the records of games that have gone removed.

#include "menu/CatalogueTypes.h"
#include "menu/MenuContext.h"

#include <string>
#include <utility>
#include <vector>

class InstalledPageModel {
public:
    explicit InstalledPageModel(MenuContext& context);

    // Fills the list from 1 with the entries whose games are still there, at most 48, and marks
    // its end with an entry without name.
    void Fill(BoundedList<TDemos, 50>& list);

private:
    // The caption of a disc by its identifier.
    std::string DiscCaption(const std::string& discId) const;
    // The recorded names with their sections, in list order.
    std::vector<std::pair<std::string, std::string>> InstalledElements() const;
    bool FillInstalledEntry(TDemos& entry, const std::string& name, const std::string& section);

    MenuContext& m_context;
};
