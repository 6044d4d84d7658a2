#include "shelf/DiscFinder.h"

#include "platform/text/Text.h"
#include "shelf/DiscReader.h"

#include <algorithm>

namespace shelf {

namespace fs = std::filesystem;

namespace {

class Walk {
public:
    std::vector<DiscCandidate> found;

    void Visit(const fs::path& folder, int depth)
    {
        if (fs::path catalogue = DiscFinder::CatalogueOf(folder); !catalogue.empty()) {
            found.push_back({ folder, true, catalogue });
            return;
        }
        std::vector<fs::directory_entry> entries;
        std::error_code error;
        for (fs::directory_iterator it(folder, error), end; !error && it != end && m_seen < DiscFinder::MaxEntries; it.increment(error), ++m_seen)
            entries.push_back(*it);
        std::sort(entries.begin(), entries.end(), [](const auto& a, const auto& b) { return a.path() < b.path(); });
        for (const fs::directory_entry& entry : entries) {
            std::string name = entry.path().filename().string();
            // Hidden files are no one's discs; the cache and file managers keep theirs there.
            if (name.empty() || name.front() == '.')
                continue;
            if (entry.is_directory(error) && !entry.is_symlink(error)) {
                if (depth < DiscFinder::MaxDepth)
                    Visit(entry.path(), depth + 1);
            } else if (entry.is_regular_file(error)) {
                found.push_back({ entry.path(), false, {} });
            }
        }
    }

private:
    size_t m_seen = 0;
};

bool IsCueSheet(const DiscCandidate& candidate)
{
    return !candidate.folder && platform::EqualsNoCase(candidate.path.extension().string(), ".cue");
}

}

fs::path ChildNamed(const fs::path& folder, const std::string& name, bool wantFolder)
{
    std::error_code error;
    for (const fs::directory_entry& entry : fs::directory_iterator(folder, error)) {
        if (!platform::EqualsNoCase(entry.path().filename().string(), name))
            continue;
        bool isFolder = entry.is_directory(error);
        bool isFile = entry.is_regular_file(error);
        if (wantFolder ? isFolder : isFile)
            return entry.path();
    }
    return {};
}

fs::path DiscFinder::CatalogueOf(const fs::path& folder)
{
    fs::path menu = ChildNamed(folder, MenuFolderName, true);
    return menu.empty() ? fs::path() : ChildNamed(menu, CatalogueName, false);
}

std::vector<DiscCandidate> DiscFinder::Find(const std::vector<fs::path>& folders)
{
    Walk walk;
    for (const fs::path& folder : folders) {
        std::error_code error;
        if (fs::is_directory(folder, error))
            walk.Visit(folder, 0);
        else
            walk.found.push_back({ folder, false, {} });
    }
    std::stable_partition(walk.found.begin(), walk.found.end(), IsCueSheet);
    return walk.found;
}

}
