#pragma once

#include <QObject>
#include <QString>
#include <QVariant>
#include <QtQml/qqmlregistration.h>
#include <optional>

// The "user_info" object of the sign-in answer. Only `auth` and `status` decide anything.
class UserInfo
{
    Q_GADGET
    QML_VALUE_TYPE(userInfo)
    Q_PROPERTY(QString username READ username CONSTANT FINAL)
    Q_PROPERTY(QVariant auth READ authValue CONSTANT FINAL)
    Q_PROPERTY(QString status READ status CONSTANT FINAL)
    Q_PROPERTY(QString expDate READ expDate CONSTANT FINAL)
    Q_PROPERTY(QString maxConnections READ maxConnections CONSTANT FINAL)
public:
    // The plain fields, so a value reads as Record({.field = ...}).
    struct Fields
    {
        QString username; // null when absent
        std::optional<qint64> auth;
        QString status;         // null when absent
        QString expDate;        // null when absent
        QString maxConnections; // null when absent
        bool operator==(const Fields &) const = default;
    };

    UserInfo() = default;
    explicit UserInfo(Fields fields) : m(std::move(fields)) {}

    QString username() const { return m.username; }
    std::optional<qint64> auth() const { return m.auth; }
    QString status() const { return m.status; }
    QString expDate() const { return m.expDate; }
    QString maxConnections() const { return m.maxConnections; }
    // For QML: undefined when absent.
    QVariant authValue() const { return m.auth ? QVariant::fromValue(*m.auth) : QVariant(); }

    bool operator==(const UserInfo &) const = default;

private:
    Fields m;
};

// The sign-in answer: `userInfo` is absent when "user_info" is missing, null or not an object.
class AuthResponse
{
    Q_GADGET
    QML_VALUE_TYPE(authResponse)
    Q_PROPERTY(bool hasUserInfo READ hasUserInfo CONSTANT FINAL)
    Q_PROPERTY(UserInfo userInfo READ userInfoOrEmpty CONSTANT FINAL)
public:
    AuthResponse() = default;
    explicit AuthResponse(std::optional<UserInfo> userInfo) : m_userInfo(std::move(userInfo)) {}

    const std::optional<UserInfo> &userInfo() const { return m_userInfo; }
    bool hasUserInfo() const { return m_userInfo.has_value(); }
    UserInfo userInfoOrEmpty() const { return m_userInfo.value_or(UserInfo()); }

    bool operator==(const AuthResponse &) const = default;

private:
    std::optional<UserInfo> m_userInfo;
};
