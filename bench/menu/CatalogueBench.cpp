// Loading a catalogue filled to every capacity, with the status check of every checkable item
// against a machine holding 200 Uninstall keys and 200 shortcuts, against the baseline of
// merely parsing the catalogue file once.

#include "bench/menu/BenchServices.h"
#include "menu/MenuState.h"
#include "platform/events/Clock.h"
#include "platform/ini/IniDocument.h"
#include "platform/machine/Machine.h"
#include "platform/registry/Registry.h"
#include "shell/testing/LnkWriter.h"

#include <benchmark/benchmark.h>

#include <filesystem>
#include <fstream>
#include <random>
#include <sstream>

namespace {

struct Category {
    const char* countKey;
    const char* prefix;
    int capacity;
};

const Category kCategories[] = {
    { "Demos", "Demo", 30 },
    { "Shareware", "Share", 25 },
    { "Shots", "Shot", 35 },
    { "Movies", "Movie", 30 },
    { "Readers", "Reader", 40 },
    { "Fulls", "Full", 15 },
    { "Drivers", "Driver", 15 },
    { "Extra", "Extra", 15 },
    { "Extra2", "Extra2", 15 },
};

const char* const kKeys[] = { "FullName", "Firm", "Describe0", "Describe1", "Describe2", "Techinfo", "InstallDir",
    "InstallName", "SetupName", "Gamename", "Readmename", "Web", "Date", "Picture", "Flags", "CD", "RegKey", "RegName",
    "RegUninstall", "UnInstallName", "Uninstall", "TestName", "ShortCut", "IniFile", "SearchFile" };

std::string CatalogueText()
{
    std::ostringstream out;
    out << "[Main]\r\nCD=0206\r\nCDLabel=Unor 2006\r\nVersion=2\r\nUpdates=50\r\n";
    for (auto& category : kCategories)
        out << category.countKey << "=" << category.capacity << "\r\n";
    out << "[Updates]\r\n";
    for (int n = 1; n <= 50; ++n)
        out << "Update" << n << "=Patch " << n << ",build " << n << ",patch" << n << "\\setup.exe,readme.txt,0\r\n";
    for (auto& category : kCategories) {
        for (int n = 1; n <= category.capacity; ++n) {
            out << "[" << category.prefix << n << "]\r\nName=Hra " << category.prefix << " " << n << "\r\n";
            // Demos and full games cycle through the detection methods the status check knows.
            int kind = n % 5;
            out << "InstallType=" << (kind == 0 ? 0 : kind == 1 ? 4
                    : kind == 4                                 ? 7
                                                                : 5)
                << "\r\n";
            out << "DirDetect=" << (kind == 2 ? 3 : kind == 3 ? 2
                                                              : 0)
                << "\r\n";
            for (auto* key : kKeys)
                out << key << "=" << key << " of " << category.prefix << n << " with some text \xE8\xEC\xF8 & more\r\n";
            out << "RegUninstall=Game" << n << "\r\nShortCut=Game" << n << ".lnk\r\nRegKey=Firm\\Game" << n << "\r\nRegName=Path\r\n";
        }
    }
    return out.str();
}

struct Fixture {
    std::filesystem::path root;
    std::shared_ptr<platform::Machine> machine;
    std::string drive;
    std::string catalogue;

    Fixture()
    {
        root = std::filesystem::temp_directory_path() / ("torva-bench-catalogue-" + std::to_string(std::random_device()()));
        std::filesystem::create_directories(root / "disc" / "Torva");
        std::ofstream(root / "disc" / "TORVA.EXE") << "x";
        catalogue = CatalogueText();
        std::ofstream(root / "disc" / "Torva" / "torvaxp.ini", std::ios::binary) << catalogue;
        machine = platform::Machine::OpenOrCreate(root / "prefix");
        platform::SetCurrentMachine(machine);
        drive = std::string(1, machine->MapDrive(root / "disc", platform::DRIVE_CDROM)) + ":";

        platform::Registry registry;
        registry.SetRootKey(platform::HKEY_LOCAL_MACHINE);
        for (int n = 1; n <= 200; ++n) {
            registry.OpenKey("\\SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\Game" + std::to_string(n), true);
            registry.WriteString("UninstallString", "C:\\WINDOWS\\uninst.exe -f\"C:\\Games\\Game" + std::to_string(n) + "\\uninst.isu\"");
            registry.OpenKey("\\SOFTWARE\\Firm\\Game" + std::to_string(n), true);
            registry.WriteString("Path", "C:\\Games\\Game" + std::to_string(n) + "\\game.exe");
        }
        std::filesystem::path programs = root / "prefix" / "drive_c" / "users" / "Public" / "Start Menu" / "Programs";
        std::filesystem::create_directories(programs);
        for (int n = 1; n <= 200; ++n) {
            shell::LnkContents contents;
            contents.localBasePath = "C:\\Games\\Game" + std::to_string(n) + "\\game.exe";
            contents.workingDir = "C:\\Games\\Game" + std::to_string(n) + "\\";
            auto bytes = shell::WriteLnk(contents);
            std::ofstream(programs / ("Game" + std::to_string(n) + ".lnk"), std::ios::binary)
                .write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
        }
    }
    ~Fixture() { std::filesystem::remove_all(root); }
};

Fixture& TheFixture()
{
    static Fixture fixture;
    return fixture;
}

void ParseOnce(benchmark::State& state)
{
    auto& fixture = TheFixture();
    for (auto _ : state) {
        std::ifstream in(fixture.root / "disc" / "Torva" / "torvaxp.ini", std::ios::binary);
        std::string text((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
        auto document = platform::IniDocument::Parse(text);
        benchmark::DoNotOptimize(document);
    }
}

void LoadAndCheck(benchmark::State& state)
{
    auto& fixture = TheFixture();
    platform::VirtualClock clock;
    platform::EventLoop loop { clock };
    BenchServices system(fixture.machine, loop);
    MenuState form(system.services, MenuEnvironment { fixture.drive + "\\TORVA.EXE", nullptr });
    form.Start();
    for (auto _ : state) {
        form.LoadCatalogue();
        for (int32_t n = 1; n <= form.Catalogue.Demos.Count(); ++n)
            form.Status.CheckDemo(form.Catalogue.Demos[n]);
        for (int32_t n = 1; n <= form.Catalogue.Extra2.Count(); ++n)
            form.Status.CheckDemo(form.Catalogue.Extra2[n]);
        benchmark::DoNotOptimize(form.Catalogue.Demos[1].GameDir);
    }
}

BENCHMARK(ParseOnce)->Unit(benchmark::kMillisecond);
BENCHMARK(LoadAndCheck)->Unit(benchmark::kMillisecond);

}

BENCHMARK_MAIN();
