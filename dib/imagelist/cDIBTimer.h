#pragma once

// The timer behind every animation of the menu and the fade of each label: the framework's
// window-message timer, bound to one event loop and disabled until asked. While disabled it
// holds no timer at all.

#include "platform/components/ExtCtrls.h"

class TDIBTimer : public platform::TTimer {
    TORVA_CLASS(TDIBTimer)
public:
    // Ticks come from the current event loop at construction, or from the given one.
    explicit TDIBTimer(platform::TComponent* owner = nullptr);
    TDIBTimer(platform::TComponent* owner, platform::EventLoop& loop);
};
