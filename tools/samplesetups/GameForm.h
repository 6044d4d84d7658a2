#pragma once

// The window of the sample games: the game's name on a dark field, closed by Esc, a click or
// after a few seconds.

#include "platform/components/ExtCtrls.h"
#include "platform/components/Forms.h"
#include "platform/components/StdCtrls.h"

#include <cstdint>
#include <memory>
#include <string>

class TGameForm : public platform::TForm {
    TORVA_CLASS(TGameForm)
public:
    TGameForm(platform::TComponent* owner, std::unique_ptr<platform::IWindowBackend> window, const std::string& title,
        uint32_t closeAfterMs);

    platform::TLabel* TitleLabel = nullptr;
    platform::TLabel* HelpLabel = nullptr;
    platform::TTimer* CloseTimer = nullptr;

private:
    void CloseTimerTimer(platform::TObject* sender);
};
