#pragma once

// The main form of the menu maps the window's stored layout onto views of its model
// (MenuState): the item list, the detail view, the category column, the picture viewer, the side
// animations, the disc's labels and the window's outline. Each view takes its own controls from
// the layout once it is read; the form holds none. The handlers the layout binds by name pass
// what the user does to the model's operations and let the views draw what changed. Without a
// window the model runs alone, as torvatool and the core tests use it.

#include "menu/form/DetailView.h"
#include "menu/form/DiscLabels.h"
#include "menu/form/IconColumn.h"
#include "menu/form/ItemListView.h"
#include "menu/form/MenuEnvironment.h"
#include "menu/form/PictureViewer.h"
#include "menu/form/SideAnimations.h"
#include "menu/form/WindowOutline.h"
#include "menu/MenuState.h"
#include "shell/ShellLnk.h"
#include "platform/components/Forms.h"

#include <cstdint>
#include <memory>
#include <string>

class TForm1 : public platform::TForm {
    TORVA_CLASS(TForm1)

public:
    TForm1(platform::Services& services, MenuEnvironment environment, platform::TComponent* owner = nullptr);
    ~TForm1() override;

    // Reads the stored window layout (the embedded resources/main_f.lay), attaches its pictures,
    // makes the views and fires the creation event (FormCreate). Raises platform::Exception
    // naming what is missing when the layout or one of its pictures is not in the executable.
    void CreateWindowLayout();
    // Every window message, then the lit action images that no longer stand under the pointer
    // are put out.
    void HandleEvent(const platform::Event& event) override;

    // The menu's state and parts, and the views over it (made with the layout).
    MenuState Model;
    std::unique_ptr<ItemListView> ListView;
    std::unique_ptr<DetailView> Detail;
    std::unique_ptr<IconColumn> Icons;
    std::unique_ptr<PictureViewer> Viewer;
    std::unique_ptr<SideAnimations> Animations;

    // Loads the catalogue and shows it; false (and the model terminated) when it is missing.
    bool LoadCatalogue();
    // A click on icon n of the category column.
    void MainButtonClick(int32_t n);
    void SelectPage(CategoryCode code);
    void SetSettingsPage();
    // Draws what an operation of the model changed.
    void ShowChange(const MenuChange& change);
    // The selected entry in the detail view and its place under the list.
    void ProcessPage();
    // A click on an action button.
    void ActionClick(MenuAction action);
    void FormKeyDown(platform::TObject* Sender, uint16_t& Key, platform::TShiftState Shift);

private:
    // Layout support (Layout.cpp): the handlers and fields the layout binds by name.
    void PublishMethods();
    void AttachArtwork();
    // The views over the layout's controls, and what the model asks of the window.
    void MakeViews();

    // Start-up and take-down with the window (WindowStartup.cpp).
    void FormCreate(platform::TObject* Sender);
    void FormShow(platform::TObject* Sender);
    void FormDestroy(platform::TObject* Sender);
    // Registers the disc's two font files and tells the windows about it.
    void RegisterDiscFonts();
    // Loads the ten side clips (Enhanced = 1) or shrinks the window to the screen container.
    void LoadSideClipsOrShrink();
    // Title, disc number, debug labels, page table and the first page.
    void ShowCatalogue();
    void ShowError(const std::string& text);
    // Says on the help line that Wine is being set up, for as long as it is (WinePreparation.cpp).
    void ShowWinePreparation();

    // Pages and pointer.
    void ShowListPage(CategoryCode code);
    void ShowInstalledPage();
    void RefreshItemViews();
    void WheelRolled(bool down, TPoint mousePos);
    // The pointer over the window's background: every hint and the column's scrolling stop.
    void PointAway(platform::TObject* sender, int x, int y);

    std::unique_ptr<DiscLabels> m_discLabels;
    std::unique_ptr<WindowOutline> m_outline;
    platform::TTimer* m_winePreparationTimer = nullptr;
};
