// The side animations.

#include "menu/form/SideAnimations.h"

#include "menu/MenuState.h"

#include "platform/components/ComCtrls.h"
#include "platform/components/ExtCtrls.h"
#include "platform/events/Chance.h"
#include "platform/resources/Resources.h"

namespace {

constexpr int kAnimationChoices = 15;

// Which clip each side player shows.
constexpr const char* SideClips[10] = { "AVI4", "AVI5", "AVI1", "AVI3", "AVI7", "AVI6", "AVI9", "AVI10", "AVI2", "AVI8" };

}

SideAnimations::SideAnimations(const MenuState& model, const platform::TComponent& form)
    : m_model(model)
    , m_players(LayoutFamily<platform::TAnimate>(form, "Animate"))
    , m_timer(LayoutControl<platform::TTimer>(form, "AnimationTimer"))
    , m_startTimer(LayoutControl<platform::TTimer>(form, "StartTimer"))
{
}

void SideAnimations::MakeOpaque()
{
    for (int n = 1; n <= 10; ++n)
        Player(n)->SetControlStyle(Player(n)->ControlStyle() | platform::csOpaque);
}

void SideAnimations::LoadClips()
{
    for (int n = 1; n <= 10; ++n) {
        auto clip = platform::FindResource(SideClips[n - 1]);
        if (!clip)
            throw platform::Exception(std::string("The menu's resource ") + SideClips[n - 1] + " is not in the program");
        Player(n)->SetResName(SideClips[n - 1]);
        Player(n)->LoadClip(*clip);
        // An opened clip shows its first frame until it plays, as the animation control does;
        // without it the player would show its black background.
        Player(n)->Seek(1);
    }
}

void SideAnimations::Begin()
{
    m_timer->SetEnabled(true);
    m_startTimer->SetEnabled(false);
}

void SideAnimations::Tick()
{
    if (m_model.Settings().enhanced != 1) {
        m_timer->SetEnabled(false);
        return;
    }
    const int r = platform::ChanceBetween(1, kAnimationChoices);
    if (platform::TAnimate* player = Player(r))
        player->SetActive(true);
}
