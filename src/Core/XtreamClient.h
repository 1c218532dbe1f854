#pragma once

#include "LoginOutcome.h"

#include <QCoroTask>
#include <QObject>
#include <QString>
#include <QtQml/qqmlregistration.h>

// The provider connection: base URL, user name and password. A value, copied freely.
// Every provider request and every stream address is made from these three fields.
class XtreamClient
{
    Q_GADGET
    QML_VALUE_TYPE(xtreamClient)
    Q_PROPERTY(QString base READ base CONSTANT FINAL)
    Q_PROPERTY(QString username READ username CONSTANT FINAL)
    Q_PROPERTY(QString password READ password CONSTANT FINAL)
public:
    XtreamClient() = default;
    XtreamClient(QString base, QString username, QString password)
        : m_base(std::move(base)), m_username(std::move(username)), m_password(std::move(password))
    {
    }

    QString base() const { return m_base; }
    QString username() const { return m_username; }
    QString password() const { return m_password; }
    bool isValid() const { return !m_base.isEmpty(); }

    // Never fails: every failure becomes a verdict.
    QCoro::Task<LoginOutcome> authenticate() const;

    bool operator==(const XtreamClient &) const = default;

private:
    QString m_base;
    QString m_username;
    QString m_password;
};
