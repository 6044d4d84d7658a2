#pragma once

// Boxes and cursor changes kept as lists, for tests of what the menu shows the user.

#include "platform/components/Forms.h"
#include "platform/dialogs/Dialogs.h"
#include "shell/UserInterface.h"

#include <string>
#include <vector>

namespace torva::test {

// Error boxes are kept as a list of texts and closed at once; questions, plain messages and
// choices are answered from the queue as the headless service answers them (and kept in Shown).
class RecordingDialogs : public platform::HeadlessDialogs {
public:
    int ShowMessageBox(const platform::MessageBoxRequest& request) override
    {
        if (request.kind != platform::MessageBoxKind::Error)
            return HeadlessDialogs::ShowMessageBox(request);
        errors.push_back(request.text);
        return platform::mrOk;
    }
    std::vector<std::string> errors;
};

class RecordingCursor : public shell::CursorService {
public:
    void ShowHourglass() override { changes.push_back("hourglass"); }
    void ShowDefault() override { changes.push_back("default"); }
    std::vector<std::string> changes;
};

}
