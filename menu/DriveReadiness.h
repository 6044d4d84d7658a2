#pragma once

// Whether the disc's drive holds the whole disc yet. A disc image is shown from the few files
// browsing needs while the rest is unpacked, so an action that starts anything from the disc
// asks first.
class DriveReadiness {
public:
    virtual ~DriveReadiness() = default;
    // Returns at once when the drive is whole; otherwise waits for it with the progress shown,
    // and returns false when the user cancelled (the action is then dropped).
    virtual bool WaitUntilReady() = 0;
};
