#pragma once

// The detail view of the selected entry: title, publisher, description, flags, the frame and
// the small picture, which action buttons stand, the help line and the lit images under the
// pointer. It draws what the model says; the rules are the model's.

#include <array>
#include <cstdint>
#include <functional>
#include <optional>
#include <string>

class MenuState;
struct PageKind;
class TDIBImage;
class TDIBImageList;
namespace platform {
class TComponent;
class TControl;
class TImage;
class TLabel;
class MethodTable;
}

class DetailView {
public:
    // Takes its controls from the read layout `form`: the labels, the frame PicImage, the small
    // picture DIBImage4 with its image list DIBImageList2, the flags, the action buttons and the
    // lit images of the bottom and list buttons.
    DetailView(MenuState& model, const platform::TComponent& form);

    // The help line's colour, as the window is created.
    void PrepareHelpLine();
    const std::string& Help() const;
    void SetHelp(const std::string& text);

    // The selected entry, or the settings page's entry.
    void Show();
    // Blank, with no action offered, as a page change starts.
    void Blank();
    // What a page shows when it opens, besides its list and entry.
    void ShowPageLook(const PageKind& kind, const std::string& text);
    void ShowInstalledPageLook(const std::string& text);
    void ShowSettingsPageLook();
    // The settings page's selected entry and its state.
    void ShowSetting();
    // A setting was switched with the main button (`on`) or the uninstall button.
    void SettingSwitched(bool on);
    // The small picture from the model's cache, loaded into the image list when it is not
    // there yet; "" hides it.
    void LoadSmallPicture(const std::string& picture);
    // The lit action images: all put out, or all but the action under `pointed`.
    void HideLitActions(const platform::TControl* pointed = nullptr);
    // The pointer left every hint: the help line and the lit images go.
    void ClearHints();
    void PlayHover();
    void StopHover();
    // The help line for the run/install button on this page; none on pages without it.
    std::optional<std::string> PlayHoverText();
    // The mouse-move handlers that only show a help line or light an image, for the view that
    // `view` gives once the layout is read; `find` finds a control by name.
    static void PublishPointerHints(platform::MethodTable& table, std::function<DetailView&()> view,
        std::function<platform::TComponent*(const char*)> find);

private:
    void ShowSelected();
    void ShowOffered();
    void ShowDescription(const std::string& short0, const std::string& main, const std::string& second4);
    void ShowFrame(const std::string& picture);
    void DoFlags(int32_t flags);

    MenuState& m_model;
    platform::TLabel* m_name;
    platform::TLabel* m_firm;
    platform::TLabel* m_text;
    platform::TLabel* m_help;
    platform::TLabel* m_codecNote;
    platform::TImage* m_frame;
    TDIBImage* m_smallPicture;
    TDIBImageList* m_pictures;
    platform::TImage* m_playable;
    platform::TImage* m_unplayable;
    platform::TImage* m_czech;
    platform::TImage* m_network;
    platform::TImage* m_threeD;
    // The action buttons: the off image stands while the action is offered, the lit one over
    // it takes the click.
    struct Action {
        TDIBImage* off;
        TDIBImage* lit;
    };
    static Action ActionButton(const platform::TComponent& form, const std::string& off, const std::string& lit);
    Action m_play;
    Action m_stop;
    Action m_readme;
    Action m_web;
    // The lit images of the bottom buttons and the list buttons.
    std::array<platform::TImage*, 4> m_hintImages;
};
