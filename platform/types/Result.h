#pragma once

// What a reader of outside input hands back: the value it read, or the Problem that made it
// refuse the input. A refused input is an expected outcome the caller reports, not an
// exception; asking a refused Result for its value is a fault of the caller and throws.
// A reader whose callers tell refusals apart by kind hands back its own error type instead.

#include "platform/types/Exception.h"

#include <optional>
#include <string>
#include <type_traits>
#include <utility>
#include <variant>

namespace platform {

// Why an input was refused: the file as the user knows it (empty for input without a name)
// and what was expected there or found wrong.
struct Problem {
    std::string file;
    std::string reason;

    // "file: reason", or the reason alone when the input has no name.
    std::string Message() const { return file.empty() ? reason : file + ": " + reason; }
    bool operator==(const Problem&) const = default;
};

// What a caller that takes the value of a refused input gets: an error of the exception family
// itself, so that it reaches the handlers it always reached; any other as its message.
template <class E>
[[noreturn]] void ThrowRefusal(const E& error)
{
    if constexpr (std::is_base_of_v<Exception, E>)
        throw error;
    else
        throw Exception(error.Message());
}

template <class T, class E = Problem>
class [[nodiscard]] Result {
public:
    Result(T value)
        : m_state(std::in_place_index<0>, std::move(value))
    {
    }
    Result(E error)
        : m_state(std::in_place_index<1>, std::move(error))
    {
    }

    bool Ok() const { return m_state.index() == 0; }
    explicit operator bool() const { return Ok(); }

    T& Value() &
    {
        Check();
        return std::get<0>(m_state);
    }
    const T& Value() const&
    {
        Check();
        return std::get<0>(m_state);
    }
    T&& Value() &&
    {
        Check();
        return std::get<0>(std::move(m_state));
    }
    T& operator*() & { return Value(); }
    const T& operator*() const& { return Value(); }
    T* operator->() { return &Value(); }
    const T* operator->() const { return &Value(); }

    // The error of a refused input; a fault to ask of an accepted one.
    const E& Error() const
    {
        if (Ok())
            throw Exception("an accepted input has no problem");
        return std::get<1>(m_state);
    }

private:
    void Check() const
    {
        if (!Ok())
            ThrowRefusal(std::get<1>(m_state));
    }

    std::variant<T, E> m_state;
};

// A check or a load that yields nothing but its verdict.
template <class E>
class [[nodiscard]] Result<void, E> {
public:
    Result() = default;
    Result(E error)
        : m_error(std::move(error))
    {
    }

    bool Ok() const { return !m_error; }
    explicit operator bool() const { return Ok(); }
    const E& Error() const
    {
        if (Ok())
            throw Exception("an accepted input has no problem");
        return *m_error;
    }

private:
    std::optional<E> m_error;
};

// Runs `read`, whose checks throw E deep inside, and hands back what it returns, or what
// `refusal` makes of a thrown E: the boundary of a reader that is easier to write with
// exceptions. The other boundaries below are this one with a refusal of their own.
template <class Error, class E, class Read, class Refusal>
auto Refused(Read&& read, Refusal&& refusal) -> Result<decltype(read()), Error>
{
    try {
        if constexpr (std::is_void_v<decltype(read())>) {
            read();
            return {};
        } else {
            return read();
        }
    } catch (const E& error) {
        return refusal(error);
    }
}

// A thrown E becomes the problem of `file`.
template <class E, class Read>
auto RefusedOn(const std::string& file, Read&& read) -> Result<decltype(read())>
{
    return Refused<Problem, E>(read, [&](const E& error) { return Problem { file, error.what() }; });
}

// A thrown E is handed back whole: for a reader whose callers tell its refusals apart by kind.
template <class E, class Read>
auto RefusedAs(Read&& read) -> Result<decltype(read()), E>
{
    return Refused<E, E>(read, [](const E& error) { return error; });
}

}
