#pragma once

// The picture viewer over the window with its fades and arrows, and the glow of the small
// picture that opens it.

#include <string>

class MenuState;
class TDIBImage;
class TDIBImageList;
class TDIBTimer;
namespace platform {
class TComponent;
}

class PictureViewer {
public:
    // Takes its controls from the read layout `form`: the overlay DIBImage1, the picture
    // DIBImage2, the small picture DIBImage4, the arrows, the image list DIBImageList2 and the
    // glow and fade timers DIBTimer1 to 4.
    PictureViewer(MenuState& model, const platform::TComponent& form);

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
