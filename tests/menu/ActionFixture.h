#pragma once

// A started menu on a test machine whose programs are recorded instead of run, whose message
// boxes take their answers from a queue, and whose timers run on a virtual clock.

#include "MenuFixture.h"

#include "platform/dialogs/Dialogs.h"
#include "platform/ini/IniFile.h"
#include "platform/registry/Registry.h"

// What the launcher, the installer and the uninstaller need, made without a form: a context
// that the test fills, its catalogue and status check, and no views.
struct FormlessServices {
    explicit FormlessServices(platform::Services& services)
        : system(services)
    {
    }

    platform::Services& system;
    MenuContext context;
    shell::FileTree files { shell::FileTreeContext {} };
    DiscCatalogue catalogue { context };
    StatusCheck status { context, files, nullptr };
    MessageTexts texts { context };

    ActionServices Services()
    {
        return { .system = system, .context = context, .catalogue = catalogue, .status = status, .files = files, .texts = texts, .refreshViews = [] {} };
    }
};

class ActionFixture : public MenuFixture {
protected:
    // Starts the menu on a disc whose catalogue names only the disc identifier.
    MenuState& StartOn(const std::string& discId = "0206")
    {
        WriteCatalogue("[Main]\nCD=" + discId + "\n");
        Start();
        EXPECT_FALSE(menu->Terminated());
        return *menu;
    }

    std::vector<std::string> CommandLines() const
    {
        std::vector<std::string> lines;
        for (const auto& start : recorder->Starts())
            lines.push_back(start.start.commandLine);
        return lines;
    }

    void Answer(platform::DialogAnswer::Kind kind, int button = 0) { dialogs.PushAnswer({ kind, button }); }
    void AnswerYes() { Answer(platform::DialogAnswer::Kind::Yes); }
    void AnswerNo() { Answer(platform::DialogAnswer::Kind::No); }
    void AnswerOk() { Answer(platform::DialogAnswer::Kind::Ok); }

    std::vector<std::string> ShownTexts() const
    {
        std::vector<std::string> texts;
        for (const auto& shown : dialogs.Shown())
            texts.push_back(shown.text);
        return texts;
    }

    // The questions and choices asked, with their answers queued here.
    platform::HeadlessDialogs& dialogs = boxes;
};
