#pragma once

#include "provider/NorvaneFailure.h"

#include <optional>
#include <utility>
#include <variant>

// A value or the failure that prevented it. Provider operations return this instead of throwing.
template <typename T> class Result
{
public:
    // Empty results exist only as placeholders (QCoro's waitFor needs one); they hold a failure.
    Result() : m_state(std::in_place_index<1>, TransportError{TransportError::Kind::other, {}}) {}
    Result(T value) : m_state(std::in_place_index<0>, std::move(value)) {}
    Result(NorvaneFailure failure) : m_state(std::in_place_index<1>, std::move(failure)) {}
    template <typename F>
    requires(std::is_constructible_v<NorvaneFailure, F> && !std::is_same_v<std::decay_t<F>, T> &&
             !std::is_same_v<std::decay_t<F>, NorvaneFailure>) Result(F failure)
        : m_state(std::in_place_index<1>, NorvaneFailure(std::move(failure)))
    {
    }

    bool ok() const { return m_state.index() == 0; }
    explicit operator bool() const { return ok(); }

    const T &value() const & { return std::get<0>(m_state); }
    T &&value() && { return std::get<0>(std::move(m_state)); }
    const T *operator->() const { return &std::get<0>(m_state); }
    const T &operator*() const & { return std::get<0>(m_state); }

    const NorvaneFailure &failure() const { return std::get<1>(m_state); }

    // The value, or the failure as an absent value.
    std::optional<T> toOptional() &&
    {
        return ok() ? std::optional<T>(std::move(*this).value()) : std::nullopt;
    }

private:
    std::variant<T, NorvaneFailure> m_state;
};
