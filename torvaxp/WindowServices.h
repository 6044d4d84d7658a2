#pragma once

// The user interface the menu's file operations talk to, on the real program: error boxes
// through the platform's dialog service, the busy cursor on the main form's window.

#include "platform/components/Forms.h"
#include "shell/UserInterface.h"

class DialogMessageBoxes : public shell::MessageBoxService {
public:
    void ShowError(const std::string& text) override;
};

class FormCursor : public shell::CursorService {
public:
    void SetForm(platform::TForm* form) { m_form = form; }
    void ShowHourglass() override;
    void ShowDefault() override;

private:
    void Show(platform::TCursor cursor);
    platform::TForm* m_form = nullptr;
};
