#pragma once

// A menu window on a test disc: the real layout with stand-in artwork, a headless window on the
// virtual clock, shown so that the catalogue is loaded and the first page is open.

#include "MenuFixture.h"

#include "FormControls.h"
#include "menu/form/main_f.h"
#include "StandInArtwork.h"

#include "dib/image/cDIBFadeLabel.h"
#include "dib/imagelist/cDIBFormShaper.h"
#include "dib/image/cDIBImage.h"
#include "dib/control/cDIBPanel.h"
#include "platform/components/ComCtrls.h"
#include "platform/components/ExtCtrls.h"
#include "platform/components/StdCtrls.h"
#include "platform/script/ScriptRunner.h"
#include "platform/window/HeadlessWindow.h"

#include <sstream>

// A catalogue with `n` demos named DEMO 1.. and one item in most other categories.
inline std::string SmallCatalogue(int demos, const std::string& extraMain = "")
{
    std::string text = "[Main]\nCD=0206\nCDLabel=Test disc\nDemos=" + std::to_string(demos)
        + "\nShareware=2\nUpdates=1\nShots=1\nMovies=1\nFulls=1\nDrivers=1\nExtra=1\nExtra2=3\n" + extraMain;
    for (int n = 1; n <= demos; ++n)
        text += "[Demo" + std::to_string(n) + "]\nName=Demo " + std::to_string(n) + "\nPicture=NUL\n";
    text += "[Share1]\nName=Share one\n[Share2]\nName=Share two\n";
    text += "[Updates]\nUpdate1=Patch 1.1,build 7,patch\\setup.exe,readme.txt,1\n";
    text += "[Shot1]\nName=Shots\nPicture=NUL\n[Movie1]\nName=Film\nPicture=NUL\n";
    text += "[Full1]\nName=Full game\nPicture=NUL\n[Driver1]\nName=Driver\n[Extra1]\nName=Extra one\n";
    for (int n = 1; n <= 3; ++n)
        text += "[Extra2" + std::to_string(n) + "]\nName=Online " + std::to_string(n) + "\nPicture=NUL\n";
    return text;
}

class WindowFixture : public MenuFixture {
protected:
    void SetUp() override
    {
        MenuFixture::SetUp();
        RegisterStandInArtwork();
    }

    // Creates the window from the layout and shows it; the catalogue must be written first.
    TForm1& Open(const std::string& ownPath = "")
    {
        form = std::make_unique<TForm1>(services, MenuEnvironment { ownPath.empty() ? Drive() + "\\TORVA.EXE" : ownPath, &cursor });
        auto backend = std::make_unique<platform::HeadlessWindow>(loop);
        window = backend.get();
        form->SetWindow(std::move(backend));
        form->CreateWindowLayout();
        if (!form->Model.Terminated())
            form->Show();
        loop.ProcessMessages();
        return *form;
    }

    // Opens the window on SmallCatalogue(demos, extraMain).
    TForm1& OpenSmall(int demos = 3, const std::string& extraMain = "")
    {
        WriteCatalogue(SmallCatalogue(demos, extraMain));
        return Open();
    }

    // One line of the test driver against the open window.
    void Run(const std::string& line)
    {
        if (!runner)
            runner = std::make_unique<platform::ScriptRunner>(*form, loop, boxes, driverOutput, recorder.get());
        runner->RunLine(line);
    }

    void TearDown() override
    {
        runner.reset();
        form.reset();
        MenuFixture::TearDown();
    }

    std::unique_ptr<TForm1> form;

    platform::HeadlessWindow* window = nullptr;
    std::ostringstream driverOutput;
    std::unique_ptr<platform::ScriptRunner> runner;
};
