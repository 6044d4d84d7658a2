#include "platform/process/ProcessTree.h"

#include <fcntl.h>
#include <unistd.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>

namespace platform {

namespace {

struct ProcessInfo {
    int pid = 0;
    int parent = 0;
    uint64_t start = 0;
};

// /proc/PID/stat: "pid (name) state ppid ... starttime ...", the name possibly holding spaces
// and parentheses, so the fields are counted from the last ')'. Zombies have ended.
std::vector<ProcessInfo> RunningProcesses()
{
    constexpr int ParentField = 1;     // after the state
    constexpr int StartTimeField = 19; // the 22nd field of the line
    std::vector<ProcessInfo> processes;
    std::error_code error;
    for (const auto& entry : std::filesystem::directory_iterator("/proc", error)) {
        std::string name = entry.path().filename().string();
        if (name.empty() || !std::all_of(name.begin(), name.end(), [](char c) { return c >= '0' && c <= '9'; }))
            continue;
        std::ifstream in(entry.path() / "stat");
        std::string line;
        if (!std::getline(in, line))
            continue;
        size_t close = line.rfind(')');
        if (close == std::string::npos)
            continue;
        std::istringstream fields(line.substr(close + 1));
        std::string state;
        fields >> state;
        if (state == "Z" || state == "X")
            continue;
        ProcessInfo info;
        info.pid = std::atoi(name.c_str());
        std::string field;
        for (int index = 1; index <= StartTimeField && fields >> field; ++index) {
            if (index == ParentField)
                info.parent = std::atoi(field.c_str());
            if (index == StartTimeField)
                info.start = std::strtoull(field.c_str(), nullptr, 10);
        }
        processes.push_back(info);
    }
    return processes;
}

}

ProcessTree ProcessTree::OfThisProcess()
{
    ProcessTree tree;
    tree.m_members.push_back({ ::getpid(), 0 });
    tree.AnyRunning();
    tree.m_members.erase(tree.m_members.begin());
    return tree;
}

bool ProcessTree::AnyRunning()
{
    std::vector<ProcessInfo> processes = RunningProcesses();
    auto running = [&](const Member& member) {
        return std::any_of(processes.begin(), processes.end(),
            [&](const ProcessInfo& info) { return info.pid == member.pid && (member.start == 0 || info.start == member.start); });
    };
    std::erase_if(m_members, [&](const Member& member) { return !running(member); });
    // Children of members are members, down to the youngest generation.
    for (size_t next = 0; next < m_members.size(); ++next) {
        for (const ProcessInfo& info : processes) {
            bool known = std::any_of(m_members.begin(), m_members.end(), [&](const Member& member) { return member.pid == info.pid; });
            if (info.parent == m_members[next].pid && !known)
                m_members.push_back({ info.pid, info.start });
        }
    }
    return !m_members.empty();
}

bool RunDetached(const std::function<void()>& work)
{
    pid_t child = ::fork();
    if (child < 0)
        return false;
    if (child > 0)
        return true;
    ::setsid();
    int null = ::open("/dev/null", O_RDWR);
    if (null >= 0) {
        for (int stream = 0; stream < 3; ++stream)
            ::dup2(null, stream);
        if (null > 2)
            ::close(null);
    }
    work();
    ::_exit(0);
}

}
