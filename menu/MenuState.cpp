// The menu's state and rules without its window: pages, selection, offered actions, pictures,
// settings and the action parts.

#include "menu/MenuState.h"

#include "menu/CatalogueText.h"
#include "platform/components/ExtCtrls.h"
#include "platform/process/Process.h"
#include "platform/strings/StringTable.h"
#include "platform/text/Text.h"

#include <algorithm>

namespace {

// String table messages of the page texts.
constexpr int32_t SharewareFolderText = 13;
constexpr int32_t UpdatesExplanationText = 61;

constexpr PageKind PageKinds[] = {
    { CategoryCode::Demos, "DEMA", 2, ShowsPicture | ChecksItems },
    { CategoryCode::Extra, "EXTRA", 6, 0 },
    { CategoryCode::Shareware, "SHAREWARE", 4, 0, SharewareFolderText },
    { CategoryCode::Drivers, "OVLADA\xC8"
                             "E",
        10, 0 },
    { CategoryCode::Updates, "UPDATY", 8, 0, UpdatesExplanationText },
    { CategoryCode::Readers, "OD \xC8TEN\xC1\xD8U", 21, 0 },
    { CategoryCode::Shots, "E3 OBR\xC1ZKY", 23, ShowsPicture | ShowsUnplayable },
    { CategoryCode::Movies, "E3 VIDEA", 23, ShowsPicture | OpaquePicture | ShowsUnplayable | ShowsCodecNote, SharewareFolderText },
    { CategoryCode::Fulls, "PLN\xC1 HRA", 4, ShowsPicture },
    { CategoryCode::Extra2, "ONLINE DEMA", 25, ShowsPicture | ChecksItems },
    { CategoryCode::Installed, "INSTALOV\xC1NO", 27, 0 },
};

// The icon column's pages, top to bottom.
constexpr CategoryCode ColumnPages[] = { CategoryCode::Demos, CategoryCode::Extra2, CategoryCode::Fulls, CategoryCode::Movies,
    CategoryCode::Shots, CategoryCode::Extra, CategoryCode::Shareware, CategoryCode::Updates, CategoryCode::Drivers,
    CategoryCode::Installed };

constexpr int32_t ListRows = 10;
constexpr uint32_t SetupPollIntervalMs = 3000;
const char* const NoPicture = "NUL";

// Demos, extras, readers' contributions, full games and the second demo list: the pages whose
// items are run when they can be and installed otherwise.
bool RunsOrInstalls(CategoryCode category)
{
    return category == CategoryCode::Demos || category == CategoryCode::Extra || category == CategoryCode::Readers
        || category == CategoryCode::Fulls || category == CategoryCode::Extra2;
}

// The folder part of a relative path, without its last backslash.
std::string FolderPart(const std::string& path)
{
    size_t slash = path.rfind('\\');
    return slash == std::string::npos ? std::string() : path.substr(0, slash);
}

bool HasScheme(const std::string& address)
{
    std::string upper = platform::UpperCase(address);
    return upper.starts_with("HTTP://") || upper.starts_with("HTTPS://");
}

bool HasPicture(const std::string& picture)
{
    return !picture.empty() && picture != NoPicture;
}

std::unique_ptr<shell::FileTree> MakeFileTree(platform::Dialogs& dialogs, const MenuEnvironment& environment)
{
    shell::FileTreeContext context;
    context.dialogs = &dialogs;
    context.cursor = environment.Cursor;
    context.LoadSpecial = [](uint32_t id, const std::string& argument) { return platform::LoadSpecial(id, argument); };
    return std::make_unique<shell::FileTree>(std::move(context));
}

}

const PageKind* FindPageKind(CategoryCode code)
{
    for (const PageKind& kind : PageKinds)
        if (kind.code == code)
            return &kind;
    return nullptr;
}

MenuState::MenuState(platform::Services& services, MenuEnvironment environment)
    : m_services(services)
    , m_environment(std::move(environment))
    , m_fileTree(MakeFileTree(m_services.dialogs, m_environment))
    , Catalogue(Context)
    , Status(Context, *m_fileTree, &m_services.dialogs)
    , InstalledPage(Context)
    , Startup(Context, *m_fileTree, m_environment.OwnPath, &m_services.dialogs)
    , Texts(Context)
    , List(Catalogue)
{
    MakeActionParts();
}

MenuState::~MenuState() = default;

void MenuState::MakeActionParts()
{
    ActionServices services {
        .system = m_services,
        .context = Context,
        .catalogue = Catalogue,
        .status = Status,
        .files = *m_fileTree,
        .cursor = m_environment.Cursor,
        .debugOutput = m_environment.DebugOutput,
        .texts = Texts,
        .refreshViews = [this] { Refresh(); },
    };
    m_launcher = std::make_unique<::Launcher>(services, m_environment.PrepareWine);

    InstallerWindow window;
    window.pollTimer = [this]() -> platform::TTimer& { return PollTimer(); };
    window.bringToFront = [this] {
        if (m_views.bringToFront)
            m_views.bringToFront();
    };
    window.bringBack = [this](MenuSelection selection) {
        m_category = selection.page;
        m_itemIndex = selection.index;
    };
    window.showSetupCommand = m_environment.ShowSetupCommand;
    m_installer = std::make_unique<::Installer>(services, *m_launcher, std::move(window));

    UninstallerViews views;
    views.showInstalledPage = [this] { OpenInstalledPage(); };
    views.repaint = [this] {
        if (m_views.repaint)
            m_views.repaint();
    };
    m_uninstaller = std::make_unique<::Uninstaller>(services, *m_launcher, std::move(views));
}

// The window's Timer1 when there is a window; else one of the same setting, so that the poll
// runs without it as well.
platform::TTimer& MenuState::PollTimer()
{
    if (m_views.pollTimer)
        return m_views.pollTimer();
    if (!m_pollTimer) {
        m_pollTimer.reset(new platform::TTimer(nullptr, m_services.loop));
        m_pollTimer->SetEnabled(false);
        m_pollTimer->SetInterval(SetupPollIntervalMs);
        m_pollTimer->SetOnTimer([this](platform::TObject*) { PollSetup(); });
    }
    return *m_pollTimer;
}

void MenuState::PollSetup()
{
    Installer().PollSetup(m_category);
}

// What an action changed: the selected entry is looked at again, then the views follow.
void MenuState::Refresh()
{
    FollowSelection();
    if (m_views.refresh)
        m_views.refresh();
}

bool MenuState::Start()
{
    const StartupOutcome outcome = Startup.Start();
    if (outcome.settings)
        m_settings = { outcome.settings->enhanced, outcome.settings->slow };
    m_terminated = outcome.terminated;
    return outcome.started;
}

bool MenuState::LoadCatalogue()
{
    if (auto loaded = Catalogue.Load(); !loaded) {
        m_services.dialogs.ShowError(CatalogueProblemText(loaded.Error()));
        m_terminated = true;
        return false;
    }
    if (!Catalogue.DiscLabel.empty())
        Context.StateIni->WriteString("Main", Context.DiscId, Catalogue.DiscLabel);
    {
        // Readers' contributions and full games are checked at once; demos when their page opens.
        TIniFile::ReadBatch stateBatch(*Context.StateIni);
        for (int32_t n = 1; n <= Catalogue.Readers.Count(); ++n)
            Status.CheckDemo(Catalogue.Readers[n]);
        for (int32_t n = 1; n <= Catalogue.Fulls.Count(); ++n)
            Status.CheckDemo(Catalogue.Fulls[n]);
    }
    const std::string& discId = Context.DiscId;
    WindowCaption = "Torva DVD " + discId.substr(0, std::min<size_t>(2, discId.size())) + "-20"
        + (discId.size() > 2 ? discId.substr(2, 2) : std::string());
    ApplicationTitle = WindowCaption;
    CDNumberText = discId.substr(0, std::min<size_t>(4, discId.size()));
    if (Catalogue.DebugMode)
        ApplicationTitle += " - DEBUG MODE";
    return true;
}

void MenuState::MakePageTable()
{
    m_pageCount = 0;
    for (CategoryCode code : ColumnPages)
        AddPage(code);
}

void MenuState::AddPage(CategoryCode code)
{
    ++m_pageCount;
    const PageKind* kind = FindPageKind(code);
    if (kind && m_pageCount <= m_pages.capacity)
        m_pages[m_pageCount] = TPage { kind->caption, static_cast<uint8_t>(kind->code) };
}

bool MenuState::Offers(MenuAction action) const
{
    switch (action) {
    case MenuAction::Play: return m_offered.play;
    case MenuAction::Stop: return m_offered.stop;
    case MenuAction::Readme: return m_offered.readme;
    case MenuAction::Web: return m_offered.web;
    }
    return false;
}

// The chosen icon stays lit whatever the pointer does.
void MenuState::UnlightIcon(int32_t slot, std::vector<IconLight>& lights)
{
    if (slot == m_selectedSlot)
        return;
    if (slot >= 1)
        lights.push_back({ slot, false });
    m_hotIcon = 0;
}

void MenuState::LightIcon(int32_t slot, std::vector<IconLight>& lights)
{
    if (slot == m_hotIcon)
        return;
    UnlightIcon(m_hotIcon, lights);
    if (slot >= 1)
        lights.push_back({ slot, true });
    m_hotIcon = slot;
}

std::vector<IconLight> MenuState::PointIcon(int32_t slot)
{
    std::vector<IconLight> lights;
    LightIcon(slot, lights);
    return lights;
}

std::vector<IconLight> MenuState::LeaveIcons()
{
    std::vector<IconLight> lights;
    UnlightIcon(m_hotIcon, lights);
    return lights;
}

IconChoice MenuState::ChooseIcon(int32_t slot)
{
    IconChoice choice;
    if (slot < 1 || slot > m_pageCount || slot > m_pages.capacity || m_pages[slot].Category() == m_category)
        return choice;
    if (m_environment.Cursor)
        m_environment.Cursor->ShowDefault();
    const int32_t previous = m_selectedSlot;
    m_selectedSlot = slot;
    if (slot != previous)
        UnlightIcon(previous, choice.lights);
    LightIcon(slot, choice.lights);
    choice.page = m_pages[slot].Category();
    return choice;
}

int32_t MenuState::SlotAfter(int32_t step) const
{
    const int32_t slots = std::min<int32_t>(m_pageCount, m_pages.capacity);
    if (slots < 1)
        return 0;
    const int32_t from = std::clamp<int32_t>(m_selectedSlot, 1, slots);
    return (from - 1 + step % slots + slots) % slots + 1;
}

std::vector<IconLight> MenuState::SelectPage(CategoryCode code)
{
    std::vector<IconLight> lights;
    m_offered = {};
    m_itemIndex = 1;
    m_topIndex = 1;
    if (code == CategoryCode::Installed) {
        OpenInstalledPage();
    } else if (code == CategoryCode::Settings) {
        // The page icons keep their state: the old page's icon stays lit and every icon clickable.
        UnlightIcon(m_hotIcon, lights);
        m_category = CategoryCode::Settings;
        FollowSelection();
    } else if (FindPageKind(code)) {
        OpenListPage(code);
    }
    return lights;
}

void MenuState::OpenListPage(CategoryCode code)
{
    const PageKind* kind = FindPageKind(code);
    m_category = code;
    if (kind->look & ChecksItems) {
        m_topIndex = 1;
        m_itemIndex = 1;
        for (int32_t n = 1; TDemos* item = Catalogue.ItemOf(code, n); ++n)
            Status.CheckDemo(*item);
    }
    FollowSelection();
}

void MenuState::OpenInstalledPage()
{
    m_category = CategoryCode::Installed;
    m_topIndex = 1;
    m_itemIndex = 1;
    if (m_views.installedPageOpening)
        m_views.installedPageOpening();
    InstalledPage.Fill(Catalogue.InstalledList);
    FollowSelection();
    if (m_views.installedPageShown)
        m_views.installedPageShown();
}

MenuChange MenuState::Select(MenuSelection selection)
{
    m_category = selection.page;
    m_itemIndex = selection.index;
    return FollowSelection();
}

MenuChange MenuState::StepDown()
{
    const int32_t count = Count();
    if (count == 0 || m_itemIndex >= count)
        return {};
    ++m_itemIndex;
    if (m_itemIndex == m_topIndex + ListRows && m_topIndex != count - (ListRows - 1))
        ++m_topIndex;
    MenuChange change = FollowSelection();
    change.rows = true;
    return change;
}

MenuChange MenuState::StepUp()
{
    if (Count() == 0 || m_itemIndex <= 1 || (m_category == CategoryCode::Installed && Catalogue.InstalledList.Count() == 0))
        return {};
    --m_itemIndex;
    MenuChange change;
    if (m_itemIndex == m_topIndex - 1 && m_topIndex != 1) {
        --m_topIndex;
        change.rows = true;
    }
    MenuChange followed = FollowSelection();
    change.rows |= followed.rows;
    change.detail = true;
    return change;
}

MenuChange MenuState::SelectRow(int32_t offset)
{
    const int32_t i = m_topIndex + offset;
    if (i == m_itemIndex || i > Count())
        return {};
    m_itemIndex = i;
    return FollowSelection();
}

void MenuState::ClampSelection()
{
    if (m_itemIndex < 1) {
        m_itemIndex = 1;
        m_topIndex = 1;
    }
    if (m_topIndex < 1)
        m_topIndex = 1;
    const int32_t count = Count();
    if (count < m_itemIndex)
        m_itemIndex = count;
}

// A jump always keeps the selection it reached, also when the list window cannot move (a Page
// Down near the end selects the last item).
MenuChange MenuState::JumpTo(int32_t index)
{
    m_itemIndex = index;
    const int32_t count = Count();
    m_topIndex = count - m_itemIndex >= ListRows - 1 ? m_itemIndex : count - (ListRows - 1);
    ClampSelection();
    MenuChange change = FollowSelection();
    change.rows = true;
    return change;
}

MenuChange MenuState::PageBy(int32_t step)
{
    return JumpTo(m_itemIndex + step * (ListRows - 1));
}

MenuChange MenuState::Home()
{
    m_itemIndex = 1;
    m_topIndex = 1;
    MenuChange change = FollowSelection();
    change.rows = true;
    return change;
}

MenuChange MenuState::End()
{
    const int32_t count = Count();
    m_itemIndex = count;
    m_topIndex = count - (ListRows - 1);
    ClampSelection();
    MenuChange change = FollowSelection();
    change.rows = true;
    return change;
}

// Lists of up to ten items step by one. Longer lists go by tens: the lower button goes to the
// next multiple of ten, the upper one to the previous (1 from the first ten). The rule carries
// on past 40, so lists of up to 50 (updates, the installed page) keep working buttons to their
// end.
MenuChange MenuState::ListButton(bool down)
{
    const int32_t count = Count();
    if (count <= ListRows)
        return down ? StepDown() : StepUp();
    if (!down)
        return JumpTo(m_itemIndex <= ListRows ? 1 : (m_itemIndex - 1) / ListRows * ListRows);
    if (m_itemIndex >= 1)
        return JumpTo(std::min<int32_t>((m_itemIndex / ListRows + 1) * ListRows, count));
    return JumpTo(m_itemIndex);
}

MenuChange MenuState::JumpToLetter(char letter)
{
    const int32_t found = List.FindPosition(m_category, letter);
    if (found == 0)
        return {};
    const int32_t d = found - m_topIndex;
    if (d < 1 || d > ListRows - 1)
        return JumpTo(found);
    m_itemIndex = found;
    ClampSelection();
    MenuChange change = FollowSelection();
    change.rows = true;
    return change;
}

// What the selected entry offers follows its page's rules. An empty page has no entry to
// describe: the buttons stay as the page change left them.
MenuChange MenuState::FollowSelection()
{
    m_smallPicture.reset();
    MenuChange change;
    change.detail = true;
    if (m_category == CategoryCode::Settings) {
        if (m_itemIndex == 1 || m_itemIndex == 2) {
            const bool on = (m_itemIndex == 1 ? m_settings.enhanced : m_settings.slow) == 1;
            m_offered.play = !on;
            m_offered.stop = on;
        }
        return change;
    }
    if (m_itemIndex < 1 || m_itemIndex > Count())
        return change;
    switch (m_category) {
    case CategoryCode::Demos:
    case CategoryCode::Fulls:
    case CategoryCode::Extra2:
        if (TDemos* item = SelectedItem())
            change.rows = FollowItem(*item).rows;
        break;
    case CategoryCode::Extra: {
        // An extra with install type 0 runs straight from the disc.
        TDemos& item = Catalogue.Extra[m_itemIndex];
        m_offered.readme = !item.ReadmeName.empty();
        m_offered.web = !item.Web.empty();
        if (item.InstallType != InstallMethod::RunsFromDisc) {
            m_offered.play = true;
        } else {
            item.GameDir = item.InstallDir;
            item.CanRun = 1;
            m_offered.play = !item.GameName.empty();
        }
        m_offered.stop = false;
        if (!item.Picture.empty())
            ShowPicture(item.Picture);
        else
            m_smallPicture = std::string();
        break;
    }
    case CategoryCode::Shareware:
    case CategoryCode::Drivers: {
        const TDemos& item = *SelectedItem();
        m_offered.readme = !item.ReadmeName.empty();
        m_offered.play = !item.InstallName.empty();
        break;
    }
    case CategoryCode::Updates: {
        const TUpdate& item = Catalogue.Updates[m_itemIndex];
        m_offered.readme = !item.ReadmeName.empty();
        m_offered.play = !item.SetupName.empty();
        break;
    }
    case CategoryCode::Readers: {
        // A contribution that is only a text to read offers just its readme, from its disc folder.
        TDemos& item = Catalogue.Readers[m_itemIndex];
        m_offered.readme = !item.ReadmeName.empty() && item.NeedsInstall == 0;
        if (item.InstallType != InstallMethod::RunsFromDisc || !item.GameName.empty() || item.ReadmeName.empty()) {
            m_offered.play = item.CanRun == 1;
            m_offered.stop = item.Installed == 1;
        } else {
            item.GameDir = item.InstallDir;
            m_offered.readme = true;
            m_offered.play = false;
            m_offered.stop = false;
        }
        break;
    }
    case CategoryCode::Shots:
        Pictures.Number = 1;
        ShowPicture(Catalogue.Shots[m_itemIndex].Picture);
        break;
    case CategoryCode::Movies: {
        const TMovies& item = Catalogue.Movies[m_itemIndex];
        m_offered.play = !item.GameName.empty();
        ShowPicture(item.Picture);
        break;
    }
    case CategoryCode::Installed: {
        const TDemos& item = Catalogue.InstalledList[m_itemIndex];
        m_offered.play = item.CanRun == 1;
        m_offered.stop = item.Installed == 1;
        break;
    }
    default: break;
    }
    return change;
}

// Demos, full games and the second demo list: an item marked installed whose game has gone is
// checked again before it is shown, and the list picks up its new colour.
MenuChange MenuState::FollowItem(TDemos& item)
{
    MenuChange change;
    std::string gameEntry;
    if (item.Installed == 1 && !Status.TestGame(item, gameEntry)) {
        Status.CheckDemo(item);
        change.rows = true;
    }
    m_offered.readme = !item.ReadmeName.empty() && item.NeedsInstall == 0;
    m_offered.web = !item.Web.empty();
    m_offered.play = !item.GameName.empty();
    m_offered.stop = item.Installed == 1;
    Pictures.Number = 1;
    ShowPicture(item.Picture);
    return change;
}

// An entry without a picture hides the small picture instead of leaving the previous entry's
// picture on show.
void MenuState::ShowPicture(const std::string& picture)
{
    if (!HasPicture(picture)) {
        m_smallPicture = std::string();
        m_hasGallery = false;
        return;
    }
    Pictures.Number = 1;
    m_smallPicture = picture;
    m_hasGallery = Pictures.HasSeries(picture);
}

// Every entry counts here, the last match winning: after the counter wrapped, a name can sit in
// an entry above it too.
int32_t MenuState::CachedPicture(const std::string& picture) const
{
    bool loaded = false;
    for (int32_t i = 1; i <= m_pictureCount && i <= m_pictureCache.capacity; ++i)
        loaded = loaded || m_pictureCache[i].Caption == picture;
    if (!loaded)
        return 0;
    int32_t index = -1;
    for (int32_t i = 1; i <= m_pictureCache.capacity; ++i)
        if (m_pictureCache[i].Caption == picture)
            index = m_pictureCache[i].Code;
    return index;
}

int32_t MenuState::NextPictureEntry()
{
    const int32_t k = m_pictureCount + 1;
    m_pictureCount = k == m_pictureCache.capacity ? 1 : k;
    return k;
}

void MenuState::RememberPicture(const std::string& picture, int32_t entry)
{
    m_pictureCache[entry] = TPage { picture, static_cast<uint8_t>(entry) };
}

void MenuState::ForgetPictures()
{
    m_pictureCache.Clear();
    m_pictureCount = 0;
}

std::string MenuState::SelectedSeries()
{
    auto inRange = [this](int32_t count) { return m_itemIndex >= 1 && m_itemIndex <= count; };
    switch (m_category) {
    case CategoryCode::Shots: return inRange(Catalogue.Shots.Count()) ? Catalogue.Shots[m_itemIndex].Picture : std::string();
    case CategoryCode::Movies: return inRange(Catalogue.Movies.Count()) ? Catalogue.Movies[m_itemIndex].Picture : std::string();
    case CategoryCode::Demos:
    case CategoryCode::Extra:
    case CategoryCode::Drivers:
    case CategoryCode::Fulls:
    case CategoryCode::Extra2:
        if (const TDemos* item = SelectedItem())
            return item->Picture;
        return {};
    default: return {};
    }
}

std::optional<std::string> MenuState::OpenSelectedSeries()
{
    const std::string picture = SelectedSeries();
    if (picture.empty() || !Pictures.HasSeries(picture))
        return std::nullopt;
    std::string first = Pictures.FileOf(picture, 1);
    Pictures.Open(picture);
    return first;
}

void MenuState::FollowSelectedSeries()
{
    const std::string picture = SelectedSeries();
    if (!picture.empty())
        Pictures.Name = picture;
}

MenuChange MenuState::SwitchSetting(bool on)
{
    if (m_itemIndex != 1 && m_itemIndex != 2)
        return {};
    const int32_t value = on ? 1 : 0;
    Context.StateIni->WriteInteger("Main", m_itemIndex == 1 ? "Enhanced" : "Slow", value);
    (m_itemIndex == 1 ? m_settings.enhanced : m_settings.slow) = value;
    MenuChange change = FollowSelection();
    change.setting = true;
    return change;
}

MenuChange MenuState::Choose(MenuAction action)
{
    if (!Offers(action))
        return {};
    if (m_category == CategoryCode::Settings)
        return action == MenuAction::Play || action == MenuAction::Stop ? SwitchSetting(action == MenuAction::Play) : MenuChange {};
    if ((action == MenuAction::Play || action == MenuAction::Readme) && !DriveReady())
        return {};
    const MenuSelection selection { m_category, m_itemIndex };
    switch (action) {
    case MenuAction::Play:
        if (m_category == CategoryCode::Updates) {
            if (m_itemIndex >= 1 && m_itemIndex <= Catalogue.Updates.Count() && !Catalogue.Updates[m_itemIndex].NoRun)
                Launcher().NormalExec(Context.DiscDrive + "\\Updates\\" + Catalogue.Updates[m_itemIndex].SetupName, platform::SW_SHOWNORMAL);
        } else if (m_category == CategoryCode::Movies) {
            if (m_itemIndex >= 1 && m_itemIndex <= Catalogue.Movies.Count()) {
                const TMovies& film = Catalogue.Movies[m_itemIndex];
                Launcher().ShellOpen("OPEN", film.InstallDir + "\\" + film.GameName, "", "", platform::SW_SHOWNORMAL);
            }
        } else if (TDemos* item = SelectedItem()) {
            if ((RunsOrInstalls(m_category) && item->CanRun) || m_category == CategoryCode::Installed) {
                // A program with a test file may have made it while it ran.
                if (Launcher().RunProc(*item)) {
                    if (TDemos* selected = SelectedItem())
                        Status.CheckDemo(*selected);
                    Refresh();
                }
            } else if (RunsOrInstalls(m_category) || m_category == CategoryCode::Drivers) {
                Installer().InstallProc(*item, selection);
            } else if (m_category == CategoryCode::Shareware) {
                std::string folder = Context.DiscDrive + "\\Shareware\\" + item->InstallDir;
                std::string file = folder + "\\" + item->InstallName;
                // Only the upper-case ".INF" marks a setup information file, as the catalogues write it.
                if (item->InstallName.find(".INF") != std::string::npos)
                    Launcher().ShellOpen("INSTALL", file, "", folder, platform::SW_SHOWNORMAL);
                else
                    Launcher().NormalExec(file, platform::SW_SHOWNORMAL);
            }
        }
        break;
    case MenuAction::Stop:
        if (RunsOrInstalls(m_category) || m_category == CategoryCode::Installed)
            if (TDemos* item = SelectedItem())
                Uninstaller().UninstallProc(*item, m_category);
        break;
    case MenuAction::Readme:
        if (m_category == CategoryCode::Updates) {
            if (m_itemIndex >= 1 && m_itemIndex <= Catalogue.Updates.Count()) {
                const TUpdate& update = Catalogue.Updates[m_itemIndex];
                Launcher().ShellExec(Context.DiscDrive + "\\Updates\\" + FolderPart(update.SetupName) + "\\" + update.ReadmeName, platform::SW_SHOWNORMAL);
            }
        } else if (const TDemos* item = SelectedItem()) {
            switch (m_category) {
            case CategoryCode::Demos:
            case CategoryCode::Readers:
            case CategoryCode::Fulls:
            case CategoryCode::Extra2: Launcher().ShellExec(item->GameDir + "\\" + item->ReadmeName, platform::SW_SHOWNORMAL); break;
            case CategoryCode::Extra:
            case CategoryCode::Drivers: Launcher().ShellExec(item->InstallDir + "\\" + item->ReadmeName, platform::SW_SHOWNORMAL); break;
            case CategoryCode::Shareware:
                Launcher().ShellExec(Context.DiscDrive + "\\Shareware\\" + item->InstallDir + "\\" + item->ReadmeName, platform::SW_SHOWNORMAL);
                break;
            default: break;
            }
        }
        break;
    case MenuAction::Web:
        if (RunsOrInstalls(m_category) || m_category == CategoryCode::Drivers) {
            const TDemos* item = SelectedItem();
            if (item && !item->Web.empty()) {
                // Catalogues write the address without its scheme, but some carry it: it is not doubled.
                std::string address = HasScheme(item->Web) ? item->Web : "http://" + item->Web;
                Launcher().ShellOpen("OPEN", address, "", "", platform::SW_SHOWNORMAL);
            }
        }
        break;
    }
    return {};
}

bool MenuState::DriveReady()
{
    return !m_environment.Drive || m_environment.Drive->WaitUntilReady();
}

void MenuState::OpenSignUp()
{
    if (!DriveReady())
        return;
    Launcher().ShellOpen("OPEN", Context.DiscDrive + "\\Kavorin\\signup_torva.isp", "", "", platform::SW_SHOWNORMAL);
}

void MenuState::OpenCatalogueFile()
{
    Launcher().ShellExec(Context.DataDir + "TORVAXP.INI", platform::SW_SHOWNORMAL);
}
