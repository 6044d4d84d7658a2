// What moves without changing the selection: the glow of the small picture, the picture viewer
// with its fades and paging, the side animations, and dragging the borderless window.

#include "menu/form/main_f.h"

#include "dib/image/cDIBImage.h"
#include "dib/imagelist/cDIBImageList.h"
#include "dib/imagelist/cDIBTimer.h"
#include "platform/components/ComCtrls.h"
#include "platform/components/ExtCtrls.h"
#include "platform/components/Forms.h"
#include "platform/events/Chance.h"

#include <algorithm>
#include <optional>

namespace {

constexpr int kViewerImage = 100;
constexpr int kGlowStep = 10;
constexpr int kGlowRest = 150;
constexpr int kFadeStep = 40;
// The arrows follow the picture's fade only this far, so they stay half transparent.
constexpr int kArrowFadeLimit = 120;
// Below this the viewer is still fading and ignores its arrows.
constexpr int kArrowClickOpacity = 100;
constexpr int kAnimationChoices = 15;

void SetControlOpacity(TDIBImage* image, int32_t step)
{
    image->SetOpacity(std::clamp(image->Opacity() + step, 0, 255));
}

}

void TForm1::LoadViewerPicture(const std::string& file)
{
    DIBImageList2->DIBImages().Items(kViewerImage)->DIB().LoadPictureFile(file);
    DIBImage2->IndexMain().SetDIBIndex(kViewerImage);
}

// Mouse enters the small picture: brighten it (DIBTimer1 runs DIBTimer2Timer, the form binds
// the glow timers crosswise) and undo the hover effects of the buttons.
void TForm1::DIBImage4MouseEnter(platform::TObject* sender)
{
    ScreenImageMouseMove(sender, 0, 0, 0);
    if (!Model.HasGallery())
        return;
    DIBTimer1->SetEnabled(true);
    DIBTimer2->SetEnabled(false);
}

void TForm1::DIBImage4MouseLeave(platform::TObject*)
{
    if (!Model.HasGallery())
        return;
    DIBTimer2->SetEnabled(true);
    DIBTimer1->SetEnabled(false);
}

// Run by DIBTimer1: brightens up to fully opaque.
void TForm1::DIBTimer2Timer(platform::TObject*)
{
    SetControlOpacity(DIBImage4, kGlowStep);
    if (DIBImage4->Opacity() >= 255)
        DIBTimer1->SetEnabled(false);
}

// Run by DIBTimer2: dims back until the picture is at its resting opacity or just below.
void TForm1::DIBTimer1Timer(platform::TObject*)
{
    if (DIBImage4->Opacity() > kGlowRest)
        SetControlOpacity(DIBImage4, -kGlowStep);
    else
        DIBTimer2->SetEnabled(false);
}

void TForm1::DIBImage4Click(platform::TObject*)
{
    const std::optional<std::string> first = Model.OpenSelectedSeries();
    if (!first)
        return;
    LoadViewerPicture(*first);
    LeftArrow->Hide();
    RightArrow->Show();
    DIBTimer3->SetEnabled(true);
    if (Model.Settings().slow != 1) {
        DIBImage1->SetAutoSize(true);
        DIBImage1->Show();
    }
    DIBImage2->SetAutoSize(true);
    DIBImage2->Show();
}

void TForm1::DIBTimer3Timer(platform::TObject*)
{
    if (Model.Settings().slow == 1) {
        DIBImage2->SetOpacity(255);
        LeftArrow->SetOpacity(255);
        RightArrow->SetOpacity(255);
        DIBTimer3->SetEnabled(false);
        return;
    }
    if (DIBImage2->Opacity() == 255) {
        DIBTimer3->SetEnabled(false);
        return;
    }
    SetControlOpacity(DIBImage2, kFadeStep);
    if (DIBImage2->Opacity() <= kArrowFadeLimit) {
        SetControlOpacity(LeftArrow, kFadeStep);
        SetControlOpacity(RightArrow, kFadeStep);
    }
}

// A right click on the picture or the overlay closes the viewer, once it has faded in.
void TForm1::DIBImage1MouseDown(platform::TObject*, platform::TMouseButton button, platform::TShiftState, int, int)
{
    if (button == platform::TMouseButton::mbRight)
        CloseViewer();
}

void TForm1::CloseViewer()
{
    if (!DIBImage2->Visible() || DIBTimer4->Enabled() || DIBTimer3->Enabled())
        return;
    DIBTimer4->SetEnabled(true);
}

void TForm1::DIBTimer4Timer(platform::TObject*)
{
    if (DIBTimer3->Enabled())
        return;
    if (DIBImage2->Opacity() == 0 || Model.Settings().slow == 1) {
        DIBTimer4->SetEnabled(false);
        DIBImage2->Hide();
        DIBImage1->Hide();
        LeftArrow->Hide();
        RightArrow->Hide();
        return;
    }
    SetControlOpacity(DIBImage2, -kFadeStep);
    SetControlOpacity(LeftArrow, -kFadeStep);
    SetControlOpacity(RightArrow, -kFadeStep);
}

// The number moves only once the picture has loaded, so it always names the picture on show.
void TForm1::RightArrowClick(platform::TObject*)
{
    if (DIBImage2->Opacity() < kArrowClickOpacity)
        return;
    Model.FollowSelectedSeries();
    if (const std::optional<std::string> next = Model.Pictures.Neighbour(1)) {
        LoadViewerPicture(*next);
        Model.Pictures.Step(1);
        LeftArrow->Show();
    }
    RightArrow->SetVisible(Model.Pictures.Neighbour(1).has_value());
}

void TForm1::LeftArrowClick(platform::TObject*)
{
    if (DIBImage2->Opacity() < kArrowClickOpacity)
        return;
    Model.FollowSelectedSeries();
    if (const std::optional<std::string> previous = Model.Pictures.Neighbour(-1)) {
        LoadViewerPicture(*previous);
        Model.Pictures.Step(-1);
        RightArrow->Show();
    } else {
        LeftArrow->Hide();
    }
}

void TForm1::AnimationTimerTimer(platform::TObject*)
{
    if (Model.Settings().enhanced != 1) {
        AnimationTimer->SetEnabled(false);
        return;
    }
    const int r = platform::ChanceBetween(1, kAnimationChoices);
    if (platform::TAnimate* player = SidePlayer(r))
        player->SetActive(true);
}
