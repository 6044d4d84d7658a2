#include "torvaxp/WindowServices.h"

#include "platform/components/StdCtrls.h"
#include "platform/dialogs/Dialogs.h"
#include "platform/events/EventLoop.h"
#include "platform/text/Codepage.h"
#include "platform/window/SdlProgressWindow.h"
#include "platform/window/SdlWindow.h"

#include <memory>

void FormCursor::ShowHourglass()
{
    Show(platform::crHourGlass);
}

void FormCursor::ShowDefault()
{
    Show(platform::crDefault);
}

void FormCursor::Show(platform::TCursor cursor)
{
    if (m_form)
        m_form->SetScreenCursor(cursor);
}

namespace {

bool IsInput(platform::EventType type)
{
    switch (type) {
    case platform::EventType::MouseMove:
    case platform::EventType::MouseDown:
    case platform::EventType::MouseUp:
    case platform::EventType::MouseWheel:
    case platform::EventType::KeyDown:
    case platform::EventType::KeyUp:
    case platform::EventType::KeyChar:
    case platform::EventType::Close:
        return true;
    default:
        return false;
    }
}

}

ImageDriveReadiness::WaitView UnpackingWaitView(platform::TForm& form, ImageDriveReadiness& readiness, platform::Services& services)
{
    struct Shown {
        platform::TForm::TWndMethod previousProc;
        std::string previousHelp;
        bool closeAsked = false;
        // On a display: the program's own progress window, modal over the menu.
        std::unique_ptr<platform::SdlProgressWindow> window;
    };
    auto shown = std::make_shared<Shown>();
    auto helpLine = [&form] { return dynamic_cast<platform::TLabel*>(form.FindComponent("HelpLabel")); };
    ImageDriveReadiness::WaitView view;
    view.begin = [&form, &readiness, shown, helpLine] {
        shown->previousProc = form.WindowProc();
        shown->closeAsked = false;
        if (auto* help = helpLine())
            shown->previousHelp = help->Caption();
        form.SetWindowProc([&readiness, shown](const platform::Event& event) {
            if (!IsInput(event.type)) {
                shown->previousProc(event);
                return;
            }
            if (event.type == platform::EventType::Close)
                shown->closeAsked = true;
            if ((event.type == platform::EventType::KeyDown && event.key == platform::VK_ESCAPE) || event.type == platform::EventType::Close)
                readiness.Cancel();
        });
        if (auto* menuWindow = dynamic_cast<platform::SdlWindow*>(form.Window()))
            shown->window = platform::SdlProgressWindow::Open("Torva CD v2 - rozbaluji obraz disku", "Rozbaluji obraz disku",
                platform::Utf8ToCp1250(readiness.ImageName()), menuWindow);
    };
    // The help line is narrow: the short sign fits it whole.
    view.progress = [&readiness, shown, helpLine](uint64_t done, uint64_t total) {
        // The progress window takes the events while it shows; its Cancel stops the unpacking.
        if (shown->window && !shown->window->Update(done, total))
            readiness.Cancel();
        int percent = total ? static_cast<int>(done * 100 / total) : 0;
        std::string text = platform::Utf8ToCp1250("Rozbaluji… " + std::to_string(percent) + " %");
        auto* help = helpLine();
        if (help && help->Caption() != text)
            help->SetCaption(text);
    };
    // A window closed during the wait closes once the unpacking has stopped.
    view.end = [&form, &services, shown, helpLine] {
        shown->window.reset();
        form.SetWindowProc(shown->previousProc);
        if (auto* help = helpLine())
            help->SetCaption(shown->previousHelp);
        if (shown->closeAsked)
            services.loop.PostCallback([&form] { form.Close(); });
    };
    view.failed = [&services](const std::string& czech) { services.dialogs.ShowError(platform::Utf8ToCp1250(czech)); };
    return view;
}
