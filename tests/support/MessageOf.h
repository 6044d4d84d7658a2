#pragma once

// The message of the error an action raises, for tests that check what an error says.

#include <string>

namespace torva::test {

// What `action` throws as an E, or "no exception"; an error of any other type goes on.
template <class E, class Action>
std::string MessageOf(Action&& action)
{
    try {
        action();
    } catch (const E& error) {
        return error.what();
    }
    return "no exception";
}

}
