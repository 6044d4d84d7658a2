#pragma once

// The two things the file-tree operations show the user: an error box and the busy cursor.
// The window layer implements them; tests record them (tests/support/RecordingUserInterface.h).

#include <string>

namespace shell {

class MessageBoxService {
public:
    virtual ~MessageBoxService() = default;
    // An error box with one OK button.
    virtual void ShowError(const std::string& text) = 0;
};

class CursorService {
public:
    virtual ~CursorService() = default;
    virtual void ShowHourglass() = 0;
    virtual void ShowDefault() = 0;
};

}
