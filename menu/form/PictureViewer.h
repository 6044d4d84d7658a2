#pragma once

// The picture viewer over the window with its fades and arrows, the glow of the small picture
// that opens it, and the side animations.

#include "menu/form/Form1Controls.h"
#include "menu/form/NumberedControls.h"

#include <string>

class MenuState;

class PictureViewer {
public:
    PictureViewer(MenuState& model, const Form1Controls& controls);

    bool IsOpen() const;
    // Opens the selected entry's series at its first picture, when it has one.
    void Open();
    // Closes the open viewer with its fade, as a right click on it does.
    void Close();
    // The arrows page through the series once the viewer has faded in.
    void Step(int step);
    // The pointer over the small picture of an entry with a series: it glows, and dims again.
    void Glow(bool on);
    // The timers' ticks: brightening and dimming the small picture, fading in and out.
    void GlowUpTick();
    void GlowDownTick();
    void FadeInTick();
    void FadeOutTick();

private:
    void LoadPicture(const std::string& file);

    MenuState& m_model;
    TDIBImage* m_overlay;
    TDIBImage* m_picture;
    TDIBImage* m_smallPicture;
    TDIBImage* m_left;
    TDIBImage* m_right;
    TDIBImageList* m_images;
    TDIBTimer* m_glowUpTimer;
    TDIBTimer* m_glowDownTimer;
    TDIBTimer* m_fadeInTimer;
    TDIBTimer* m_fadeOutTimer;
};

// The ten side players, started at random while the enhanced panel is on.
class SideAnimations {
public:
    SideAnimations(const MenuState& model, const Form1Controls& controls, const NumberedControls& numbered);

    platform::TAnimate* Player(int n) const { return Numbered(m_players, n); }
    // Drawn over what lies beneath them.
    void MakeOpaque();
    // Loads the ten clips; raises platform::Exception when one is not in the program.
    void LoadClips();
    // The side animations begin a while after the window shows.
    void Begin();
    void Tick();

private:
    const MenuState& m_model;
    std::array<platform::TAnimate*, 10> m_players;
    platform::TTimer* m_timer;
    platform::TTimer* m_startTimer;
};
