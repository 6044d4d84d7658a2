#pragma once

// The disc's number in the window's corner, and the two debug labels that a catalogue in debug
// mode shows (a click reads the catalogue again or opens its file).

#include <string>

namespace platform {
class TComponent;
class TLabel;
}

class DiscLabels {
public:
    // Takes CDNumberLabel, DebugLabel1 and DebugLabel2 from the read layout `form`.
    explicit DiscLabels(const platform::TComponent& form);

    void Show(const std::string& number, bool debugMode);

private:
    platform::TLabel* m_number;
    platform::TLabel* m_reload;
    platform::TLabel* m_catalogueFile;
};
