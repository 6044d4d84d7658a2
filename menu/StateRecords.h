#pragma once

// The records the state file keeps of one installed item, in the section of the disc it came
// from: "Name" holds the game's folder, "Name_" four fields (game entry, uninstall entry name,
// clean-up instruction, disc number) and "Name__" the uninstall command.

#include "platform/ini/IniFile.h"

#include <string>

class StateRecords {
public:
    StateRecords(TIniFile& state, std::string section);

    std::string Folder(const std::string& name) const;
    std::string Fields(const std::string& name) const;
    std::string Uninstaller(const std::string& name) const;

    void WriteFolder(const std::string& name, const std::string& folder);
    // An empty uninstall command leaves its record as it is.
    void WriteFound(const std::string& name, const std::string& folder, const std::string& fields,
        const std::string& uninstaller);
    void Delete(const std::string& name);

private:
    TIniFile& m_state;
    std::string m_section;
};
