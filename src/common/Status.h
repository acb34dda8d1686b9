#pragma once
// The outcome of an operation that can fail: success, or an error number with a one-line
// description that whoever reports the failure shows to the user.

#include <QString>

#include <utility>
#include <variant>

namespace kadrel {

// Failures of the operating system carry their errno value (below 4096 on every system the
// program builds for); the program's own error numbers start here, so they never collide.
inline constexpr int kFirstProgramError = 20000;

class [[nodiscard]] Status {
public:
    Status() = default;  // success
    static Status success() { return {}; }
    static Status failure(int number, QString description)
    {
        Status s;
        s.m_number = number == 0 ? -1 : number;  // 0 is reserved for success
        s.m_description = std::move(description);
        return s;
    }

    bool ok() const { return m_number == 0; }
    explicit operator bool() const { return ok(); }
    int number() const { return m_number; }
    const QString& description() const { return m_description; }
    // "Error <number>: <description>", the form messages show.
    QString text() const
    {
        return QStringLiteral("Error %1: %2").arg(m_number).arg(m_description);
    }

private:
    int m_number = 0;
    QString m_description;
};

// A value, or the failure that prevented it.
template <typename T>
class [[nodiscard]] Result {
public:
    Result(T value) : m_data(std::move(value)) {}
    Result(Status failure) : m_data(std::move(failure)) {}

    bool ok() const { return std::holds_alternative<T>(m_data); }
    explicit operator bool() const { return ok(); }
    const T& value() const { return std::get<T>(m_data); }
    T valueOr(T fallback) const { return ok() ? value() : fallback; }
    Status status() const { return ok() ? Status::success() : std::get<Status>(m_data); }

private:
    std::variant<T, Status> m_data;
};

}  // namespace kadrel
