#pragma once

// Error boxes and cursor changes kept as lists, for tests of what the file-tree operations show.

#include "shell/UserInterface.h"

#include <string>
#include <vector>

namespace shell {

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
