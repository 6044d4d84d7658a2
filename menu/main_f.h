#pragma once

// The main form of the menu. This header holds the form's data (the catalogue arrays and the
// form-wide fields) and the operations that need no window: start-up environment, catalogue
// loading, the state file and the status check. The window side attaches through the virtual
// hooks at the end, so everything here runs headless.

#include "menu/CatalogueTypes.h"
#include "platform/ini/IniFile.h"
#include "shell/FileTree.h"
#include "shell/ShellLnk.h"
#include "shell/UserInterface.h"

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

// What the form needs from outside: the program's own Windows path (it locates the disc) and the
// user interface for error boxes and the busy cursor.
struct MenuEnvironment {
    std::string OwnPath = "C:\\TORVA.EXE";
    shell::MessageBoxService* MessageBoxes = nullptr;
    shell::CursorService* Cursor = nullptr;
};

class TForm1 {
public:
    explicit TForm1(MenuEnvironment environment);
    virtual ~TForm1();

    // Catalogue arrays, numbered from 1, with their counts.
    OneBasedArray<TDemos, 30> Demos;
    int32_t DemoCount = 0;
    OneBasedArray<TDemos, 15> Fulls;
    int32_t FullCount = 0;
    OneBasedArray<TUpdate, 50> Updates;
    int32_t UpdateCount = 0;
    OneBasedArray<TDemos, 25> Shareware;
    int32_t ShareCount = 0;
    OneBasedArray<TShot, 35> Shots;
    int32_t ShotCount = 0;
    OneBasedArray<TDemos, 50> InstalledList;
    int32_t InstalledCount = 0;
    OneBasedArray<TDemos, 40> Readers;
    int32_t ReaderCount = 0;
    OneBasedArray<TMovies, 30> Movies;
    int32_t MovieCount = 0;
    OneBasedArray<TDemos, 15> Drivers;
    int32_t DriverCount = 0;
    OneBasedArray<TDemos, 15> Extra;
    int32_t ExtraCount = 0;
    OneBasedArray<TDemos, 15> Extra2;
    int32_t Extra2Count = 0;
    OneBasedArray<TPage, 15> Pages;
    int32_t PageCount = 0;
    OneBasedArray<TPage, 99> PictureCache;
    int32_t PictureCount = 0;

    // Form-wide fields.
    std::unique_ptr<TIniFile> CatalogueIni;
    std::unique_ptr<TIniFile> StateIni;
    std::string DiscId;
    std::string DiscLabel;
    bool DebugMode = false;
    int32_t Version = 0;
    std::string DataDir;
    std::string DiscDrive;
    int32_t Language = 0;
    int32_t Enhanced = 0;
    int32_t Slow = 0;
    std::string WinVersion;
    std::string SystemDir;
    std::string WindowsDir;
    std::string ProgramFilesDir;
    std::string CommonDesktopDir;
    std::string DesktopDir;
    std::string ProgramsDir;
    int32_t Category = 0;
    int32_t ItemIndex = 0;

    // Texts the window shows once it exists.
    std::string ApplicationTitle = "Torva CD v2";
    std::string Caption;
    std::string CDNumberText;

    TQXShellLink QXShellLink1 { nullptr };

    // Set when start-up or loading failed and the program is to end.
    bool Terminated = false;
    // Notes about catalogue values the form could not hold as written (cut counts, odd update
    // lists). The menu shows nothing of them; torvatool reports them.
    std::vector<std::string> LoadWarnings;

    // Start-up environment.
    void LoadSystemInfo();
    // Finds the disc and opens the state file; false (and Terminated) when the menu must end.
    bool LoadData();
    // Reads [Main] Enhanced and Slow.
    void LoadSettings();
    // The creation event's part that needs no window: environment, disc, settings. Platform
    // errors (a refused state-file write) are reported in the application's error box and skip
    // the rest, as the framework does.
    void FormCreateCore();

    // Loads the catalogue into the arrays; false (and Terminated) when it is missing.
    bool LoadCatalogue();

    // Message texts of the string table in the form's language.
    std::string LoadString(int32_t n) const;
    std::string LoadSpecial(int32_t n, const std::string& argument) const;

    // The status check of one item, in place.
    void CheckDemo(TDemos& item);
    // The folder the state files record for an item, with the older copies as fallbacks.
    std::string RecordedGameDir(const TDemos& item);
    bool TestGame(const TDemos& item, std::string& gameEntry) const;

    // The state section of this disc: "CD" + DiscId.
    std::string StateSection() const { return "CD" + DiscId; }

    // File-tree and path operations the other parts share.
    shell::FileTree& FileTree() { return *m_fileTree; }
    bool DirExists(const std::string& path) const { return m_fileTree->DirExists(path); }

protected:
    // Hooks for the window: the page table and first page once the catalogue is loaded, and the
    // title and debug labels. The headless form leaves them empty.
    virtual void CatalogueLoaded() { }

    void ShowError(const std::string& text);

private:
    void ReadDemoSection(TDemos& item, const std::string& section, bool isFull);
    void ReadReaderSection(TDemos& item, const std::string& section);
    void ReadShareSection(TDemos& item, const std::string& section);
    void ReadDriverSection(TDemos& item, const std::string& section);
    void ReadExtraSection(TDemos& item, const std::string& section);
    void ReadShotSection(TShot& item, const std::string& section);
    void ReadMovieSection(TMovies& item, const std::string& section);
    void ReadUpdate(TUpdate& item, int32_t n);
    void ReadDirDetectParam(TDemos& item, const std::string& section);
    int32_t ReadCount(const char* key, int32_t capacity);

    std::string Text(const std::string& section, const char* key, const std::string& defaultValue = "") const;
    int32_t Number(const std::string& section, const char* key, int32_t defaultValue) const;

    void WriteFoundState(const TDemos& item, const std::string& gameDir, const std::string& fields);
    void DeleteState(const TDemos& item);
    std::string UninstallStringOf(const std::string& regUninstall) const;
    std::string ShortcutFolder(const std::string& shortcutPath, bool workingDir);

    MenuEnvironment m_environment;
    std::unique_ptr<shell::FileTree> m_fileTree;
};
