// The picture viewer and the small picture's glow.

#include "menu/form/PictureViewer.h"

#include "menu/form/LayoutControls.h"
#include "menu/MenuState.h"

#include "dib/image/cDIBImage.h"
#include "dib/imagelist/cDIBImageList.h"
#include "dib/imagelist/cDIBTimer.h"
#include "platform/components/ExtCtrls.h"

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

void SetControlOpacity(TDIBImage* image, int32_t step)
{
    image->SetOpacity(std::clamp(image->Opacity() + step, 0, 255));
}

}

PictureViewer::PictureViewer(MenuState& model, const platform::TComponent& form)
    : m_model(model)
    , m_overlay(LayoutControl<TDIBImage>(form, "DIBImage1"))
    , m_picture(LayoutControl<TDIBImage>(form, "DIBImage2"))
    , m_smallPicture(LayoutControl<TDIBImage>(form, "DIBImage4"))
    , m_left(LayoutControl<TDIBImage>(form, "LeftArrow"))
    , m_right(LayoutControl<TDIBImage>(form, "RightArrow"))
    , m_images(LayoutControl<TDIBImageList>(form, "DIBImageList2"))
    , m_glowUpTimer(LayoutControl<TDIBTimer>(form, "DIBTimer1"))
    , m_glowDownTimer(LayoutControl<TDIBTimer>(form, "DIBTimer2"))
    , m_fadeInTimer(LayoutControl<TDIBTimer>(form, "DIBTimer3"))
    , m_fadeOutTimer(LayoutControl<TDIBTimer>(form, "DIBTimer4"))
{
}

bool PictureViewer::IsOpen() const
{
    return m_picture->Visible();
}

void PictureViewer::LoadPicture(const std::string& file)
{
    m_images->DIBImages().Items(kViewerImage)->DIB().LoadPictureFile(file);
    m_picture->IndexMain().SetDIBIndex(kViewerImage);
}

// The glow timers are bound crosswise: DIBTimer1 brightens, DIBTimer2 dims.
void PictureViewer::Glow(bool on)
{
    if (!m_model.HasGallery())
        return;
    m_glowUpTimer->SetEnabled(on);
    m_glowDownTimer->SetEnabled(!on);
}

// Brightens up to fully opaque.
void PictureViewer::GlowUpTick()
{
    SetControlOpacity(m_smallPicture, kGlowStep);
    if (m_smallPicture->Opacity() >= 255)
        m_glowUpTimer->SetEnabled(false);
}

// Dims back until the picture is at its resting opacity or just below.
void PictureViewer::GlowDownTick()
{
    if (m_smallPicture->Opacity() > kGlowRest)
        SetControlOpacity(m_smallPicture, -kGlowStep);
    else
        m_glowDownTimer->SetEnabled(false);
}

void PictureViewer::Open()
{
    const std::optional<std::string> first = m_model.OpenSelectedSeries();
    if (!first)
        return;
    LoadPicture(*first);
    m_left->Hide();
    m_right->Show();
    m_fadeInTimer->SetEnabled(true);
    if (m_model.Settings().slow != 1) {
        m_overlay->SetAutoSize(true);
        m_overlay->Show();
    }
    m_picture->SetAutoSize(true);
    m_picture->Show();
}

void PictureViewer::FadeInTick()
{
    if (m_model.Settings().slow == 1) {
        m_picture->SetOpacity(255);
        m_left->SetOpacity(255);
        m_right->SetOpacity(255);
        m_fadeInTimer->SetEnabled(false);
        return;
    }
    if (m_picture->Opacity() == 255) {
        m_fadeInTimer->SetEnabled(false);
        return;
    }
    SetControlOpacity(m_picture, kFadeStep);
    if (m_picture->Opacity() <= kArrowFadeLimit) {
        SetControlOpacity(m_left, kFadeStep);
        SetControlOpacity(m_right, kFadeStep);
    }
}

// Only once it has faded in.
void PictureViewer::Close()
{
    if (!m_picture->Visible() || m_fadeOutTimer->Enabled() || m_fadeInTimer->Enabled())
        return;
    m_fadeOutTimer->SetEnabled(true);
}

void PictureViewer::FadeOutTick()
{
    if (m_fadeInTimer->Enabled())
        return;
    if (m_picture->Opacity() == 0 || m_model.Settings().slow == 1) {
        m_fadeOutTimer->SetEnabled(false);
        m_picture->Hide();
        m_overlay->Hide();
        m_left->Hide();
        m_right->Hide();
        return;
    }
    SetControlOpacity(m_picture, -kFadeStep);
    SetControlOpacity(m_left, -kFadeStep);
    SetControlOpacity(m_right, -kFadeStep);
}

// The arrows page through the selected entry's series on every page that opens the viewer, or
// the series last opened on a page without pictures. The number moves only once the picture has
// loaded, so it always names the picture on show.
void PictureViewer::Step(int step)
{
    if (m_picture->Opacity() < kArrowClickOpacity)
        return;
    m_model.FollowSelectedSeries();
    PictureSeries& pictures = m_model.Pictures;
    if (step > 0) {
        if (const std::optional<std::string> next = pictures.Neighbour(1)) {
            LoadPicture(*next);
            pictures.Step(1);
            m_left->Show();
        }
        m_right->SetVisible(pictures.Neighbour(1).has_value());
    } else if (const std::optional<std::string> previous = pictures.Neighbour(-1)) {
        LoadPicture(*previous);
        pictures.Step(-1);
        m_right->Show();
    } else {
        m_left->Hide();
    }
}
