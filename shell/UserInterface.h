#pragma once

// The two things the file-tree operations show the user: an error box and the busy cursor.
// The window layer implements them; the recording ones serve headless runs and tests.

#include <string>
#include <vector>

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

class RecordingMessageBoxes : public MessageBoxService {
public:
    void ShowError(const std::string& text) override { errors.push_back(text); }
    std::vector<std::string> errors;
};

class RecordingCursor : public CursorService {
public:
    void ShowHourglass() override { changes.push_back("hourglass"); }
    void ShowDefault() override { changes.push_back("default"); }
    std::vector<std::string> changes;
};

}
