#pragma once

// The busy cursor the file-tree operations show while they work (their error boxes go through
// the program's dialog channel). The window layer implements it; tests record it
// (tests/support/RecordingUserInterface.h).

namespace shell {

class CursorService {
public:
    virtual ~CursorService() = default;
    virtual void ShowHourglass() = 0;
    virtual void ShowDefault() = 0;
};

}
