#pragma once

// Message boxes and the version choice as the desktop's own modal boxes, through SDL. The boxes
// lay themselves out; the choice dialog keeps its buttons in the order of the labels.

#include "platform/dialogs/Dialogs.h"

namespace platform {

class SdlWindow;

class SdlDialogs final : public IDialogService {
public:
    // owner: the window the boxes belong to (stay above), or none.
    explicit SdlDialogs(SdlWindow* owner = nullptr)
        : m_owner(owner)
    {
    }

    int ShowMessageBox(const MessageBoxRequest& request) override;
    int ShowChoiceDialog(const ChoiceDialogRequest& request) override;

private:
    SdlWindow* m_owner;
};

}
