#pragma once

// The hourglass for the length of a scope: it goes back to the default cursor however the
// scope ends, also when an error escapes.

#include "shell/UserInterface.h"

namespace shell {

class BusyCursor {
public:
    explicit BusyCursor(CursorService* cursor)
        : m_cursor(cursor)
    {
        if (m_cursor)
            m_cursor->ShowHourglass();
    }
    ~BusyCursor()
    {
        if (m_cursor)
            m_cursor->ShowDefault();
    }
    BusyCursor(const BusyCursor&) = delete;
    BusyCursor& operator=(const BusyCursor&) = delete;

private:
    CursorService* m_cursor;
};

}
