#pragma once

// The main form of the menu is the view: it keeps the controls, the page and selection state
// and the event handlers, and asks its parts for the work (start-up, the catalogue, the status
// check, the installed page's entries, the item list, the picture series, and the launcher,
// installer and uninstaller). Once its layout is read (CreateWindowLayout) every control of the
// window exists with the handlers the layout binds by name; without it the control fields stay
// null (but for the setup poll's timer, which the installer asks for) and the parts run
// headless, as torvatool and the core tests use them.

#include "menu/CatalogueTypes.h"
#include "menu/DiscCatalogue.h"
#include "menu/form/Form1Controls.h"
#include "menu/InstalledPageModel.h"
#include "menu/Installer.h"
#include "menu/ItemList.h"
#include "menu/Launcher.h"
#include "menu/MenuContext.h"
#include "menu/form/MenuEnvironment.h"
#include "menu/MenuStartup.h"
#include "menu/MessageTexts.h"
#include "menu/PictureSeries.h"
#include "menu/StatusCheck.h"
#include "menu/Uninstaller.h"
#include "platform/components/Forms.h"
#include "shell/FileTree.h"
#include "shell/ShellLnk.h"
#include "shell/UserInterface.h"

#include <array>
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>

class TForm1 : public platform::TForm, public Form1Controls {
    TORVA_CLASS(TForm1)
    // Declared first: the parts below are built on them.
    MenuEnvironment m_environment;
    std::unique_ptr<shell::FileTree> m_fileTree;

public:
    explicit TForm1(MenuEnvironment environment, platform::TComponent* owner = nullptr);
    ~TForm1() override;

    // Reads the stored window layout (the embedded resources/main_f.lay), attaches its pictures
    // and fires the creation event (FormCreate). Raises platform::Exception naming what is
    // missing when the layout or one of its pictures is not in the executable.
    void CreateWindowLayout();
    // Whether the window's controls exist.
    bool HasWindowLayout() const { return m_hasLayout; }
    // Every window message, then the lit action images that no longer stand under the pointer
    // are put out.
    void HandleEvent(const platform::Event& event) override;

    // What the parts share about the machine and the disc, then the parts themselves.
    MenuContext Context;
    DiscCatalogue Catalogue;
    StatusCheck Status;
    InstalledPageModel InstalledPage;
    // Start-up without the window (the creation event runs Startup.Start(), then the steps that
    // need the window) and the string table's texts in the menu's language.
    MenuStartup Startup;
    MessageTexts Texts;

    // Form-wide fields.
    int32_t Enhanced = 0;
    int32_t Slow = 0;
    CategoryCode Category = CategoryCode::None;
    int32_t ItemIndex = 0;

    // The page table behind the icon column (a slot per icon) and the small pictures already in
    // DIBImageList2 (Caption the picture's name, Code its index there).
    OneBasedArray<TPage, 15> Pages;
    int32_t PageCount = 0;
    OneBasedArray<TPage, 99> PictureCache;
    int32_t PictureCount = 0;

    // Navigation state of the pages and the icon column.
    int32_t TopIndex = 0;
    int32_t HotIcon = 0;
    int32_t SelectedSlot = 0;
    int32_t PreviousSlot = 0;
    int32_t StripStep = 0;

    // Texts the window shows once it exists (kept as data so the headless form has them too).
    std::string ApplicationTitle = "Torva CD v2";
    std::string WindowCaption;
    std::string CDNumberText;

    // Set when start-up or loading failed and the program is to end.
    bool Terminated = false;

    // The numbered families by number, 1 to 10 (nullptr outside that range or without layout):
    // the item list's rows (DemosLabelN), the category column's icons (DIBSectionN) and their
    // captions (IconLabelN), and the side players (AnimateN).
    TDIBFadeLabel* ListRow(int n) const;
    TDIBImage* SectionIcon(int n) const;
    TDIBFadeLabel* SectionLabel(int n) const;
    platform::TAnimate* SidePlayer(int n) const;

    // Loads the catalogue into the arrays; false (and Terminated) when it is missing.
    bool LoadCatalogue();

    // Registers the disc's two font files and tells the windows about it.
    void RegisterDiscFonts();
    // Loads the ten side clips (Enhanced = 1) or shrinks the window to the screen container.
    void LoadSideClipsOrShrink();
    // The window's part of a catalogue load: title, disc number, debug labels, page table and
    // the first page.
    void ShowCatalogue();
    // Repaints after the registered fonts changed.
    void FontsChanged();

    // Page table and navigation.
    void AddPage(CategoryCode code);
    void PressIcon(int32_t n);
    void UnpressIcon(int32_t n);
    void MainButtonClick(int32_t n);
    // Opens the page `step` icons below (or above) the current one, round the column's ends.
    void StepPage(int32_t step);
    void SelectPage(CategoryCode code);
    // Opens the page of a category that lists catalogue items (not the installed page).
    void SetPage(CategoryCode code);
    void SetSettingsPage();
    void ProcessPage();
    void SetOpacity(int32_t n, int32_t step);
    void MoveArrows(platform::TObject* control, int x, int y);

    // Settings page.
    void SetSettings();
    void SetOff();
    // The main action and uninstall buttons while the Settings page is shown: switch the
    // selected setting on or off. The action buttons' click handlers call it on page 21.
    void SwitchSelectedSetting(bool on);

    // Operations of other areas that the pages call (item list, detail view, installed page);
    // each area defines its own in its file.
    void FillList();
    void Unbold();
    void ClearList();
    void SetExtra();
    void SetShare();
    void SetDrivers();
    void SetUpdates();
    void SetReaders();
    void SetShots();
    void SetFilms();
    void SetInstalled();
    void SetInstalledPage();

    // Event handlers bound by the layout.
    void FormCreate(platform::TObject* Sender);
    void FormShow(platform::TObject* Sender);
    void FormDestroy(platform::TObject* Sender);
    void FormKeyDown(platform::TObject* Sender, uint16_t& Key, platform::TShiftState Shift);
    void WheelRolled(bool down, TPoint mousePos);

    void DIBImage1MouseDown(platform::TObject* Sender, platform::TMouseButton Button, platform::TShiftState Shift, int X, int Y);
    void ScreenImageMouseMove(platform::TObject* Sender, platform::TShiftState Shift, int X, int Y);
    void DebugLabel1Click(platform::TObject* Sender);
    void DebugLabel2Click(platform::TObject* Sender);

    // The list buttons under and over the list (Image1, Image3).
    void ListButtonClick(bool down);
    void PointScrollZone(bool top, platform::TObject* sender, int x, int y);

    void DIBImage4Click(platform::TObject* Sender);
    void DIBImage4MouseEnter(platform::TObject* Sender);
    void DIBImage4MouseLeave(platform::TObject* Sender);
    void LeftArrowClick(platform::TObject* Sender);
    void RightArrowClick(platform::TObject* Sender);

    void ReadmeDIBImageClick(platform::TObject* Sender);
    void WebDIBImageClick(platform::TObject* Sender);
    void PlayCoverMouseMove(platform::TObject* Sender, platform::TShiftState Shift, int X, int Y);
    void PlayDIBImageClick(platform::TObject* Sender);
    void StopCoverMouseMove(platform::TObject* Sender, platform::TShiftState Shift, int X, int Y);
    void StopDIBImageClick(platform::TObject* Sender);

    void Image15Click(platform::TObject* Sender);

    void AnimationTimerTimer(platform::TObject* Sender);
    void DIBTimer1Timer(platform::TObject* Sender);
    void DIBTimer2Timer(platform::TObject* Sender);
    void DIBTimer3Timer(platform::TObject* Sender);
    void DIBTimer4Timer(platform::TObject* Sender);
    void Timer1Timer(platform::TObject* Sender);

    // The parts that run, install and remove items.
    ::Launcher& Launcher();
    ::Installer& Installer();
    ::Uninstaller& Uninstaller();

    // FillList and ProcessPage once the window exists; a form without layout has no views.
    void RefreshItemViews();

    // The selected entry of a page whose entries are item records (demos, extras, shareware,
    // drivers, readers' contributions, full games, second demo list, installed); else nullptr.
    TDemos* SelectedItem();

    // The selection before a jump, to tell whether the jump changed it.
    int32_t PrevItemIndex = 0;
    // The series the picture viewer pages through, with the number of its picture on show.
    PictureSeries Pictures { Context.DataDir };
    // The selected item has a picture series (its small picture glows under the pointer).
    bool HasGallery = false;

    // What the item list shows of the catalogue.
    ItemList List { Catalogue };

    // Item list.
    void HighLight(int32_t row);
    void Bold();
    void ScrollListDown();
    void ScrollListUp();
    void SelectRow(int32_t offset);
    void ClampSelection();
    void ScrollToSelection();
    void JumpToLetter(char letter);

    // Detail view.
    void ShowSelectedItem();
    void ShowGameDetail(TDemos& item);
    void ShowDescription(const std::string& short0, const std::string& main, const std::string& second4);
    void ShowFrame(const std::string& picture);
    void DoFlags(int32_t flags);
    bool LoadSmallPicture(const std::string& picture);
    bool ImageLoaded(const std::string& picture) const;
    int32_t CachedPictureIndex(const std::string& picture) const;
    // The help line for the run/install button on this page; none on pages without it.
    std::optional<std::string> PlayHoverText();

    // Effects and the picture viewer.
    std::string SelectedPicture();
    void LoadViewerPicture(const std::string& file);
    void FollowSelectedSeries();
    // Closes the open picture viewer with its fade, as a right click on it does.
    void CloseViewer();
    // The lit action images: all put out, or all but the action under `pointed`.
    void HideLitActions(const platform::TControl* pointed = nullptr);
    // After each window message: the lit images follow the pointer.
    void FollowPointer(const platform::Event& event);
    bool ActionOffered(const TDIBImage* offImage) const;

protected:
    // Runs at the end of a catalogue load: with the window, the title, debug labels, page table
    // and first page; headless, nothing.
    void CatalogueLoaded();

    void ShowError(const std::string& text);

private:
    // Layout support (Layout.cpp).
    void PublishMethods();
    void PublishNumberedControls(platform::MethodTable& table);
    // The mouse-move handlers that only show a help line or light an image (DetailView.cpp).
    void PublishPointerHints(platform::MethodTable& table);
    void AttachArtwork();
    void ScrollColumnDownTick();
    void ScrollColumnUpTick();
    void MoveColumn(int dy);

    // Makes the launcher, the installer and the uninstaller with what they need of the form.
    void MakeActionParts();
    // Says on the help line that Wine is being set up, for as long as it is (WinePreparation.cpp).
    void ShowWinePreparation();

    std::unique_ptr<::Launcher> m_launcher;
    std::unique_ptr<::Installer> m_installer;
    std::unique_ptr<::Uninstaller> m_uninstaller;

    bool m_hasLayout = false;
    // Set by CreateWindowLayout: what the window does once a catalogue is loaded, after each
    // window message, and when the form goes.
    std::function<void()> m_afterCatalogue;
    std::function<void(const platform::Event&)> m_afterInput;
    std::function<void()> m_windowTeardown;
    std::array<TDIBFadeLabel*, 10> m_listRows {};
    std::array<TDIBImage*, 10> m_sectionIcons {};
    std::array<TDIBFadeLabel*, 10> m_sectionLabels {};
    std::array<platform::TAnimate*, 10> m_sidePlayers {};
    platform::TTimer* m_winePreparationTimer = nullptr;
};
