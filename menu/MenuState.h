#pragma once

// The menu without its window: the parts that read the disc and act on its items, and the state
// the window shows (the open page and the page table, the list's window and selection, the lit
// icons, the actions the selected entry offers, the small pictures already loaded, the picture
// series, the settings and how start-up went). Every change goes through an operation that says
// what the views have to draw again; the window only shows what it finds here.

#include "menu/ActionServices.h"
#include "menu/CatalogueTypes.h"
#include "menu/DiscCatalogue.h"
#include "menu/form/MenuEnvironment.h"
#include "menu/InstalledPageModel.h"
#include "menu/Installer.h"
#include "menu/ItemList.h"
#include "menu/Launcher.h"
#include "menu/MenuContext.h"
#include "menu/MenuStartup.h"
#include "menu/MessageTexts.h"
#include "menu/PictureSeries.h"
#include "menu/StatusCheck.h"
#include "menu/Uninstaller.h"
#include "platform/components/Classes.h"
#include "shell/FileTree.h"

#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

// What a page shows when it opens, besides its list and the selected entry. The installed page
// and the settings page set themselves up.
enum PageLook : uint8_t {
    ShowsPicture = 1,    // the small picture shows; on the other pages it goes
    OpaquePicture = 2,   // ... fully opaque
    ChecksItems = 4,     // every item's status is checked first and the text label shows
    ShowsUnplayable = 8, // the unplayable flag shows
    ShowsCodecNote = 16, // the note that films need a video codec from the disc
};

// A page of the icon column: its caption, its icon and its look.
struct PageKind {
    CategoryCode code;
    const char* caption;
    int baseIndex; // the unlit icon in DIBImageList1; the lit one follows it
    unsigned look;
    int32_t text = 0; // the string table message the text label shows, if any
};

// The kind of a page that lists catalogue entries or the installed ones; nullptr for the others.
const PageKind* FindPageKind(CategoryCode code);

// The four action buttons of the detail view.
enum class MenuAction : uint8_t { Play,
    Stop,
    Readme,
    Web };

// Which action buttons the selected entry offers.
struct OfferedActions {
    bool play = false;
    bool stop = false;
    bool readme = false;
    bool web = false;
    bool operator==(const OfferedActions&) const = default;
};

// The two settings the state file keeps.
struct MenuSettings {
    int32_t enhanced = 0;
    int32_t slow = 0;
};

// What an operation changed, for the views to draw again.
struct MenuChange {
    bool rows = false;    // the list's rows show other entries or colours
    bool detail = false;  // the selection or what it offers moved
    bool setting = false; // a setting was switched
    bool Any() const { return rows || detail || setting; }
};

// A section icon that goes lit or unlit.
struct IconLight {
    int32_t slot = 0;
    bool lit = false;
    bool operator==(const IconLight&) const = default;
};

// A click on a section icon: the lights that change, in order, and the page to open (None when
// the click changes nothing).
struct IconChoice {
    std::vector<IconLight> lights;
    CategoryCode page = CategoryCode::None;
};

// The views' side of the parts' work: what the window does when an action changed the list or
// the installed page, and what only the window has. Without them the model runs alone.
struct MenuViews {
    // The list and the detail view follow the model.
    std::function<void()> refresh;
    // The installed page opens: before its entries are read again, and once they are.
    std::function<void()> installedPageOpening;
    std::function<void()> installedPageShown;
    std::function<void()> repaint;
    std::function<void()> bringToFront;
    // The timer whose ticks poll a running setup; the model makes its own without one.
    std::function<platform::TTimer&()> pollTimer;
};

class MenuState {
    // Declared first: the parts below are built on them.
    platform::Services& m_services;
    MenuEnvironment m_environment;
    std::unique_ptr<shell::FileTree> m_fileTree;

public:
    MenuState(platform::Services& services, MenuEnvironment environment);
    ~MenuState();
    MenuState(const MenuState&) = delete;
    MenuState& operator=(const MenuState&) = delete;

    void SetViews(MenuViews views) { m_views = std::move(views); }
    const MenuEnvironment& Environment() const { return m_environment; }
    platform::Services& Services() const { return m_services; }
    shell::FileTree& Files() { return *m_fileTree; }

    // The parts.
    MenuContext Context;
    DiscCatalogue Catalogue;
    StatusCheck Status;
    InstalledPageModel InstalledPage;
    MenuStartup Startup;
    MessageTexts Texts;
    ItemList List;
    ::Launcher& Launcher() { return *m_launcher; }
    ::Installer& Installer() { return *m_installer; }
    ::Uninstaller& Uninstaller() { return *m_uninstaller; }

    // Start-up without the window: false when the window's own steps are not to run.
    bool Start();
    // Loads the catalogue, records the disc's label, checks readers' contributions and full
    // games, and makes the titles; false (and Terminated) when the catalogue is missing.
    bool LoadCatalogue();
    // The page table of the icon column, in the column's order.
    void MakePageTable();

    // State, read by the views.
    CategoryCode Category() const { return m_category; }
    MenuSelection Selection() const { return { m_category, m_itemIndex }; }
    int32_t ItemIndex() const { return m_itemIndex; }
    int32_t TopIndex() const { return m_topIndex; }
    // How many entries the open page lists.
    int32_t Count() const { return List.Count(m_category); }
    int32_t PageCount() const { return m_pageCount; }
    const TPage& Page(int32_t slot) const { return m_pages[slot]; }
    int32_t HotIcon() const { return m_hotIcon; }
    int32_t SelectedSlot() const { return m_selectedSlot; }
    const MenuSettings& Settings() const { return m_settings; }
    int32_t PictureCount() const { return m_pictureCount; }
    bool Terminated() const { return m_terminated; }
    const OfferedActions& Offered() const { return m_offered; }
    bool Offers(MenuAction action) const;
    // The selected entry of a page whose entries are item records; else nullptr.
    TDemos* SelectedItem() { return Catalogue.ItemOf(m_category, m_itemIndex); }
    // The selected entry has a picture series (its small picture glows under the pointer).
    bool HasGallery() const { return m_hasGallery; }
    // The small picture of the selected entry: "" hides it, nothing leaves it as it is.
    const std::optional<std::string>& SmallPicture() const { return m_smallPicture; }

    // Texts the window shows once it exists.
    std::string ApplicationTitle = "Torva CD v2";
    std::string WindowCaption;
    std::string CDNumberText;

    // Pages and the icon column: the lights that change come back in order, for the column to
    // follow. The chosen icon stays lit whatever the pointer does.
    std::vector<IconLight> PointIcon(int32_t slot);
    std::vector<IconLight> LeaveIcons();
    // A click on an icon: its page is for the caller to open (SelectPage).
    IconChoice ChooseIcon(int32_t slot);
    // The slot `step` icons below (or above) the chosen one, round the column's ends; 0 without
    // pages.
    int32_t SlotAfter(int32_t step) const;
    // Opens a page with its first entry selected, nothing offered yet (SelectPage, as from an
    // icon), or the installed page rebuilt from the state files keeping what the buttons offer.
    std::vector<IconLight> SelectPage(CategoryCode code);
    void OpenInstalledPage();

    // The selection. Select puts it on an entry of a page without opening the page anew.
    MenuChange Select(MenuSelection selection);
    MenuChange StepDown();
    MenuChange StepUp();
    // Row `offset` from the list's top, 0 to 9.
    MenuChange SelectRow(int32_t offset);
    // Page Up and Page Down: nine entries up or down.
    MenuChange PageBy(int32_t step);
    MenuChange Home();
    MenuChange End();
    // The list buttons: lists of up to ten entries step by one, longer ones go by tens.
    MenuChange ListButton(bool down);
    // The next entry whose name starts with `letter`; nothing when none does.
    MenuChange JumpToLetter(char letter);
    // Brings up to date what the model knows of the selected entry: an installed game whose
    // folder went is checked again, the offered actions and the small picture follow.
    MenuChange FollowSelection();

    // The small pictures already loaded into the window's image list: where `picture` is, or 0.
    int32_t CachedPicture(const std::string& picture) const;
    // The entry the next picture goes to; the counter wraps before the load, so a failed load
    // at the last entry cannot push the next one past the cache into the viewer's image.
    int32_t NextPictureEntry();
    void RememberPicture(const std::string& picture, int32_t entry);
    // As if no small picture had been loaded yet.
    void ForgetPictures();

    // The picture series the viewer pages through.
    PictureSeries Pictures { Context.DataDir };
    // The series the viewer can show for the selected entry; "" on pages without pictures.
    std::string SelectedSeries();
    // Opens the selected entry's series at its first picture: that picture's file.
    std::optional<std::string> OpenSelectedSeries();
    // The arrows page through the selected entry's series, or the last one opened on a page
    // without pictures.
    void FollowSelectedSeries();

    // The action buttons, as a click on an offered one does them; on the settings page the main
    // and uninstall buttons switch the selected setting on and off.
    MenuChange Choose(MenuAction action);
    // Switches the selected setting: written first, so a refused write leaves it as it was.
    MenuChange SwitchSetting(bool on);
    // The connect picture and the debug label that shows the catalogue file.
    void OpenSignUp();
    void OpenCatalogueFile();
    // One tick of the setup poll, and the timer that runs it.
    void PollSetup();
    platform::TTimer& PollTimer();

private:
    void MakeActionParts();
    // Sets the selection and puts the list's window round it, as a jump does.
    MenuChange JumpTo(int32_t index);
    void ClampSelection();
    void UnlightIcon(int32_t slot, std::vector<IconLight>& lights);
    void LightIcon(int32_t slot, std::vector<IconLight>& lights);
    void AddPage(CategoryCode code);
    void OpenListPage(CategoryCode code);
    void ShowPicture(const std::string& picture);
    MenuChange FollowItem(TDemos& item);
    void Refresh();
    // Before an action starts anything from the disc: false when the user cancelled the wait for
    // the whole drive.
    bool DriveReady();

    MenuViews m_views;
    std::unique_ptr<::Launcher> m_launcher;
    std::unique_ptr<::Installer> m_installer;
    std::unique_ptr<::Uninstaller> m_uninstaller;
    platform::ComponentPtr<platform::TTimer> m_pollTimer;

    MenuSettings m_settings;
    bool m_terminated = false;
    CategoryCode m_category = CategoryCode::None;
    int32_t m_itemIndex = 0;
    int32_t m_topIndex = 0;
    // The page table behind the icon column, a slot per icon; pages beyond its fifteen slots
    // have nowhere to go.
    OneBasedArray<TPage, 15> m_pages;
    int32_t m_pageCount = 0;
    int32_t m_hotIcon = 0;
    int32_t m_selectedSlot = 0;
    OfferedActions m_offered;
    bool m_hasGallery = false;
    std::optional<std::string> m_smallPicture;
    // The small pictures already in the image list (Caption the picture's name, Code its entry).
    OneBasedArray<TPage, 99> m_pictureCache;
    int32_t m_pictureCount = 0;
};
