// Runs arbitrary clean-up instruction lists through the uninstallation and the installed page,
// answering every question with Yes, on a prefix laid with canaries: the user's documents,
// another game's folder, the state file, the registry files, the drive table, a file reached
// only through Z:, the system's folders and Windows' own registry keys. Single files inside the
// system's folders are fair game: the language names them one by one on purpose. The run stops
// at once when a canary is gone.
//
// Input: the item's Uninstall text, a line break, then the state file's bytes. An input that
// starts with byte 0xFF is read as tokens instead: each further byte picks a piece of the
// language (letters, "..", names of the canaries), so that mutations build hostile lists fast;
// one that starts with 0xFE picks from those and the names of the prefix's own folders and the
// shared classes.

#include "menu/MenuState.h"

#include "platform/dialogs/Dialogs.h"
#include "platform/events/Clock.h"
#include "platform/files/Files.h"
#include "platform/machine/Machine.h"
#include "tests/support/RecordingProcessService.h"
#include "platform/registry/Registry.h"
#include "platform/services/Services.h"
#include "platform/text/Codepage.h"

#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <optional>
#include <random>

namespace fs = std::filesystem;

namespace {

class YesToEverything : public platform::IDialogService {
public:
    int ShowMessageBox(const platform::MessageBoxRequest&) override { return 6; }
    int ShowChoiceDialog(const platform::ChoiceDialogRequest&) override { return platform::ChoiceResultBase; }
};

struct RegistryCanary {
    platform::RootKey root;
    const char* key;
};

// Windows' own keys: no clean-up may take them or their values.
const RegistryCanary kRegistryCanaries[] = {
    { platform::HKEY_LOCAL_MACHINE, "\\System\\CurrentControlSet\\Control" },
    { platform::HKEY_LOCAL_MACHINE, "\\Software\\Microsoft\\Windows NT\\CurrentVersion" },
    { platform::HKEY_LOCAL_MACHINE, "\\Software\\Microsoft\\Windows\\CurrentVersion\\Run" },
    { platform::HKEY_LOCAL_MACHINE, "\\Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\Shell Folders" },
    { platform::HKEY_LOCAL_MACHINE, "\\Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\Jina" },
    { platform::HKEY_LOCAL_MACHINE, "\\Software\\Wine\\Drives" },
    { platform::HKEY_CURRENT_USER, "\\Control Panel\\Desktop" },
    { platform::HKEY_CURRENT_USER, "\\Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\Shell Folders" },
    { platform::HKEY_LOCAL_MACHINE, "\\Software\\Classes\\Wow6432Node\\CLSID" },
    { platform::HKEY_LOCAL_MACHINE, "\\Software\\Classes\\Installer\\Products" },
    { platform::HKEY_LOCAL_MACHINE, "\\Software\\Classes\\Component Categories" },
};

const char* const kTokens[] = {
    ",",
    ";",
    "F",
    "D",
    "S",
    "U",
    "R",
    "W",
    "P",
    "G",
    "?",
    "C:",
    "E",
    "N",
    "M",
    "*",
    "!",
    "|",
    "\\",
    "..\\",
    "..",
    ".",
    " ",
    "Z:\\",
    "Hra",
    "Hry",
    "Jina",
    "Win",
    "Out",
    "users",
    "Documents",
    "Desktop",
    "AppData",
    "Public",
    "torva.ini",
    "system.reg",
    "user.reg",
    "dosdevices",
    "drive_c",
    "windows",
    "system32",
    "Program Files",
    "Start Menu",
    "Programs",
    "keep.txt",
    "doc.txt",
    "jina.exe",
    "Software",
    "Microsoft",
    "Windows",
    "Windows NT",
    "CurrentVersion",
    "Run",
    "Explorer",
    "Shell Folders",
    "Uninstall",
    "System",
    "CurrentControlSet",
    "Control",
    "Control Panel",
    "Wow6432Node",
    "Wine",
    "Drives",
    "Classes",
    "Personal",
};

// Further pieces for 0xFE inputs; the tokens above keep their numbers for the kept seeds.
const char* const kMoreTokens[] = {
    ".torva",
    "volumes",
    "drives.lock",
    "e",
    "Installer",
    "Products",
    "Component Categories",
    "CLSID",
    "{12345678-1234-1234-1234-123456789012}",
};

struct FuzzMachine {
    fs::path root;
    fs::path driveC;
    std::shared_ptr<platform::Machine> machine;
    std::shared_ptr<platform::RecordingProcessService> recorder;
    YesToEverything dialogs;
    platform::Dialogs channel { dialogs };
    platform::VirtualClock clock;
    platform::EventLoop loop { clock };
    std::optional<platform::Services> services;
    std::string discDrive;
    std::string prefixOnZ; // the prefix as Z: names it
    std::vector<fs::path> shellFolders;

    std::vector<fs::path> Canaries() const
    {
        return { root / "outside" / "keep.txt", driveC / "users" / "me" / "Documents" / "doc.txt",
            driveC / "Hry" / "Jina" / "jina.exe", driveC / "windows" / "torva.ini", machine->SystemRegFile(),
            machine->UserRegFile(), machine->DosDevicesDir() / "c:", machine->PrefixRoot() / ".torva" / "drives.lock",
            machine->PrefixRoot() / "volumes" / "e" / "setup.exe" };
    }
    // The system's folders, and the shell folders that stay even when emptied.
    std::vector<fs::path> SystemFolders() const
    {
        std::vector<fs::path> folders { driveC / "windows", driveC / "windows" / "system32", driveC / "Program Files",
            driveC / "users" / "Public" / "Start Menu" / "Programs", driveC / "users" / "me" / "Documents" };
        folders.insert(folders.end(), shellFolders.begin(), shellFolders.end());
        return folders;
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
        machine->MapDrive("/", platform::DRIVE_FIXED, 'Y');
        prefixOnZ = "Y:" + platform::Utf8ToCp1250(machine->PrefixRoot().string());
        for (char& ch : prefixOnZ)
            ch = ch == '/' ? '\\' : ch;
        recorder = std::make_shared<platform::RecordingProcessService>(machine);
        services.emplace(platform::Services { machine, *recorder, channel, loop });
        for (const RegistryCanary& canary : kRegistryCanaries) {
            platform::Registry registry;
            registry.SetRootKey(canary.root);
            if (registry.OpenKey(canary.key, true))
                registry.WriteString("Canary", "x");
        }
        for (const auto& [hive, name] : { std::pair { platform::HKEY_CURRENT_USER, "Desktop" }, { platform::HKEY_CURRENT_USER, "AppData" },
                 { platform::HKEY_LOCAL_MACHINE, "Common Desktop" } }) {
            platform::Registry registry;
            registry.SetRootKey(hive);
            if (registry.OpenKeyReadOnly("\\Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\Shell Folders")) {
                if (auto folder = platform::ResolveForCreate(registry.ReadString(name)))
                    shellFolders.push_back(*folder);
            }
        }
    }

    // A run that ends normally leaves no scratch prefix behind; one that aborts keeps it.
    ~FuzzMachine()
    {
        std::error_code error;
        fs::remove_all(root, error);
    }

    void Prepare() const
    {
        for (const fs::path& folder : SystemFolders())
            fs::create_directories(folder);
        for (const fs::path& canary : Canaries()) {
            if (canary.parent_path() == machine->DosDevicesDir() || canary.extension() == ".reg")
                continue;
            fs::create_directories(canary.parent_path());
            std::ofstream(canary, std::ios::app) << "";
        }
        fs::create_directories(driveC / "Hry" / "Hra" / "save");
        std::ofstream(driveC / "Hry" / "Hra" / "save" / "a.sav") << "x";
        std::error_code error;
        fs::create_directory_symlink(root / "outside", driveC / "Hry" / "Hra" / "Out", error);
        fs::create_directory_symlink(driveC / "windows", driveC / "Hry" / "Hra" / "Win", error);
    }

    void Check() const
    {
        for (const fs::path& canary : Canaries()) {
            if (!fs::exists(fs::symlink_status(canary)))
                std::abort();
        }
        for (const fs::path& folder : SystemFolders()) {
            if (!fs::is_directory(folder))
                std::abort();
        }
        for (const RegistryCanary& canary : kRegistryCanaries) {
            platform::Registry registry;
            registry.SetRootKey(canary.root);
            if (!registry.OpenKeyReadOnly(canary.key) || registry.ReadString("Canary") != "x")
                std::abort();
        }
    }

    // The state file records this game and another one, so both folders are known games.
    void WriteState(const std::string& extra) const
    {
        std::ofstream out(driveC / "windows" / "torva.ini", std::ios::binary | std::ios::trunc);
        out << "[Main]\r\nLanguage=1\r\n[CD0206]\r\nJINA=C:\\Hry\\Jina\r\nJINA_=jina.exe,Jina,,\r\n"
            << extra;
    }
};

std::string FromTokens(const uint8_t* data, size_t size, const std::string& prefixOnZ, bool more)
{
    std::string text;
    constexpr size_t count = std::size(kTokens);
    const size_t choices = count + 1 + (more ? std::size(kMoreTokens) : 0);
    for (size_t i = 0; i < size; ++i) {
        size_t pick = data[i] % choices;
        text += pick < count ? kTokens[pick] : pick == count ? prefixOnZ
                                                             : kMoreTokens[pick - count - 1];
    }
    return text;
}

}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    static FuzzMachine machine;
    const bool tokens = size > 0 && (data[0] == 0xFF || data[0] == 0xFE);
    std::string input = tokens ? FromTokens(data + 1, size - 1, machine.prefixOnZ, data[0] == 0xFE)
                               : std::string(reinterpret_cast<const char*>(data), size);
    size_t newline = input.find('\n');
    std::string uninstall = input.substr(0, newline);
    std::string state = newline == std::string::npos ? std::string() : input.substr(newline + 1);

    machine.Prepare();
    machine.WriteState("");
    machine.recorder->Clear();
    MenuState form(*machine.services, MenuEnvironment { machine.discDrive + "\\TORVA.EXE", nullptr });
    form.Start();
    if (form.Terminated() || !form.LoadCatalogue())
        return 0;
    try {
        TDemos& item = form.Catalogue.Demos[1];
        form.Catalogue.Demos.SetCount(1);
        item.Name = "HRA";
        item.InstallType = InstallMethod::MenuUnpacked;
        item.GameDir = "C:\\Hry\\Hra";
        item.GameName = "hra.exe";
        item.Uninstall = uninstall;
        form.Uninstaller().UninstallProc(item, form.Category());
        machine.Check();

        machine.WriteState(state);
        form.OpenInstalledPage();
        // The other game itself, under whatever name a record gives its folder, may go.
        auto otherGame = ResolveCleanupPath("C:\\Hry\\Jina");
        for (int32_t n = 1; n <= form.Catalogue.InstalledList.Count(); ++n) {
            TDemos& entry = form.Catalogue.InstalledList[n];
            auto folder = ResolveCleanupPath(entry.GameDir);
            if (!folder || folder != otherGame)
                form.Uninstaller().UninstallProc(entry, form.Category());
        }
        machine.Check();
    } catch (const EIniFileException&) {
    }
    return 0;
}
