#pragma once

// The one family of unexpected failures: every exception the program raises derives from it,
// so a single handler at the top shows any of them. Readers of outside input report the
// expected failures by Result instead. Messages are code page 1250 bytes unless a class says
// otherwise.

#include <stdexcept>

namespace platform {

class Exception : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

}
