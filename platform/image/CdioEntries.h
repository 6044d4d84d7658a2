#pragma once

// libcdio's folder listings as our entries. Internal to the image library.

#include "platform/image/VolumeSource.h"

#include <cdio/iso9660.h>

namespace platform {

// Converts and frees the list; empty when there is none.
std::optional<std::vector<RawFolderEntry>> TakeCdioEntries(CdioISO9660FileList_t* list);

}
