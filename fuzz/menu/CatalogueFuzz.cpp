// Feeds arbitrary bytes to the menu as its disc's catalogue: loading and the status check of
// every item must survive them.

#include "menu/MenuState.h"
#include "platform/events/Clock.h"
#include "platform/machine/Machine.h"
#include "platform/services/Services.h"
#include "tests/support/RecordingProcessService.h"

#include <cstdint>
#include <filesystem>
#include <fstream>
#include <random>

namespace {

struct Disc {
    std::filesystem::path root;
    std::string drive;

    Disc()
    {
        root = std::filesystem::temp_directory_path() / ("torva-fuzz-catalogue-" + std::to_string(std::random_device()()));
        std::filesystem::remove_all(root);
        std::filesystem::create_directories(root / "disc" / "Torva");
        std::ofstream(root / "disc" / "TORVA.EXE") << "x";
        machine = platform::Machine::OpenOrCreate(root / "prefix");
        platform::SetCurrentMachine(machine);
        drive = std::string(1, machine->MapDrive(root / "disc", platform::DRIVE_CDROM)) + ":";
        recorder = std::make_shared<platform::RecordingProcessService>(machine);
    }

    std::shared_ptr<platform::Machine> machine;
    // Loading and checking start no program; were one started, it would only be recorded.
    std::shared_ptr<platform::RecordingProcessService> recorder;
    platform::VirtualClock clock;
    platform::EventLoop loop { clock };
};

}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    static Disc disc;
    {
        std::ofstream out(disc.root / "disc" / "Torva" / "torvaxp.ini", std::ios::binary | std::ios::trunc);
        out.write(reinterpret_cast<const char*>(data), static_cast<std::streamsize>(size));
    }
    // Boxes go unanswered and are forgotten with the input.
    platform::Dialogs dialogs;
    platform::Services services { disc.machine, *disc.recorder, dialogs, disc.loop };
    MenuState form(services, MenuEnvironment { disc.drive + "\\TORVA.EXE", nullptr });
    form.Start();
    // A refused state-file write aborts the handler and reaches the application's error box;
    // that is the menu's designed reaction, so only other failures count as findings.
    try {
        if (form.Terminated() || !form.LoadCatalogue())
            return 0;
        for (int32_t n = 1; n <= form.Catalogue.Demos.Count(); ++n)
            form.Status.CheckDemo(form.Catalogue.Demos[n]);
        for (int32_t n = 1; n <= form.Catalogue.Extra2.Count(); ++n)
            form.Status.CheckDemo(form.Catalogue.Extra2[n]);
    } catch (const EIniFileException&) {
    }
    return 0;
}
