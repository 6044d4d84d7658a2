// torvaxp: the cover disc's menu. It maps the disc folder (the built-in sample disc unless
// --disc names another, or a disc image's folder in the image cache) to a drive of the machine
// prefix, creates the main form from its stored layout and runs it: in a desktop window, or
// headless for scripts and screenshots.

#include "menu/form/ItemOpening.h"
#include "menu/form/main_f.h"
#include "platform/events/TerminationSignals.h"
#include "shelf/DiscFinder.h"
#include "shelf/LastShelf.h"
#include "shelf/form/ShelfForm.h"
#include "platform/files/Files.h"
#include "platform/ini/IniFile.h"
#include "platform/fonts/FontRegistry.h"
#include "platform/host/ProgramHost.h"
#include "platform/hive/WineServer.h"
#include "platform/machine/Machine.h"
#include "platform/process/Process.h"
#include "platform/process/ProcessTree.h"
#include "platform/services/Services.h"
#include "platform/text/Codepage.h"
#include "platform/wine/WineTools.h"
#include "torvaxp/CommandLine.h"
#include "torvaxp/DiscDrive.h"
#include "torvaxp/DiscOpening.h"
#include "torvaxp/WindowIcon.h"
#include "platform/window/SdlDialogs.h"
#include "platform/window/SdlWindow.h"
#include "torvaxp/WindowServices.h"

#include <chrono>
#include <filesystem>
#include <iostream>
#include <thread>
#include <string>
#include <vector>

namespace fs = std::filesystem;

namespace {

int Fail(const std::string& message)
{
    std::cerr << "torvaxp: " << message << "\n";
    return 1;
}

// A disc that cannot be opened: in the menu's own message box where there is a display, on the
// terminal otherwise (also headless, where nobody would answer a box).
int FailToOpenDisc(const platform::HostOptions& hostOptions, const std::string& czech)
{
    bool desktop = !hostOptions.headless && !hostOptions.script && platform::SdlWindow::DisplayAvailable();
    if (!desktop)
        return Fail(czech);
    std::cerr << "torvaxp: " << czech << "\n";
    platform::Application().SetTitle("Torva CD v2");
    platform::SdlDialogs boxes;
    platform::Dialogs dialogs(boxes);
    dialogs.ShowError(platform::Utf8ToCp1250(czech));
    return 1;
}

void PrintUsage()
{
    std::cout << "usage: torvaxp [T] [options]\n"
              << MenuOptionsUsage() << platform::HostOptionsUsage();
}

fs::path ExecutablePath(const char* argv0)
{
    std::error_code error;
    fs::path self = fs::read_symlink("/proc/self/exe", error);
    return error ? fs::absolute(argv0) : self;
}

// The menu names its font files by Windows paths; the font registry opens host files.
void ResolveFontPathsThroughDrives()
{
    platform::SetFontPathResolver([](std::string_view windowsPath) -> std::optional<std::string> {
        auto host = platform::ResolveExisting(windowsPath);
        if (!host)
            return std::nullopt;
        return host->string();
    });
}

// Runs the menu on a machine with the disc mapped; the program's exit status.
int RunMenu(const MenuOptions& options, const platform::HostOptions& hostOptions, std::shared_ptr<platform::Machine> machine,
    char discLetter, ImageDriveReadiness* readiness)
{
    platform::ProgramHost host(hostOptions, std::cerr);
    if (!host.Ready())
        return 1;
    std::shared_ptr<platform::IProcessService> processes = platform::MakeHostProcessService(machine);
    platform::Services services { std::move(machine), *processes, host.DialogChannel(), host.Loop() };
    platform::Application().SetTitle("Torva CD v2");
    platform::InstallErrorBoxExceptionHandler(services.dialogs);

    FormCursor cursor;
    MenuEnvironment environment;
    environment.OwnPath = options.ownPath ? *options.ownPath : std::string(1, discLetter) + ":\\TORVA.EXE";
    environment.Cursor = &cursor;
    environment.ShowSetupCommand = options.showSetupCommand;
    // Script runs decide themselves when Wine starts.
    environment.PrepareWine = !hostOptions.headless;
    environment.DebugOutput = &std::cerr;
    environment.Drive = readiness;

    platform::ComponentPtr<TForm1> form(new TForm1(services, environment, &platform::Application()));
    if (readiness)
        readiness->SetView(UnpackingWaitView(*form, *readiness, services));
    cursor.SetForm(form.get());
    platform::Application().SetMainForm(form.get());
    form->SetWindow(host.NewWindow());
    constexpr int IconSize = 64;
    form->Window()->SetIcon(DrawWindowIcon(IconSize), IconSize);
    form->CreateWindowLayout();
    // A missing disc ends the program at creation, before the window is shown; a missing
    // catalogue ends it when the window is first shown.
    int status = form->Model.Terminated() ? 1 : host.Run(*form, std::cout, std::cerr, processes.get());
    if (form->Model.Terminated()) {
        // Headless, nobody saw the box that ended the menu; its text is the reason.
        if (host.Dialogs())
            for (const platform::ShownDialog& box : host.Dialogs()->Shown())
                std::cerr << "torvaxp: " << platform::Cp1250ToUtf8(box.text) << "\n";
        return 1;
    }
    return status;
}

// A program the menu started may still run from the disc (a demo that runs from its drive): a
// detached process then holds the menu's share of the drive and of the image's cache entry,
// and ends the lease as the menu would have once the programs and the prefix's wineserver have
// ended. Without it the drive would go from under the program when the user closes the menu.
void KeepDriveWhileProgramsRun(platform::Machine& machine, std::optional<DiscDriveLease>& drive, std::optional<OpenedDisc>& opened)
{
    platform::ProcessTree programs = platform::ProcessTree::OfThisProcess();
    std::shared_ptr<platform::WineServer> wine = platform::MakeHostWineServer(machine.PrefixRoot());
    auto inUse = [&] { return programs.AnyRunning() || wine->IsRunning(); };
    if (!inUse())
        return;
    bool handed = platform::RunDetached([&] {
        while (inUse())
            std::this_thread::sleep_for(std::chrono::milliseconds(500));
        drive.reset();
        opened.reset();
    });
    if (handed)
        drive->HandOver();
}

// A disc opened from the shelf: its drive, its menu in a window of its own, and the way back.
// Leaving the menu (Escape, its quit button) closes it, releases the drive as ending the program
// does, and shows the shelf again with its query and selection as they were.
class ShelfDiscs {
public:
    ShelfDiscs(platform::ProgramHost& host, platform::Services& services, TShelfForm& shelf, const MenuOptions& options)
        : m_host(host), m_services(services), m_shelf(shelf), m_options(options)
    {
    }
    ~ShelfDiscs() { Close(); }

    void Open(const shelf::ShelfOpening& opening)
    {
        try {
            UnpackProgressView progress(opening.source.filename().string(), !m_host.Headless());
            m_readiness.reset();
            m_opened = OpenDisc(opening.source, true, m_cache, std::ref(progress), ImageOpening::BrowsingFirst);
        } catch (const DiscOpenError& e) {
            m_services.dialogs.ShowError(platform::Utf8ToCp1250(e.what()));
            return;
        }
        m_drive.reset();
        if (auto drive = DiscDriveLease::Map(*m_services.machine, fs::absolute(m_opened->folder), m_opened->volume))
            m_drive.emplace(std::move(*drive));
        if (!m_drive) {
            m_opened.reset();
            m_services.dialogs.ShowError(platform::Utf8ToCp1250("Pro disk není volné písmeno jednotky."));
            return;
        }
        // Browsing a disc from the shelf never unpacks its image whole; an action that needs the
        // drive waits for it.
        if (m_opened->pendingImage)
            m_readiness.emplace(m_cache, *m_opened, *m_drive);
        AddDiscFontSubstitutes(m_opened->folder);
        MenuEnvironment environment;
        environment.OwnPath = std::string(1, m_drive->Letter()) + ":\\TORVA.EXE";
        environment.Cursor = &m_cursor;
        environment.ShowSetupCommand = m_options.showSetupCommand;
        environment.PrepareWine = !m_host.Headless();
        environment.DebugOutput = &std::cerr;
        environment.Drive = m_readiness ? &*m_readiness : nullptr;
        // Posted: the menu's own handler is still running when the user asks to leave.
        environment.Leave = [this] { m_services.loop.PostCallback([this] { Close(); }); };
        m_menu.reset(new TForm1(m_services, environment, &platform::Application()));
        if (m_readiness)
            m_readiness->SetView(UnpackingWaitView(*m_menu, *m_readiness, m_services));
        m_cursor.SetForm(m_menu.get());
        platform::Application().SetMainForm(m_menu.get());
        m_menu->SetWindow(m_host.NewWindow());
        constexpr int IconSize = 64;
        m_menu->Window()->SetIcon(DrawWindowIcon(IconSize), IconSize);
        m_menu->CreateWindowLayout();
        m_shelf.DiscOpen = true;
        m_shelf.Hide();
        m_menu->Show();
        // The keys go to the window that took the hidden one's place.
        m_menu->BringWindowToFront();
        platform::Application().ProcessMessages();
        if (opening.hit)
            OpenOnItem(*m_menu, opening.hit->category, opening.hit->number);
    }

    void Close()
    {
        if (!m_menu)
            return;
        platform::Application().SetMainForm(&m_shelf);
        m_menu.reset();
        // An unpacking still running is cancelled before anything may fork.
        m_readiness.reset();
        KeepDriveWhileProgramsRun(*m_services.machine, m_drive, m_opened);
        m_drive.reset();
        m_opened.reset();
        m_shelf.DiscOpen = false;
        m_shelf.Show();
        m_shelf.BringWindowToFront();
        // The disc's installations changed the counts.
        m_shelf.BuildIndex();
    }

private:
    platform::ProgramHost& m_host;
    platform::Services& m_services;
    TShelfForm& m_shelf;
    const MenuOptions& m_options;
    platform::ImageCache m_cache;
    FormCursor m_cursor;
    std::optional<OpenedDisc> m_opened;
    std::optional<DiscDriveLease> m_drive;
    std::optional<ImageDriveReadiness> m_readiness;
    platform::ComponentPtr<TForm1> m_menu;
};

// The folders the shelf opens: those given, which are remembered for the next time, or without
// any the last ones remembered. A folder that is gone is reported and left out; a remembered one
// stays remembered, as a drive unplugged comes back.
std::vector<fs::path> ShelfFoldersToOpen(const std::vector<fs::path>& given, const std::optional<shelf::LastShelf>& last)
{
    const bool remembered = given.empty();
    const std::vector<fs::path> folders = remembered && last ? last->Folders() : given;
    if (folders.empty())
        throw CommandLineError("--shelf without folders opens the last shelf, and none is remembered yet: give its folders, --shelf FOLDER...");
    std::vector<fs::path> present;
    for (const fs::path& folder : folders) {
        if (std::error_code error; fs::is_directory(folder, error))
            present.push_back(fs::absolute(folder).lexically_normal());
        else
            std::cerr << "torvaxp: the shelf's folder '" << folder.string() << "' is missing\n";
    }
    if (present.empty())
        throw CommandLineError("none of the shelf's folders is there");
    if (!remembered && !(last && last->Remember(present)))
        std::cerr << "torvaxp: the shelf's folders could not be remembered in the prefix's torva.ini\n";
    return present;
}

// The shelf's window on the folders (the last shelf's when none is given); the program's exit
// status.
int RunShelf(const MenuOptions& options, const platform::HostOptions& hostOptions, const std::vector<fs::path>& given)
{
    platform::SetWineTools(platform::FindWineTools(options.wine));
    auto machine = platform::Machine::OpenOrCreateForWine(options.prefix, std::cerr);
    platform::SetCurrentMachine(machine);
    std::optional<shelf::LastShelf> last;
    if (std::optional<fs::path> settings = platform::ProfileHostPath("torva.ini"))
        last.emplace(*settings);
    const std::vector<fs::path> folders = ShelfFoldersToOpen(given, last);
    ResolveFontPathsThroughDrives();
    platform::ProgramHost host(hostOptions, std::cerr);
    if (!host.Ready())
        return 1;
    std::shared_ptr<platform::IProcessService> processes = platform::MakeHostProcessService(machine);
    platform::Services services { machine, *processes, host.DialogChannel(), host.Loop() };
    platform::Application().SetTitle("Torva CD v2");
    platform::InstallErrorBoxExceptionHandler(services.dialogs);
    shelf::ShelfOptions shelfOptions;
    shelfOptions.folders = folders;
    shelfOptions.stateFile = shelf::ShelfIndex::StateFileIn(machine->PrefixRoot());
    platform::ComponentPtr<TShelfForm> form(new TShelfForm(services, shelfOptions, &platform::Application()));
    platform::Application().SetMainForm(form.get());
    form->SetWindow(host.NewWindow());
    constexpr int IconSize = 64;
    form->Window()->SetIcon(DrawWindowIcon(IconSize), IconSize);
    ShelfDiscs discs(host, services, *form, options);
    form->OnOpen = [&discs](const shelf::ShelfOpening& opening) { discs.Open(opening); };
    int status = host.Run(*form, std::cout, std::cerr, processes.get());
    discs.Close();
    return status;
}

// The folders to show as a shelf: those --shelf names (none for the last shelf), several given
// at once, or one that holds discs without being a disc's own root (which opens as a disc).
// Empty without --shelf: a disc.
std::vector<fs::path> ShelfFolders(const MenuOptions& options)
{
    if (options.shelf)
        return options.discs;
    if (options.discs.size() > 1) {
        for (const fs::path& folder : options.discs)
            if (std::error_code error; !fs::is_directory(folder, error))
                throw CommandLineError("only one disc can be given, not also '" + folder.string() + "'; several folders make a shelf");
        return options.discs;
    }
    // A path that cannot be looked at (a link to itself) is left to the disc opening to report.
    // A menu given its own path looks for its disc on the drives itself, so its folder is never
    // taken for a shelf.
    std::error_code error;
    if (options.disc && !options.ownPath && fs::is_directory(*options.disc, error) && !FolderHoldsCatalogue(*options.disc)
        && !shelf::DiscFinder::Find({ *options.disc }).empty())
        return { *options.disc };
    return {};
}

}

int main(int argc, char** argv)
{
    std::vector<std::string> args(argv + 1, argv + argc);
    // From here on SIGTERM (the desktop's logout) and SIGINT end the program the normal way:
    // an unpacking stops, a box goes, the menu closes.
    platform::InstallTerminationSignals();
    // Desktops group the menu's windows, boxes and progress window under one name.
    platform::SdlWindow::SetClassName("torvaxp");
    MenuOptions options;
    platform::HostOptions hostOptions;
    try {
        // "T" counts only as the very first argument, so it is looked at before anything moves.
        bool setupCommand = !args.empty() && args.front() == "T";
        if (setupCommand)
            args.erase(args.begin());
        hostOptions = platform::TakeHostOptions(args);
        if (setupCommand)
            args.insert(args.begin(), "T");
        options = ParseMenuOptions(args);
    } catch (const std::exception& e) {
        std::cerr << "torvaxp: " << e.what() << "\n";
        PrintUsage();
        return 1;
    }
    if (options.help) {
        PrintUsage();
        return 0;
    }
    if (options.version) {
        std::cout << "torvaxp " << TORVA_VERSION << "\n";
        return 0;
    }

    try {
        if (std::vector<fs::path> folders = ShelfFolders(options); options.shelf || !folders.empty())
            return RunShelf(options, hostOptions, folders);
        bool sampleDisc = !options.disc;
        fs::path disc;
        if (options.disc) {
            disc = *options.disc;
        } else if (auto sample = SampleDiscFolder(ExecutablePath(argv[0]))) {
            disc = *sample;
        } else {
            return Fail("the built-in sample disc is missing; name a disc folder with --disc DIR");
        }
        // The disc is checked (and an image unpacked) before the prefix is touched. A menu that
        // searches the drives from C: reports a folder without the disc itself.
        platform::ImageCache cache;
        std::optional<OpenedDisc> opened;
        try {
            bool desktop = !hostOptions.headless && !hostOptions.script && fs::is_regular_file(disc)
                && platform::SdlWindow::DisplayAvailable();
            UnpackProgressView progress(disc.filename().string(), desktop);
            // A menu that finds the disc itself looks for its files on every drive, so only one
            // told its drive browses an image before the whole of it is unpacked.
            ImageOpening opening = options.ownPath ? ImageOpening::Whole : ImageOpening::BrowsingFirst;
            opened = OpenDisc(disc, !options.ownPath, cache, std::ref(progress), opening);
        } catch (const DiscOpenError& e) {
            return FailToOpenDisc(hostOptions, e.what());
        } catch (...) {
            // A double-click from the file manager has no terminal: whatever went wrong is shown.
            return FailToOpenDisc(hostOptions, UnforeseenFailureText(disc));
        }
        disc = opened->folder;

        platform::SetWineTools(platform::FindWineTools(options.wine));
        auto machine = platform::Machine::OpenOrCreateForWine(options.prefix, std::cerr);
        // Windows paths and registry calls at the edge resolve through the current machine.
        platform::SetCurrentMachine(machine);
        // The drive goes with the run, so the prefix does not collect letters of old discs; menus
        // sharing the prefix and the disc share the letter, and the last one unmaps it.
        // An image's drive shows the image's label, or the one the user names.
        std::optional<DiscVolumeName> volume = opened->volume;
        if (options.label)
            volume = DiscVolumeName { *options.label, volume ? volume->serial : std::nullopt };
        auto drive = DiscDriveLease::Map(*machine, fs::absolute(disc), volume);
        if (!drive)
            return Fail("no free drive letter for the disc in " + machine->PrefixRoot().string());
        char letter = drive->Letter();
        if (sampleDisc)
            AddDiscFontSubstitutes(disc);
        ResolveFontPathsThroughDrives();
        std::optional<ImageDriveReadiness> readiness;
        if (opened->pendingImage)
            readiness.emplace(cache, *opened, *drive);
        int status = RunMenu(options, hostOptions, machine, letter, readiness ? &*readiness : nullptr);
        // An unpacking still running is cancelled before anything may fork.
        readiness.reset();
        KeepDriveWhileProgramsRun(*machine, drive, opened);
        return status;
    } catch (const std::exception& e) {
        return Fail(e.what());
    }
}
