#pragma once

// The busy cursor of the menu's file operations on the main form's window, and the wait for an
// image's drive in the menu's window.

#include "platform/components/Forms.h"
#include "platform/services/Services.h"
#include "shell/UserInterface.h"
#include "torvaxp/ImageDriveReadiness.h"

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
ImageDriveReadiness::WaitView UnpackingWaitView(platform::TForm& form, ImageDriveReadiness& readiness, platform::Services& services);
