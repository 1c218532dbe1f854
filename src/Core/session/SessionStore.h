#pragma once

#include <QLatin1String>
#include <QObject>
#include <QString>
#include <QtQml/qqmlregistration.h>
#include <optional>

class QQmlEngine;
class QJSEngine;

// The saved sign-in in the desktop keyring. Every answer is read from the keyring, and keyring
// failures are never reported (an unreadable item is absent). A log-out or forget whose deletes
// the keyring did not carry out still holds: those items read as absent until they are removed.
class SessionStore : public QObject
{
    Q_OBJECT
    QML_ELEMENT
    QML_SINGLETON
    Q_PROPERTY(bool isLoggedIn READ isLoggedIn NOTIFY isLoggedInChanged FINAL)
    // The user name of the current sign-in ("username"), empty when none is saved.
    Q_PROPERTY(QString username READ username NOTIFY usernameChanged FINAL)

public:
    // Keyring item names.
    static constexpr QLatin1String usernameItem{"username"};
    static constexpr QLatin1String passwordItem{"password"};
    static constexpr QLatin1String lastUsernameItem{"last_username"};
    static constexpr QLatin1String lastPasswordItem{"last_password"};
    static constexpr QLatin1String serverUrlItem{"server_url"};
    static constexpr QLatin1String parentalPinItem{"parental_pin"};

    // The one instance, created on first use and kept for the life of the process.
    static SessionStore &shared();
    static SessionStore *create(QQmlEngine *, QJSEngine *);

    // Both "username" and "password" are saved and not empty.
    bool isLoggedIn() const;
    QString username() const;

    std::optional<QString> read(const QString &item) const;
    // The saved text, or the empty text when the item is absent.
    QString readOrEmpty(const QString &item) const;

    // Remembers a successful sign-in: "username", "password", "last_username", "last_password",
    // then "server_url", in that order.
    void saveSignIn(const QString &username, const QString &password, const QString &serverUrl);
    // Log-out: deletes "username" then "password"; the last sign-in and the server stay.
    void clearSignIn();
    // Deletes "username", "password", "last_username" and "last_password", in that order.
    // "server_url" and "parental_pin" stay.
    Q_INVOKABLE void forgetCredentials();

Q_SIGNALS:
    void isLoggedInChanged();
    void usernameChanged();

private:
    SessionStore() = default;

    // What the two properties answered last; only to tell whether a change must be announced.
    struct Observed
    {
        bool isLoggedIn = false;
        QString username;
    };
    mutable Observed m_seen;
    template <typename Change> void changeObserved(Change &&change);
};
