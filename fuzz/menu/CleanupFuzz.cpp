// Feeds arbitrary clean-up instructions and state files to the uninstallation and the installed
// page, answering every question with Yes. Whatever they say, the files outside the prefix and
// the system's own folders must survive: the run stops at once when one of them is gone.
//
// Input: the item's Uninstall text, a line break, then the state file's bytes.

#include "menu/main_f.h"

#include "platform/dialogs/Dialogs.h"
#include "platform/machine/Machine.h"
#include "platform/process/RecordingProcessService.h"

#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <random>

namespace fs = std::filesystem;

namespace {

class YesToEverything : public platform::IDialogService {
public:
    int ShowMessageBox(const platform::MessageBoxRequest&) override { return 6; }
    int ShowChoiceDialog(const platform::ChoiceDialogRequest&) override { return platform::ChoiceResultBase; }
};

class NoBoxes : public shell::MessageBoxService {
public:
    void ShowError(const std::string&) override { }
};

struct FuzzMachine {
    fs::path root;
    fs::path driveC;
    std::shared_ptr<platform::Machine> machine;
    std::shared_ptr<platform::RecordingProcessService> recorder;
    YesToEverything dialogs;
    NoBoxes boxes;
    std::string discDrive;

    // What no clean-up may take: files outside the prefix (reachable through a link and a drive
    // letter), and the system's folders. Single files inside those folders are fair game: the
    // language names them one by one on purpose.
    std::vector<fs::path> Sentinels() const { return { root / "outside" / "keep.txt" }; }
    std::vector<fs::path> SystemFolders() const
    {
        return { driveC / "windows", driveC / "windows" / "system32", driveC / "Program Files",
            driveC / "users" / "Public" / "Start Menu" / "Programs" };
    }

    FuzzMachine()
    {
        root = fs::temp_directory_path() / ("torva-fuzz-cleanup-" + std::to_string(std::random_device()()));
        fs::remove_all(root);
        fs::create_directories(root / "disc" / "Torva");
        std::ofstream(root / "disc" / "TORVA.EXE") << "x";
        std::ofstream(root / "disc" / "Torva" / "torvaxp.ini") << "[Main]\nCD=0206\n";
        machine = platform::Machine::OpenOrCreate(root / "prefix");
        platform::SetCurrentMachine(machine);
        driveC = machine->DriveCDir();
        discDrive = std::string(1, machine->MapDrive(root / "disc", platform::DRIVE_CDROM)) + ":";
        fs::create_directories(root / "outside");
        machine->MapDrive(root / "outside", platform::DRIVE_FIXED, 'Z');
        recorder = std::make_shared<platform::RecordingProcessService>(machine);
        platform::SetCurrentProcessService(recorder);
        platform::SetDialogService(&dialogs);
    }

    void Prepare() const
    {
        for (const fs::path& sentinel : Sentinels()) {
            fs::create_directories(sentinel.parent_path());
            std::ofstream(sentinel) << "x";
        }
        for (const fs::path& folder : SystemFolders())
            fs::create_directories(folder);
        std::ofstream(driveC / "windows" / "win.ini") << "x";
        std::ofstream(driveC / "Program Files" / "keep.txt") << "x";
        fs::create_directories(driveC / "Hry" / "Hra" / "save");
        std::ofstream(driveC / "Hry" / "Hra" / "save" / "a.sav") << "x";
        std::error_code error;
        fs::create_directory_symlink(root / "outside", driveC / "Hry" / "Out", error);
        fs::create_directory_symlink(driveC / "windows", driveC / "Hry" / "Win", error);
    }

    void Check() const
    {
        for (const fs::path& sentinel : Sentinels()) {
            if (!fs::exists(sentinel))
                std::abort();
        }
        for (const fs::path& folder : SystemFolders()) {
            if (!fs::is_directory(folder))
                std::abort();
        }
    }
};

}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    static FuzzMachine machine;
    std::string input(reinterpret_cast<const char*>(data), size);
    size_t newline = input.find('\n');
    std::string uninstall = input.substr(0, newline);
    std::string state = newline == std::string::npos ? std::string() : input.substr(newline + 1);

    machine.Prepare();
    machine.recorder->Clear();
    TForm1 form(MenuEnvironment { machine.discDrive + "\\TORVA.EXE", &machine.boxes, nullptr });
    form.FormCreateCore();
    if (form.Terminated || !form.LoadCatalogue())
        return 0;
    try {
        TDemos& item = form.Demos[1];
        form.DemoCount = 1;
        item.Name = "HRA";
        item.InstallType = 2;
        item.GameDir = "C:\\Hry\\Hra";
        item.GameName = "hra.exe";
        item.Uninstall = uninstall;
        form.UninstallProc(item);
        machine.Check();

        {
            std::ofstream out(machine.driveC / "windows" / "torva.ini", std::ios::binary | std::ios::trunc);
            out.write(state.data(), static_cast<std::streamsize>(state.size()));
        }
        form.SetInstalledPage();
        for (int32_t n = 1; n <= form.InstalledCount; ++n)
            form.UninstallProc(form.InstalledList[n]);
        machine.Check();
    } catch (const EIniFileException&) {
    }
    return 0;
}
