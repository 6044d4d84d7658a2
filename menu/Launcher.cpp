#include "menu/Launcher.h"

#include "shell/BusyCursor.h"

#include "platform/dialogs/Dialogs.h"
#include "platform/events/EventLoop.h"
#include "platform/files/Files.h"
#include "platform/process/LaunchPlanner.h"
#include "platform/process/Process.h"
#include "platform/registry/Registry.h"
#include "platform/text/Codepage.h"
#include "platform/text/Text.h"
#include "shell/PathText.h"

#include <optional>
#include <vector>

using platform::UpperCase;

namespace {

constexpr size_t MaxVersionLabel = 50;
constexpr size_t MaxShellParameters = 20;
// How long one wait for the started program sleeps at most before it looks at the window again.
constexpr uint32_t WaitSliceMs = 100;

bool Holds(const std::string& upper, const char* what)
{
    return upper.find(what) != std::string::npos;
}

bool HoldsAny(const std::string& upper, std::initializer_list<const char*> what)
{
    for (const char* one : what) {
        if (Holds(upper, one))
            return true;
    }
    return false;
}

// The program file of a GameName list entry: the part before its label, without arguments.
std::string EntryFile(const std::string& entry)
{
    return shell::CutAfterExtension(shell::CutBeforeColon(entry));
}

std::string EntryLabel(const std::string& entry)
{
    size_t colon = entry.find(':');
    return colon == std::string::npos ? std::string() : entry.substr(colon + 1, MaxVersionLabel);
}

// What the user is told when a start failed for want of something the desktop can be given.
const char* const kWineMissingText =
    "Tato položka je program pro Windows a potřebuje Wine, které na počítači není.\n"
    "Nainstalujte balíčky wine, wine64 a wine32:i386\n"
    "(sudo dpkg --add-architecture i386 && sudo apt install wine wine64 wine32:i386).";

std::string NoOpenerText(const std::string& file)
{
    const bool address = file.find("://") != std::string::npos || platform::UpperCase(file).starts_with("MAILTO:");
    return platform::Utf8ToCp1250(address ? "Na počítači není program, který by otevřel adresu\n"
                                          : "Na počítači není program, který by otevřel soubor\n")
        + file + platform::Utf8ToCp1250(".\nNainstalujte program pro tento druh souborů (nebo balíček xdg-utils).");
}

bool PdfViewerRegistered()
{
    platform::Registry registry;
    registry.SetRootKey(platform::HKEY_CLASSES_ROOT);
    return registry.OpenKeyReadOnly("\\.pdf");
}

}

Launcher::Launcher(ActionServices services, bool prepareWine)
    : m_services(std::move(services))
    , m_prepareWine(prepareWine)
{
}

bool Launcher::NormalExec(const std::string& commandLine, uint16_t showMode)
{
    if (commandLine.empty())
        return false;
    platform::ProcessStart start;
    start.commandLine = commandLine;
    start.currentDirectory = m_services.files.ProgramDirOf(commandLine);
    start.showWindow = showMode;
    auto& service = m_services.system.processes;
    std::optional<platform::ProcessHandle> process = service.CreateProcess(start);
    bool created = process.has_value();
    // Nothing waits for this program, so its handle is not kept.
    if (created)
        service.CloseHandle(*process);
    else
        ReportStartFailure(commandLine);
    std::string upper = UpperCase(commandLine);
    if (Holds(upper, ".HTM"))
        ShellExec(commandLine, showMode);
    if (Holds(upper, ".ZIP"))
        ShellExec(commandLine, showMode);
    return created;
}

bool Launcher::WaitExec(const std::string& commandLine, uint16_t showMode)
{
    if (commandLine.empty())
        return false;
    shell::BusyCursor busy(m_services.cursor);
    platform::ProcessStart start;
    start.commandLine = commandLine;
    start.currentDirectory = m_services.files.ProgramDirOf(commandLine);
    start.showWindow = showMode;
    auto& service = m_services.system.processes;
    auto process = service.CreateProcess(start);
    if (!process) {
        ReportStartFailure(commandLine);
        return false;
    }
    // The window keeps painting and its timers keep running while the program runs; the wait
    // sleeps between looks instead of polling the processor flat out.
    auto& loop = m_services.system.loop;
    uint32_t exitCode = 0;
    bool ended = true;
    while (service.GetExitCodeProcess(*process, exitCode) && exitCode == platform::STILL_ACTIVE) {
        if (Ending()) {
            ended = false;
            break;
        }
        loop.ProcessMessages();
        service.WaitForExitOrMessage(*process, loop, WaitSliceMs);
    }
    service.CloseHandle(*process);
    return ended;
}

void Launcher::ShellExec(const std::string& path, uint16_t showMode)
{
    // "readme.txt /x" opens readme.txt with "/x": the parameters follow the three characters
    // of the extension. A text with no blank after its last dot is one file name, whatever the
    // length of its extension (readme.html).
    std::string file = path;
    std::string parameters;
    size_t dot = path.rfind('.');
    if (dot != std::string::npos && path.find(' ', dot) != std::string::npos) {
        file = path.substr(0, dot + 4);
        if (dot + 4 < path.size())
            parameters = path.substr(dot + 4, MaxShellParameters);
    }
    if (Holds(UpperCase(path), ".PDF") && !PdfViewerRegistered()) {
        // The disc's reader is a Windows setup; without Wine the document still gets its
        // chance with the desktop's own programs, and only that failure is told.
        m_reportStartFailures = false;
        WaitExec(m_services.context.DiscDrive + "\\adobe\\ar500enu.exe", platform::SW_SHOWNORMAL);
        m_reportStartFailures = true;
        if (Ending())
            return;
    }
    ShellOpen("OPEN", file, parameters, "", showMode);
}

intptr_t Launcher::ShellOpen(const std::string& verb, const std::string& file, const std::string& parameters,
    const std::string& directory, uint16_t showMode)
{
    intptr_t result = m_services.system.processes.ShellExecute({ verb, file, parameters, directory, showMode });
    if (result <= 32)
        ReportStartFailure(file);
    return result;
}

// Only what the user can mend is told: Wine to install, or a program for documents. Missing
// files and programs that do not run fail silently, as they always did.
void Launcher::ReportStartFailure(const std::string& what)
{
    if (!m_reportStartFailures)
        return;
    switch (m_services.system.processes.LastStartFailure()) {
    case platform::StartFailure::WineMissing:
        m_services.system.dialogs.ShowError(platform::Utf8ToCp1250(kWineMissingText));
        break;
    case platform::StartFailure::NoDocumentOpener:
        m_services.system.dialogs.ShowError(NoOpenerText(what));
        break;
    case platform::StartFailure::None:
        break;
    }
}

void Launcher::WatchDocumentOpeners()
{
    m_services.system.processes.SetOpenFailedHandler([this](const std::string& file) { m_services.system.dialogs.ShowError(NoOpenerText(file)); });
}

bool Launcher::LaunchFile(const TDemos& item, const std::string& path)
{
    if (item.InstallType == InstallMethod::RunsFromDisc && !item.Param.empty()) {
        // A program with a test file may create it while it runs: look again afterwards.
        return WaitExec(path, platform::SW_SHOWNORMAL);
    }
    std::string upper = UpperCase(path);
    if (HoldsAny(upper, { ".AVI", ".WMV", ".MOV", ".MPG" }))
        ShellExec(path, platform::SW_SHOWNORMAL);
    if (!HoldsAny(upper, { ".MP3", ".M3U", ".XM" }))
        NormalExec(path, platform::SW_SHOWNORMAL);
    return false;
}

// Which entry of a GameName list to run: the versions whose files exist, asked for when a
// ";" list leaves several; empty when none is left or the question was closed.
std::string Launcher::ChooseVersion(const TDemos& item)
{
    std::vector<std::string> entries = shell::SplitList(item.GameName);
    std::vector<std::string> present;
    for (const std::string& entry : entries) {
        if (platform::FileExists(item.GameDir + "\\" + EntryFile(entry)))
            present.push_back(entry);
    }
    if (present.empty())
        return {};
    if (item.GameName.find(';') == std::string::npos || present.size() == 1)
        return present.front();
    std::vector<std::string> labels;
    for (const std::string& entry : present)
        labels.push_back(EntryLabel(entry));
    int chosen = m_services.system.dialogs.Choose("Jakou verzi hry chcete spustit?", labels);
    if (chosen < 0 || static_cast<size_t>(chosen) >= present.size())
        return {};
    return present[static_cast<size_t>(chosen)];
}

bool Launcher::RunProc(const TDemos& source)
{
    // A copy: what runs meanwhile may change the item itself.
    const TDemos item = source;
    if (item.InstallType == InstallMethod::AlwaysFromDisc) {
        if (!Holds(UpperCase(item.GameName), ".MPG"))
            ShellOpen("PLAY", item.GameDir + "\\" + item.GameName, "", item.GameDir, platform::SW_SHOWNORMAL);
        return false;
    }
    if (item.InstallType >= InstallMethod::FirstNotRunnable)
        return false;
    if (item.GameName.find(':') == std::string::npos)
        return LaunchFile(item, item.GameDir + "\\" + item.GameName);
    std::string entry = ChooseVersion(item);
    return !entry.empty() && LaunchFile(item, item.GameDir + "\\" + shell::CutBeforeColon(entry));
}

bool Launcher::PrepareWineInBackground()
{
    if (!m_prepareWine)
        return false;
    auto holdsWindowsSetup = [](const auto& items, int32_t count) {
        for (int32_t n = 1; n <= count; ++n) {
            const TDemos& item = items[n];
            if (!item.InstallName.empty() && platform::NeedsWine(item.InstallDir + "\\" + item.InstallName))
                return true;
        }
        return false;
    };
    const DiscCatalogue& catalogue = m_services.catalogue;
    if (holdsWindowsSetup(catalogue.Demos, catalogue.Demos.Count()) || holdsWindowsSetup(catalogue.Extra2, catalogue.Extra2.Count())
        || holdsWindowsSetup(catalogue.Fulls, catalogue.Fulls.Count()) || holdsWindowsSetup(catalogue.Readers, catalogue.Readers.Count())
        || holdsWindowsSetup(catalogue.Extra, catalogue.Extra.Count()) || holdsWindowsSetup(catalogue.Drivers, catalogue.Drivers.Count()))
        return m_services.system.processes.PrepareWinePrefix();
    return false;
}
