#include "platform/image/CdioEntries.h"

#include <cdio/logging.h>

#include <cstring>
#include <ctime>

namespace platform {

std::optional<std::vector<RawFolderEntry>> TakeCdioEntries(CdioISO9660FileList_t* list)
{
    if (!list)
        return std::nullopt;
    std::vector<RawFolderEntry> entries;
    CdioListNode_t* node;
    _CDIO_LIST_FOREACH (node, list) {
        auto* stat = static_cast<iso9660_stat_t*>(_cdio_list_node_data(node));
        if (!stat || std::strcmp(stat->filename, ".") == 0 || std::strcmp(stat->filename, "..") == 0)
            continue;
        RawFolderEntry entry;
        entry.name = stat->filename;
        entry.lsn = static_cast<uint32_t>(stat->lsn);
        entry.size = stat->size;
        entry.folder = stat->type == iso9660_stat_s::_STAT_DIR;
        if (stat->rr.b3_rock == yep) {
            entry.rockMode = stat->rr.st_mode;
            entry.rockName = true;
        }
        struct tm time = stat->tm;
        entry.time = static_cast<int64_t>(timegm(&time));
        entries.push_back(std::move(entry));
    }
    iso9660_filelist_free(list);
    return entries;
}

namespace {
void IgnoreCdioMessage(cdio_log_level_t, const char*)
{
}
}

void SilenceCdioLog()
{
    cdio_log_set_handler(IgnoreCdioMessage);
}

}
