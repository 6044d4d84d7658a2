#pragma once

// The ten side players of the enhanced panel, started at random while the panel is on.

#include "menu/form/LayoutControls.h"

class MenuState;
namespace platform {
class TAnimate;
class TTimer;
}

class SideAnimations {
public:
    // Takes its controls from the read layout `form`: the players Animate1 to 10, the
    // AnimationTimer that starts them and the StartTimer that begins it all.
    SideAnimations(const MenuState& model, const platform::TComponent& form);

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
