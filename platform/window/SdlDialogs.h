#pragma once

// Message boxes and the version choice in the program's own box windows (BoxWindow), or, where
// such a window cannot be made, as SDL's own modal boxes. The choice dialog keeps its buttons in
// the order of the labels.

#include "platform/dialogs/Dialogs.h"
#include "platform/window/BoxPainter.h"

#include <cstdint>
#include <vector>

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
    // results: what each button answers; closed: what closing the box answers.
    int Present(const BoxContent& content, uint32_t fallbackFlags, const std::vector<int>& results, int closed);

    SdlWindow* m_owner;
};

}
