// "torvatool catalogue dump|check" and "torvatool status": the menu's catalogue loader and
// status check run on a disc folder, for disc authors and tests.

#include "menu/MenuState.h"
#include "platform/events/Clock.h"
#include "platform/machine/Machine.h"
#include "platform/services/Services.h"
#include "platform/text/Codepage.h"
#include "tools/torvatool/CatalogueLint.h"
#include "tools/torvatool/Command.h"
#include "tools/torvatool/Json.h"

#include <ctime>
#include <filesystem>
#include <optional>
#include <ostream>

namespace torvatool {

namespace {

// The disc mapped to the first free drive letter from D:, as the menu maps it, for as long as
// the command runs.
class MountedDisc {
public:
    MountedDisc(std::shared_ptr<platform::Machine> machine, const std::string& discDir)
        : m_machine(std::move(machine))
    {
        std::filesystem::path folder = std::filesystem::absolute(discDir);
        if (!std::filesystem::is_directory(folder))
            throw ToolError("no such disc folder: " + discDir);
        platform::SetCurrentMachine(m_machine);
        m_letter = m_machine->MapDrive(folder, platform::DRIVE_CDROM);
        if (m_letter == 0)
            throw ToolError("no free drive letter for the disc in " + m_machine->PrefixRoot().string());
    }
    ~MountedDisc()
    {
        m_machine->UnmapDrive(m_letter);
        platform::SetCurrentMachine(nullptr);
    }
    std::string Drive() const { return std::string(1, m_letter) + ":"; }
    const std::shared_ptr<platform::Machine>& Machine() const { return m_machine; }

private:
    std::shared_ptr<platform::Machine> m_machine;
    char m_letter = 0;
};

std::shared_ptr<platform::Machine> OpenPrefix(const std::optional<std::string>& prefix)
{
    return platform::Machine::OpenOrCreate(prefix ? std::filesystem::path(*prefix) : platform::Machine::DefaultPrefixRoot());
}

// The menu's parts without a window: error boxes are kept for the warnings list and stderr, and
// nothing here starts a program.
struct LoadedMenu {
    platform::HeadlessDialogs boxes;
    platform::Dialogs dialogs { boxes };
    platform::VirtualClock clock;
    platform::EventLoop loop { clock };
    std::shared_ptr<platform::IProcessService> processes;
    std::optional<platform::Services> services;
    std::unique_ptr<MenuState> menu;
};

void Load(LoadedMenu& loaded, const MountedDisc& disc)
{
    loaded.processes = platform::MakeHostProcessService(disc.Machine());
    loaded.services.emplace(platform::Services { disc.Machine(), *loaded.processes, loaded.dialogs, loaded.loop });
    loaded.menu = std::make_unique<MenuState>(*loaded.services, MenuEnvironment { disc.Drive() + "\\TORVA.EXE", nullptr });
    loaded.menu->Start();
    if (!loaded.menu->Terminated())
        loaded.menu->LoadCatalogue();
    if (loaded.menu->Terminated() || loaded.menu->Catalogue.Ini == nullptr) {
        const auto& shown = loaded.boxes.Shown();
        std::string message = shown.empty() ? "the menu could not start" : shown.back().text;
        throw ToolError(platform::Cp1250ToUtf8(message));
    }
}

std::string DemoJson(const TDemos& d)
{
    return JsonObject()
        .Text("Name", d.Name)
        .Text("FullName", d.FullName)
        .Text("Title", d.Title)
        .Text("Firm", d.Firm)
        .Text("Describe0", d.Describe0)
        .Text("Describe", d.Describe)
        .Text("Describe4", d.Describe4)
        .Text("TechInfo", d.TechInfo)
        .Text("UnInstallName", d.UnInstallName)
        .Text("GameDir", d.GameDir)
        .Text("GameName", d.GameName)
        .Text("Date", d.Date)
        .Text("RegUninstall", d.RegUninstall)
        .Text("RegKey", d.RegKey)
        .Text("RegName", d.RegName)
        .Text("Uninstall", d.Uninstall)
        .Text("Picture", d.Picture)
        .Text("InstallDir", d.InstallDir)
        .Text("InstallName", d.InstallName)
        .Text("SetupName", d.SetupName)
        .Text("ReadmeName", d.ReadmeName)
        .Text("Param", d.Param)
        .Number("InstallType", static_cast<int32_t>(d.InstallType))
        .Number("DirDetect", static_cast<int32_t>(d.DirDetect))
        .Number("Flags", d.Flags)
        .Number("NeedsInstall", d.NeedsInstall)
        .Number("CanRun", d.CanRun)
        .Number("Installed", d.Installed)
        .Text("Web", d.Web)
        .Number("CD", d.CD)
        .Str();
}

std::string UpdateJson(const TUpdate& u)
{
    return JsonObject().Text("Name", u.Name).Text("Subtitle", u.Subtitle).Text("SetupName", u.SetupName).Text("ReadmeName", u.ReadmeName).Number("NoRun", u.NoRun).Text("Picture", u.Picture).Str();
}

std::string ShotJson(const TShot& s)
{
    return JsonObject().Text("FullName", s.FullName).Text("Name", s.Name).Text("Firm", s.Firm).Text("Date", s.Date).Text("Describe0", s.Describe0).Text("Describe", s.Describe).Text("Describe4", s.Describe4).Text("Picture", s.Picture).Str();
}

std::string MovieJson(const TMovies& m)
{
    return JsonObject().Text("Name", m.Name).Text("Firm", m.Firm).Text("TechInfo", m.TechInfo).Text("FullName", m.FullName).Text("Describe0", m.Describe0).Text("Describe", m.Describe).Text("InstallDir", m.InstallDir).Text("Date", m.Date).Text("GameName", m.GameName).Text("InstallName", m.InstallName).Number("InstallType", m.InstallType).Text("Picture", m.Picture).Str();
}

template <typename Array, typename ToJson>
std::string ArrayJson(const Array& array, int32_t count, ToJson toJson)
{
    std::vector<std::string> items;
    for (int32_t n = 1; n <= count; ++n)
        items.push_back(toJson(array[n]));
    return JsonArray(items);
}

int RunDump(Arguments& args, const std::optional<std::string>& prefix, std::ostream& out)
{
    auto& words = args.Positional(2, 2, "catalogue dump [--prefix DIR] DISCDIR");
    auto machine = OpenPrefix(prefix);
    MountedDisc disc(machine, words[1]);
    LoadedMenu loaded;
    Load(loaded, disc);
    const MenuState& f = *loaded.menu;

    std::vector<std::string> warnings;
    for (auto& warning : f.Catalogue.LoadWarnings)
        warnings.push_back(JsonString(warning));
    out << JsonObject()
               .Text("DiscDrive", f.Context.DiscDrive)
               .Text("DataDir", f.Context.DataDir)
               .Text("DiscId", f.Context.DiscId)
               .Text("DiscLabel", f.Catalogue.DiscLabel)
               .Bool("DebugMode", f.Catalogue.DebugMode)
               .Number("Version", f.Catalogue.Version)
               .Text("Title", f.WindowCaption)
               .Text("ApplicationTitle", f.ApplicationTitle)
               .Raw("Demos", ArrayJson(f.Catalogue.Demos, f.Catalogue.Demos.Count(), DemoJson))
               .Raw("Fulls", ArrayJson(f.Catalogue.Fulls, f.Catalogue.Fulls.Count(), DemoJson))
               .Raw("Updates", ArrayJson(f.Catalogue.Updates, f.Catalogue.Updates.Count(), UpdateJson))
               .Raw("Shareware", ArrayJson(f.Catalogue.Shareware, f.Catalogue.Shareware.Count(), DemoJson))
               .Raw("Shots", ArrayJson(f.Catalogue.Shots, f.Catalogue.Shots.Count(), ShotJson))
               .Raw("Readers", ArrayJson(f.Catalogue.Readers, f.Catalogue.Readers.Count(), DemoJson))
               .Raw("Movies", ArrayJson(f.Catalogue.Movies, f.Catalogue.Movies.Count(), MovieJson))
               .Raw("Drivers", ArrayJson(f.Catalogue.Drivers, f.Catalogue.Drivers.Count(), DemoJson))
               .Raw("Extra", ArrayJson(f.Catalogue.Extra, f.Catalogue.Extra.Count(), DemoJson))
               .Raw("Extra2", ArrayJson(f.Catalogue.Extra2, f.Catalogue.Extra2.Count(), DemoJson))
               .Raw("warnings", JsonArray(warnings))
               .Str()
        << "\n";
    return 0;
}

int RunCheck(Arguments& args, std::ostream& out)
{
    auto& words = args.Positional(2, 2, "catalogue check DISCDIR");
    // The linter looks at the disc through a machine of its own, so it touches no user prefix.
    std::filesystem::path scratch = std::filesystem::temp_directory_path() / ("torvatool-check-" + std::to_string(std::hash<std::string>()(words[1]) ^ static_cast<size_t>(std::time(nullptr))));
    std::filesystem::remove_all(scratch);
    auto machine = platform::Machine::OpenOrCreate(scratch);
    int errors = 0;
    {
        MountedDisc disc(machine, words[1]);
        auto findings = LintCatalogue(disc.Drive());
        for (auto& finding : findings) {
            out << (finding.isError ? "error: " : "warning: ") << platform::Cp1250ToUtf8(finding.where) << ": "
                << platform::Cp1250ToUtf8(finding.message) << "\n";
            errors += finding.isError ? 1 : 0;
        }
        out << findings.size() << " findings, " << errors << " errors\n";
    }
    std::filesystem::remove_all(scratch);
    return errors > 0 ? 1 : 0;
}

int RunCatalogue(Arguments& args, std::ostream& out)
{
    auto prefix = args.TakeOption("--prefix");
    auto& words = args.Positional(1, 3, "catalogue dump [--prefix DIR] DISCDIR | catalogue check DISCDIR");
    if (words[0] == "dump")
        return RunDump(args, prefix, out);
    if (words[0] == "check")
        return RunCheck(args, out);
    throw ToolError("usage: catalogue dump [--prefix DIR] DISCDIR | catalogue check DISCDIR");
}

int RunStatus(Arguments& args, std::ostream& out)
{
    auto prefix = args.TakeOption("--prefix");
    auto& words = args.Positional(1, 1, "status [--prefix DIR] DISCDIR");
    auto machine = OpenPrefix(prefix);
    MountedDisc disc(machine, words[0]);
    LoadedMenu loaded;
    Load(loaded, disc);
    MenuState& f = *loaded.menu;
    auto report = [&](CategoryCode category, int32_t index, TDemos& item) {
        f.Status.CheckDemo(item);
        out << JsonObject().Number("Category", static_cast<int32_t>(category)).Number("Index", index).Text("Name", item.Name).Text("GameDir", item.GameDir).Number("CanRun", item.CanRun).Number("Installed", item.Installed).Number("NeedsInstall", item.NeedsInstall).Text("UnInstallName", item.UnInstallName).Str()
            << "\n";
    };
    for (int32_t n = 1; n <= f.Catalogue.Demos.Count(); ++n)
        report(CategoryCode::Demos, n, f.Catalogue.Demos[n]);
    for (int32_t n = 1; n <= f.Catalogue.Extra2.Count(); ++n)
        report(CategoryCode::Extra2, n, f.Catalogue.Extra2[n]);
    return 0;
}

CommandRegistration catalogueCommand({ "catalogue", "catalogue dump [--prefix DIR] DISCDIR | catalogue check DISCDIR   load or lint a disc's catalogue", RunCatalogue });
CommandRegistration statusCommand({ "status", "status [--prefix DIR] DISCDIR   run the status check of every demo", RunStatus });

}

}
