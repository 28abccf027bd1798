#pragma once

#include <QString>

#include <utility>
#include <variant>

namespace platform {

// Why something failed: the message for the user or the log. Empty when the
// function has already said so itself.
struct Failure
{
    QString message;
};

inline Failure Fail(QString message = {})
{
    return Failure{std::move(message)};
}

// What a function returns when it must say why it failed: its value, or
// the message of a Failure. Expected failures only (a file that does not
// read, a refused write); programmer errors are assertions.
//
//     Result<QByteArray> r = ReadCp949File(name);
//     if (!r)
//         return Fail(r.error());
//     use(*r);
template <typename T = void> class [[nodiscard]] Result
{
public:
    Result(T value) : m_state(std::in_place_index<0>, std::move(value)) {}
    Result(Failure failure) : m_state(std::in_place_index<1>, std::move(failure.message)) {}

    bool ok() const { return m_state.index() == 0; }
    explicit operator bool() const { return ok(); }

    // Only when ok().
    const T& value() const& { return std::get<0>(m_state); }
    T& value() & { return std::get<0>(m_state); }
    T&& value() && { return std::get<0>(std::move(m_state)); }
    const T& operator*() const& { return value(); }
    T& operator*() & { return value(); }
    const T* operator->() const { return &value(); }
    T* operator->() { return &value(); }

    // Why it failed; empty when ok().
    QString error() const { return ok() ? QString() : std::get<1>(m_state); }

private:
    std::variant<T, QString> m_state;
};

// Success or why not.
template <> class [[nodiscard]] Result<void>
{
public:
    Result() = default;
    Result(Failure failure) : m_failed(true), m_error(std::move(failure.message)) {}

    bool ok() const { return !m_failed; }
    explicit operator bool() const { return ok(); }
    QString error() const { return m_error; }

private:
    bool m_failed = false;
    QString m_error;
};

} // namespace platform
