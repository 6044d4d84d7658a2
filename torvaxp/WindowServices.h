#pragma once

// The user interface the menu's file operations talk to, on the real program: error boxes
// through the platform's dialog service, the busy cursor on the main form's window.

#include "platform/components/Forms.h"
#include "shell/UserInterface.h"
#include "torvaxp/ImageDriveReadiness.h"

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

// A wait for the image's drive in the menu's window: its help line tells how much is unpacked,
// Escape (or closing the window) cancels, and no other input reaches the menu meanwhile, so the
// action waiting starts on the item it was asked for. Errors go to the menu's error box.
ImageDriveReadiness::WaitView UnpackingWaitView(platform::TForm& form, ImageDriveReadiness& readiness);
