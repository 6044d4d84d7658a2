#pragma once

// A temporary machine with a disc mapped to a drive letter, the program's services made of test
// doubles on it, and the menu's model that starts from them.

#include "menu/MenuState.h"
#include "platform/ini/IniFile.h"
#include "platform/machine/Machine.h"
#include "platform/registry/Registry.h"
#include "tests/support/RecordingUserInterface.h"
#include "tests/support/TestFiles.h"
#include "tests/support/TestServices.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <memory>
#include <sstream>
#include <string>
#include <vector>

class MenuFixture : public ::testing::Test, public torva::test::TestServices {
protected:
    void SetUp() override
    {
        root = std::filesystem::temp_directory_path() / ("torva-menu-" + torva::test::CaseName());
        std::filesystem::remove_all(root);
        std::filesystem::create_directories(root / "disc" / "Torva");
        machine = platform::Machine::OpenOrCreate(root / "prefix", setup);
        UseMachine(machine);
        // The Windows-path file calls and the registry resolve through the current machine.
        platform::SetCurrentMachine(machine);
        discLetter = machine->MapDrive(root / "disc", platform::DRIVE_CDROM);
        ASSERT_NE(discLetter, 0);
        WriteDiscFile("TORVA.EXE", "marker");
    }

    void TearDown() override
    {
        menu.reset();
        platform::SetCurrentMachine(nullptr);
        std::filesystem::remove_all(root);
    }

    std::string Drive() const { return std::string(1, discLetter) + ":"; }

    void WriteHostFile(const std::filesystem::path& path, const std::string& content) { torva::test::WriteText(path, content); }
    void WriteDiscFile(const std::string& relative, const std::string& content) { WriteHostFile(root / "disc" / relative, content); }
    void WriteDriveC(const std::string& relative, const std::string& content) { WriteHostFile(root / "prefix" / "drive_c" / relative, content); }

    void WriteCatalogue(const std::string& text) { WriteDiscFile("Torva/torvaxp.ini", text); }
    // A state file record, or "<none>".
    std::string State(const std::string& section, const std::string& key)
    {
        return TIniFile("torva.ini").ReadString(section, key, "<none>");
    }

    static inline const std::vector<std::string> NoRecords { "<none>", "<none>", "<none>" };
    // The three records of an item of disc 0206: its folder, its fields and its uninstaller.
    std::vector<std::string> Records(const std::string& name)
    {
        return { State("CD0206", name), State("CD0206", name + "_"), State("CD0206", name + "__") };
    }
    void WriteRecords(const std::string& section, const std::string& name, const std::string& folder,
        const std::string& fields, const std::string& uninstaller = "")
    {
        TIniFile state("torva.ini");
        state.WriteString(section, name, folder);
        state.WriteString(section, name + "_", fields);
        if (!uninstaller.empty())
            state.WriteString(section, name + "__", uninstaller);
    }

    static void WriteRegistry(platform::RootKey rootKey, const std::string& key, const std::string& name, const std::string& value)
    {
        platform::Registry reg;
        reg.SetRootKey(rootKey);
        ASSERT_TRUE(reg.OpenKey(key, true));
        ASSERT_TRUE(reg.WriteString(name, value));
    }
    void RegisterUninstall(const std::string& name, const std::string& command)
    {
        WriteRegistry(platform::HKEY_LOCAL_MACHINE, "\\SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\" + name, "UninstallString", command);
    }

    // The demo most tests use: HRA on the disc in DEMOS\Hra with its setup.exe, the game
    // hra.exe, the uninstall entry Hra and the clean-up instruction DG.
    TDemos Hra(int32_t installType, int32_t dirDetect = 0) const
    {
        TDemos item;
        item.Name = "HRA";
        item.InstallType = static_cast<InstallMethod>(installType);
        item.DirDetect = static_cast<FolderDetection>(dirDetect);
        item.CD = 1;
        item.RegUninstall = "Hra";
        item.Uninstall = "DG";
        item.GameName = "hra.exe";
        item.InstallDir = Drive() + "\\DEMOS\\Hra";
        item.InstallName = "setup.exe";
        return item;
    }

    // Starts the menu from the disc (or from `ownPath`) and loads the catalogue.
    MenuState& Start(const std::string& ownPath = "", bool prepareWine = false)
    {
        MenuEnvironment environment { ownPath.empty() ? Drive() + "\\TORVA.EXE" : ownPath, &cursor };
        environment.PrepareWine = prepareWine;
        environment.DebugOutput = &debugOutput;
        menu = std::make_unique<MenuState>(services, environment);
        menu->Start();
        if (!menu->Terminated())
            menu->LoadCatalogue();
        return *menu;
    }

    platform::MachineSetup setup;
    std::filesystem::path root;
    std::shared_ptr<platform::Machine> machine;
    char discLetter = 0;
    torva::test::RecordingCursor cursor;
    std::ostringstream debugOutput;
    std::unique_ptr<MenuState> menu;
};
