#include "shelf/LastShelf.h"

#include "platform/ini/IniDocument.h"
#include "platform/ini/ProfileFile.h"

#include <string>

namespace shelf {

namespace fs = std::filesystem;

namespace {

constexpr const char* Section = "Shelf";

std::string KeyOf(size_t index)
{
    return "Folder" + std::to_string(index + 1);
}

}

LastShelf::LastShelf(fs::path stateFile)
    : m_stateFile(std::move(stateFile))
{
}

std::vector<fs::path> LastShelf::Folders() const
{
    std::shared_ptr<const platform::IniDocument> state = platform::LoadExistingProfile(m_stateFile);
    std::vector<fs::path> folders;
    if (!state)
        return folders;
    // Numbered from one without gaps: a list ends at the first key missing.
    for (size_t i = 0;; ++i) {
        std::optional<std::string> folder = state->Value(Section, KeyOf(i));
        if (!folder)
            break;
        if (!folder->empty())
            folders.emplace_back(*folder);
    }
    return folders;
}

bool LastShelf::Remember(const std::vector<fs::path>& folders) const
{
    return platform::EditProfile(m_stateFile, [&](platform::IniDocument& state) {
        state.DeleteSection(Section);
        for (size_t i = 0; i < folders.size(); ++i)
            if (!state.SetValue(Section, KeyOf(i), folders[i].string()))
                return false;
        return true;
    });
}

}
