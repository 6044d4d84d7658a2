#pragma once

// The layout reader's own refusal, raised deep inside the parser and the reader and turned into
// the Problem its entry points hand back; it never leaves them.

#include "platform/types/Result.h"

#include <string>
#include <utility>

namespace platform {

class ELayoutError : public Exception {
public:
    // The source and the line stand as the file: "main_f.lay:12: unknown class TFoo".
    ELayoutError(const std::string& source, int line, const std::string& reason)
        : ELayoutError(platform::Problem { source + ":" + std::to_string(line), reason })
    {
    }
    const platform::Problem& Problem() const { return m_problem; }

private:
    explicit ELayoutError(platform::Problem problem)
        : Exception(problem.Message()), m_problem(std::move(problem))
    {
    }

    platform::Problem m_problem;
};

// Runs `read` and hands back what it returns, or the problem of the ELayoutError it raised.
template <class Read>
auto LayoutRefusedOn(Read&& read) -> Result<decltype(read())>
{
    return Refused<Problem, ELayoutError>(read, [](const ELayoutError& error) { return error.Problem(); });
}

}
