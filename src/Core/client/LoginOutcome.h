#pragma once

#include <QString>

// The verdict of one sign-in attempt against one server.
struct LoginOutcome
{
    enum class Kind { Success, Expired, Disabled, InvalidCredentials, Failed };

    Kind kind = Kind::Failed;
    QString message; // the user text of a Failed verdict

    static LoginOutcome success() { return {Kind::Success, {}}; }
    static LoginOutcome expired() { return {Kind::Expired, {}}; }
    static LoginOutcome disabled() { return {Kind::Disabled, {}}; }
    static LoginOutcome invalidCredentials() { return {Kind::InvalidCredentials, {}}; }
    static LoginOutcome failed(const QString &text) { return {Kind::Failed, text}; }

    bool operator==(const LoginOutcome &) const = default;
};
