// Reading, writing and deleting the state file's records of one item.

#include "menu/StateRecords.h"

StateRecords::StateRecords(TIniFile& state, std::string section)
    : m_state(state)
    , m_section(std::move(section))
{
}

std::string StateRecords::Folder(const std::string& name) const
{
    return m_state.ReadString(m_section, name, "");
}

std::string StateRecords::Fields(const std::string& name) const
{
    return m_state.ReadString(m_section, name + "_", "");
}

std::string StateRecords::Uninstaller(const std::string& name) const
{
    return m_state.ReadString(m_section, name + "__", "");
}

void StateRecords::WriteFolder(const std::string& name, const std::string& folder)
{
    m_state.WriteString(m_section, name, folder);
}

void StateRecords::WriteFound(const std::string& name, const std::string& folder, const std::string& fields,
    const std::string& uninstaller)
{
    m_state.WriteString(m_section, name, folder);
    m_state.WriteString(m_section, name + "_", fields);
    if (!uninstaller.empty())
        m_state.WriteString(m_section, name + "__", uninstaller);
}

void StateRecords::Delete(const std::string& name)
{
    m_state.DeleteKey(m_section, name);
    m_state.DeleteKey(m_section, name + "_");
    m_state.DeleteKey(m_section, name + "__");
}
