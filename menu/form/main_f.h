#pragma once

// The main form of the menu is the view of its model (MenuState): it keeps the controls and the
// event handlers, passes what the user does to the model's operations and draws what they
// changed. Once its layout is read (CreateWindowLayout) every control of the window exists with
// the handlers the layout binds by name. Without a window the model runs alone, as torvatool and
// the core tests use it.

#include "menu/form/Form1Controls.h"
#include "menu/form/MenuEnvironment.h"
#include "menu/MenuState.h"
#include "shell/ShellLnk.h"
#include "platform/components/Forms.h"

#include <array>
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>

class TForm1 : public platform::TForm, public Form1Controls {
    TORVA_CLASS(TForm1)

public:
    explicit TForm1(MenuEnvironment environment, platform::TComponent* owner = nullptr);
    ~TForm1() override;

    // Reads the stored window layout (the embedded resources/main_f.lay), attaches its pictures
    // and fires the creation event (FormCreate). Raises platform::Exception naming what is
    // missing when the layout or one of its pictures is not in the executable.
    void CreateWindowLayout();
    // Every window message, then the lit action images that no longer stand under the pointer
    // are put out.
    void HandleEvent(const platform::Event& event) override;

    // The menu's state and parts.
    MenuState Model;

    // The numbered families by number, 1 to 10 (nullptr outside that range or without layout):
    // the item list's rows (DemosLabelN), the category column's icons (DIBSectionN) and their
    // captions (IconLabelN), and the side players (AnimateN).
    TDIBFadeLabel* ListRow(int n) const;
    TDIBImage* SectionIcon(int n) const;
    TDIBFadeLabel* SectionLabel(int n) const;
    platform::TAnimate* SidePlayer(int n) const;

    // Loads the catalogue and shows it; false (and the model terminated) when it is missing.
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
    void LightIcons(const std::vector<IconLight>& lights);
    void MainButtonClick(int32_t n);
    // Opens the page `step` icons below (or above) the current one, round the column's ends.
    void StepPage(int32_t step);
    void SelectPage(CategoryCode code);
    // Draws a page of a category that lists catalogue items (not the installed page).
    void ShowListPage(CategoryCode code);
    void SetSettingsPage();
    void ProcessPage();
    void SetOpacity(int32_t n, int32_t step);
    void MoveArrows(platform::TObject* control, int x, int y);

    // Settings page.
    void SetSettings();
    void SetOff();

    // Item list.
    void FillList();
    void Unbold();
    void ClearList();
    void HighLight(int32_t row);
    void Bold();
    // Draws what an operation of the model changed.
    void ShowChange(const MenuChange& change);

    // Detail view.
    void ShowSelectedItem();
    void ShowDescription(const std::string& short0, const std::string& main, const std::string& second4);
    void ShowFrame(const std::string& picture);
    void ShowOffered();
    void DoFlags(int32_t flags);
    void LoadSmallPicture(const std::string& picture);
    // The help line for the run/install button on this page; none on pages without it.
    std::optional<std::string> PlayHoverText();

    // Event handlers bound by the layout.
    void FormCreate(platform::TObject* Sender);
    void FormShow(platform::TObject* Sender);
    void FormDestroy(platform::TObject* Sender);
    void FormKeyDown(platform::TObject* Sender, uint16_t& Key, platform::TShiftState Shift);
    void WheelRolled(bool down, TPoint mousePos);

    void DIBImage1MouseDown(platform::TObject* Sender, platform::TMouseButton Button, platform::TShiftState Shift, int X, int Y);
    void ScreenImageMouseMove(platform::TObject* Sender, platform::TShiftState Shift, int X, int Y);

    void PointScrollZone(bool top, platform::TObject* sender, int x, int y);

    void DIBImage4Click(platform::TObject* Sender);
    void DIBImage4MouseEnter(platform::TObject* Sender);
    void DIBImage4MouseLeave(platform::TObject* Sender);
    void LeftArrowClick(platform::TObject* Sender);
    void RightArrowClick(platform::TObject* Sender);

    void PlayCoverMouseMove(platform::TObject* Sender, platform::TShiftState Shift, int X, int Y);
    void StopCoverMouseMove(platform::TObject* Sender, platform::TShiftState Shift, int X, int Y);
    // A click on an action button.
    void ActionClick(MenuAction action);

    void AnimationTimerTimer(platform::TObject* Sender);
    void DIBTimer1Timer(platform::TObject* Sender);
    void DIBTimer2Timer(platform::TObject* Sender);
    void DIBTimer3Timer(platform::TObject* Sender);
    void DIBTimer4Timer(platform::TObject* Sender);

    // FillList and ProcessPage.
    void RefreshItemViews();
    // Gives the model what only the window has.
    void ConnectModel();
    void ShowInstalledPage();

    // Effects and the picture viewer.
    void LoadViewerPicture(const std::string& file);
    // Closes the open picture viewer with its fade, as a right click on it does.
    void CloseViewer();
    // The lit action images: all put out, or all but the action under `pointed`.
    void HideLitActions(const platform::TControl* pointed = nullptr);
    // After each window message: the lit images follow the pointer.
    void FollowPointer(const platform::Event& event);

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
    void ShowError(const std::string& text);

    // Says on the help line that Wine is being set up, for as long as it is (WinePreparation.cpp).
    void ShowWinePreparation();

    int32_t m_stripStep = 0;
    std::array<TDIBFadeLabel*, 10> m_listRows {};
    std::array<TDIBImage*, 10> m_sectionIcons {};
    std::array<TDIBFadeLabel*, 10> m_sectionLabels {};
    std::array<platform::TAnimate*, 10> m_sidePlayers {};
    platform::TTimer* m_winePreparationTimer = nullptr;
};
