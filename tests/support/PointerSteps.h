#pragma once

// Pointer scripts of table rows: "m 5 5 d 5 5 u 9 5" is a move to (5, 5), a press there and a
// release at (9, 5).

#include <sstream>

namespace torva::test {

// Calls `step(kind, x, y)` for each step, kind being 'm', 'd' or 'u'.
template <class Step>
void RunPointerSteps(const char* steps, Step&& step)
{
    std::istringstream in(steps);
    char kind;
    int x, y;
    while (in >> kind >> x >> y)
        step(kind, x, y);
}

}
