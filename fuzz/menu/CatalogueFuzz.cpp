// Feeds arbitrary bytes to the menu as its disc's catalogue: loading and the status check of
// every item must survive them.

#include "menu/MenuState.h"
#include "platform/machine/Machine.h"

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
        auto machine = platform::Machine::OpenOrCreate(root / "prefix");
        platform::SetCurrentMachine(machine);
        drive = std::string(1, machine->MapDrive(root / "disc", platform::DRIVE_CDROM)) + ":";
    }
};

class NoBoxes : public shell::MessageBoxService {
public:
    void ShowError(const std::string&) override {}
};

}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    static Disc disc;
    {
        std::ofstream out(disc.root / "disc" / "Torva" / "torvaxp.ini", std::ios::binary | std::ios::trunc);
        out.write(reinterpret_cast<const char*>(data), static_cast<std::streamsize>(size));
    }
    NoBoxes boxes;
    MenuState form(MenuEnvironment { disc.drive + "\\TORVA.EXE", &boxes, nullptr });
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
