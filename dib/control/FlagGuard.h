#pragma once

// Raises a flag for the length of a scope, so that work the flag guards against cannot run
// again from inside it, and lowers it however the scope ends.
struct FlagGuard {
    bool& flag;
    explicit FlagGuard(bool& f)
        : flag(f) { flag = true; }
    ~FlagGuard() { flag = false; }
    FlagGuard(const FlagGuard&) = delete;
    FlagGuard& operator=(const FlagGuard&) = delete;
};
