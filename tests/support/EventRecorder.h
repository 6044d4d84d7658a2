#pragma once

// An event sink for tests: it keeps every event it is handed, in order.

#include "platform/events/Event.h"

#include <vector>

namespace torva::test {

struct EventRecorder : platform::IEventSink {
    void HandleEvent(const platform::Event& e) override { events.push_back(e); }
    std::vector<platform::EventType> Types() const
    {
        std::vector<platform::EventType> types;
        for (const auto& e : events)
            types.push_back(e.type);
        return types;
    }
    std::vector<platform::Event> events;
};

}
