#pragma once

// The processes descended from this one (its children, theirs, ...) as /proc shows them, and a
// process that outlives its caller. A program the menu started goes on after the menu ends; the
// tree keeps following it and the children it starts, each told by its pid and start time so a
// reused pid does not count.

#include <cstdint>
#include <functional>
#include <vector>

namespace platform {

class ProcessTree {
public:
    // This process's descendants now.
    static ProcessTree OfThisProcess();

    // Forgets the members that ended and takes in the children of those that run; true while
    // any member runs. A child started and orphaned between two calls is not seen.
    bool AnyRunning();

private:
    struct Member {
        int pid = 0;
        uint64_t start = 0; // clock ticks after boot
    };
    std::vector<Member> m_members;
};

// Runs `work` in a child process of its own session, its standard streams on /dev/null, that
// keeps the caller's descriptors (and the locks held through them) after the caller ends. The
// child ends when `work` returns, without running the caller's exit handlers. False when no
// child could be started.
bool RunDetached(const std::function<void()>& work);

}
