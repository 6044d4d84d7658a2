#include "platform/window/SdlDialogs.h"

#include "platform/text/Codepage.h"
#include "platform/window/SdlWindow.h"

#include <SDL2/SDL.h>

#include <string>
#include <vector>

namespace platform {

namespace {

// Modal results with the framework's numbers.
constexpr int mrOk = 1;
constexpr int mrCancel = 2;
constexpr int mrYes = 6;
constexpr int mrNo = 7;
constexpr size_t kBoxLineLength = 72;

// Shows the box; the pressed button's id, or `closed` when the box went away without one.
int Show(SDL_Window* owner, uint32_t flags, const std::string& caption, const std::string& text, const std::vector<SDL_MessageBoxButtonData>& buttons, int closed)
{
    std::string title = Cp1250ToUtf8(caption);
    // SDL's boxes do not wrap; a long question would run off the screen.
    std::string message = Cp1250ToUtf8(WrapBoxText(text, kBoxLineLength));
    SDL_MessageBoxData data {};
    data.flags = flags;
    data.window = owner;
    data.title = title.c_str();
    data.message = message.c_str();
    data.numbuttons = static_cast<int>(buttons.size());
    data.buttons = buttons.data();
    int pressed = -1;
    if (SDL_ShowMessageBox(&data, &pressed) != 0 || pressed < 0)
        return closed;
    return pressed;
}

}

int SdlDialogs::ShowMessageBox(const MessageBoxRequest& request)
{
    SDL_Window* owner = m_owner ? m_owner->Handle() : nullptr;
    switch (request.kind) {
    case MessageBoxKind::Question:
        return Show(owner, SDL_MESSAGEBOX_WARNING | SDL_MESSAGEBOX_BUTTONS_LEFT_TO_RIGHT, request.caption, request.text,
            { { SDL_MESSAGEBOX_BUTTON_RETURNKEY_DEFAULT, mrYes, "Ano" }, { SDL_MESSAGEBOX_BUTTON_ESCAPEKEY_DEFAULT, mrNo, "Ne" } }, mrNo);
    case MessageBoxKind::Error:
        return Show(owner, SDL_MESSAGEBOX_ERROR, request.caption, request.text,
            { { SDL_MESSAGEBOX_BUTTON_RETURNKEY_DEFAULT | SDL_MESSAGEBOX_BUTTON_ESCAPEKEY_DEFAULT, mrOk, "OK" } }, mrOk);
    case MessageBoxKind::Plain:
        break;
    }
    return Show(owner, SDL_MESSAGEBOX_INFORMATION, request.caption, request.text,
        { { SDL_MESSAGEBOX_BUTTON_RETURNKEY_DEFAULT | SDL_MESSAGEBOX_BUTTON_ESCAPEKEY_DEFAULT, mrOk, "OK" } }, mrOk);
}

int SdlDialogs::ShowChoiceDialog(const ChoiceDialogRequest& request)
{
    if (request.labels.empty())
        return mrCancel;
    std::vector<std::string> labels;
    for (const auto& label : request.labels)
        labels.push_back(Cp1250ToUtf8(label));
    std::vector<SDL_MessageBoxButtonData> buttons;
    for (size_t i = 0; i < labels.size(); ++i)
        buttons.push_back({ 0, ChoiceResultBase + static_cast<int>(i), labels[i].c_str() });
    SDL_Window* owner = m_owner ? m_owner->Handle() : nullptr;
    return Show(owner, SDL_MESSAGEBOX_INFORMATION | SDL_MESSAGEBOX_BUTTONS_LEFT_TO_RIGHT, request.caption, request.question, buttons, mrCancel);
}

}
