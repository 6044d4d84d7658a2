#pragma once

// A form of the given class on a loop of virtual time: its timers and paints run only when the
// test advances the clock or processes messages.

#include "platform/components/Forms.h"
#include "platform/events/Clock.h"
#include "platform/events/EventLoop.h"

namespace torva::test {

template <class Form = platform::TForm>
struct FormRig {
    platform::VirtualClock clock;
    platform::EventLoop loop { clock };
    platform::ScopedEventLoop scope { loop };
    platform::ComponentPtr<Form> form { new Form(nullptr) };
};

}
