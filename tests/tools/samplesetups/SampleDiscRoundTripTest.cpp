// The sample disc as built, installed and uninstalled through the menu's own operations with
// the setups really running: what the setups leave must be what the menu's detection finds.

#include "menu/MenuState.h"
#include "platform/components/ExtCtrls.h"
#include "platform/components/Forms.h"
#include "platform/dialogs/Dialogs.h"
#include "platform/events/EventLoop.h"
#include "platform/files/Files.h"
#include "platform/ini/IniFile.h"
#include "platform/machine/Machine.h"
#include "platform/process/Process.h"
#include "platform/services/Services.h"
#include "platform/text/Codepage.h"
#include "tests/support/RecordingUserInterface.h"

#include <gtest/gtest.h>

#include <unistd.h>

namespace {

using namespace platform;
namespace fs = std::filesystem;

// Says yes to every question (the clean-up of what uninstallers leave) and keeps the texts of
// the other boxes apart from those of error boxes.
class AgreeingDialogs : public IDialogService {
public:
    int ShowMessageBox(const MessageBoxRequest& request) override
    {
        (request.kind == MessageBoxKind::Error ? errors : questions).push_back(Cp1250ToUtf8(request.text));
        return request.kind == MessageBoxKind::Question ? mrYes : mrOk;
    }
    int ShowChoiceDialog(const ChoiceDialogRequest&) override { return 0; }
    std::vector<std::string> questions;
    std::vector<std::string> errors;
};

class SampleDiscRoundTrip : public ::testing::Test {
protected:
    void SetUp() override
    {
        base = fs::path(TORVA_TEST_OUTPUT_DIR) / ("roundtrip-" + std::to_string(::getpid()));
        fs::remove_all(base);
        MachineSetup setup;
        setup.version = "winxp";
        machine = Machine::OpenOrCreate(base / "prefix", setup);
        SetCurrentMachine(machine);
        ASSERT_EQ(machine->MapDrive(TORVA_SAMPLE_DISC_DIR, DRIVE_CDROM, 'E'), 'E');
        processes = MakeHostProcessService(machine);
        services.emplace(Services { machine, *processes, channel, loop });
        form = std::make_unique<MenuState>(*services, MenuEnvironment { "E:\\TORVA.EXE", &cursor });
        form->Start();
        ASSERT_FALSE(form->Terminated());
        ASSERT_TRUE(form->LoadCatalogue());
    }

    void TearDown() override
    {
        form.reset();
        SetCurrentMachine(nullptr);
        std::error_code error;
        fs::remove_all(base, error);
    }

    // The demo as its page shows it: selected and checked.
    TDemos& Demo(int index)
    {
        form->Select({ CategoryCode::Demos, index });
        form->Status.CheckDemo(form->Catalogue.Demos[index]);
        return form->Catalogue.Demos[index];
    }

    std::string State(const std::string& key)
    {
        return TIniFile("torva.ini").ReadString("CD" + form->Context.DiscId, key, "<none>");
    }

    fs::path base;
    std::shared_ptr<Machine> machine;
    std::shared_ptr<IProcessService> processes;
    RealClock clock;
    EventLoop loop { clock };
    ScopedEventLoop currentLoop { loop };
    AgreeingDialogs dialogs;
    Dialogs channel { dialogs };
    std::optional<Services> services;
    torva::test::RecordingCursor cursor;
    std::unique_ptr<MenuState> form;
};

struct RoundTrip {
    int demo;
    const char* folderUtf8; // where the item's setup puts it
    size_t questions;       // about what its uninstaller left: none, one, or two above a megabyte
};

TEST_F(SampleDiscRoundTrip, EveryWaitedSetupIsFoundAndTakenBack)
{
    const RoundTrip trips[] = {
        { 1, "C:\\Hry\\Rallye Bohemia", 1 },  // 5 / 1 uninstaller folder
        { 2, "C:\\Hry\\Ocelová legie", 0 },   // 5 / 2 program path in the registry
        { 3, "C:\\Hry\\Hvězdný přístav", 1 }, // 5 / 3 Start-menu shortcut
        { 4, "C:\\Hry\\Pařeniště", 0 },       // 5 / 6 INI file
        { 5, "C:\\Hry\\Noční hlídka", 1 },    // 5 / 7 desktop shortcut
        { 6, "C:\\Hry\\Podzemi RD", 2 },      // 5 / 8 disk search
        { 8, "C:\\Sierra\\Kral piratu", 1 },  // 6 sierra.ini
        { 9, "C:\\Hry\\Vzdušná bitva", 0 },   // 7 program from the uninstall command
    };
    for (const auto& trip : trips) {
        const std::string folder = Utf8ToCp1250(trip.folderUtf8);
        TDemos& item = Demo(trip.demo);
        SCOPED_TRACE(item.Name);
        ASSERT_FALSE(item.Installed);
        form->Installer().InstallProc(item, form->Selection());
        EXPECT_TRUE(item.Installed);
        EXPECT_TRUE(item.CanRun);
        EXPECT_EQ(item.GameDir, folder);
        EXPECT_EQ(State(item.Name), folder);

        // The uninstallers leave a saved game or a settings file; either the catalogue's
        // clean-up takes it, or the menu asks and is told yes.
        dialogs.questions.clear();
        form->Uninstaller().UninstallProc(item, form->Category());
        EXPECT_FALSE(item.Installed);
        EXPECT_EQ(dialogs.questions.size(), trip.questions);
        EXPECT_FALSE(FileExists(folder + "\\" + item.GameName));
        EXPECT_FALSE(DirectoryExists(folder));
        form->Status.CheckDemo(item);
        EXPECT_EQ(State(item.Name), "<none>");
    }
    EXPECT_TRUE(dialogs.errors.empty());
}

TEST_F(SampleDiscRoundTrip, OtherListsFindTheirItemsToo)
{
    int32_t index = 0;
    auto check = [&](CategoryCode category, TDemos& item, const char* folderUtf8) {
        SCOPED_TRACE(item.Name);
        form->Select({ category, index });
        form->Status.CheckDemo(item);
        form->Installer().InstallProc(item, form->Selection());
        EXPECT_TRUE(item.Installed);
        EXPECT_EQ(item.GameDir, Utf8ToCp1250(folderUtf8));
        form->Uninstaller().UninstallProc(item, form->Category());
        EXPECT_FALSE(item.Installed);
        EXPECT_FALSE(FileExists(item.GameDir + "\\" + item.GameName));
    };
    index = 1;
    check(CategoryCode::Fulls, form->Catalogue.Fulls[1], "C:\\Hry\\Tajemství hradu");
    check(CategoryCode::Extra2, form->Catalogue.Extra2[1], "C:\\Hry\\Kosmická liga");
    index = 3;
    check(CategoryCode::Extra2, form->Catalogue.Extra2[3], "C:\\Hry\\Formule Praha");
    index = 2;
    check(CategoryCode::Readers, form->Catalogue.Readers[2], "C:\\Hry\\Bludiste");
}

// The registered setup is not waited for: the form's poll finds the item once it is in place.
TEST_F(SampleDiscRoundTrip, PollNoticesASetupThatRunsOnItsOwn)
{
    TDemos& item = Demo(7);
    form->Installer().InstallProc(item, form->Selection());
    EXPECT_FALSE(form->Catalogue.Demos[7].CanRun);
    uint64_t deadline = clock.NowMs() + 15000;
    while (!form->Catalogue.Demos[7].CanRun && clock.NowMs() < deadline) {
        loop.WaitForEvent(500);
        loop.ProcessMessages();
    }
    EXPECT_TRUE(form->Catalogue.Demos[7].CanRun);
    EXPECT_EQ(form->Catalogue.Demos[7].GameDir, Utf8ToCp1250("C:\\Hry\\Tankový prapor"));
    EXPECT_FALSE(form->PollTimer().Enabled());
    form->Uninstaller().UninstallProc(form->Catalogue.Demos[7], form->Category());
    EXPECT_FALSE(form->Catalogue.Demos[7].Installed);
}

TEST_F(SampleDiscRoundTrip, GameFromTheDiscMarksItselfInstalledWhenRun)
{
    TDemos& item = Demo(11);
    ASSERT_TRUE(item.CanRun);
    ASSERT_FALSE(item.Installed);
    ::unsetenv("DISPLAY");
    ::unsetenv("WAYLAND_DISPLAY");
    form->Choose(MenuAction::Play);
    EXPECT_TRUE(FileExists("C:\\Torva\\Sachy\\SACHY.CFG"));
    EXPECT_TRUE(form->Catalogue.Demos[11].Installed);
}

}
