#pragma once

// What the launcher, the installer and the uninstaller need of the menu that owns them: the
// program's services (machine, programs, dialogs, event loop), the machine's folders, the disc and the state file, the catalogue and the status check, the file
// operations, busy cursor and texts, and the views that follow what an action changed.

#include "menu/CatalogueTypes.h"
#include "menu/DiscCatalogue.h"
#include "menu/MenuContext.h"
#include "menu/MessageTexts.h"
#include "menu/StatusCheck.h"
#include "platform/services/Services.h"
#include "shell/FileTree.h"
#include "shell/UserInterface.h"

#include <cstdint>
#include <functional>
#include <iosfwd>
#include <string>

struct ActionServices {
    platform::Services& system;
    MenuContext& context;
    DiscCatalogue& catalogue;
    StatusCheck& status;
    shell::FileTree& files;
    shell::CursorService* cursor = nullptr;
    // Where refused clean-up steps are noted; nowhere when null.
    std::ostream* debugOutput = nullptr;
    const MessageTexts& texts;
    // The menu follows what changed: the selected entry, the item list and the page.
    std::function<void()> refreshViews;
};

// A page and an entry on it, from 1.
struct MenuSelection {
    CategoryCode page = CategoryCode::None;
    int32_t index = 0;
};
