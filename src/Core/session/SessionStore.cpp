#include "SessionStore.h"

#include "Keychain.h"

#include <QJSEngine>
#include <QQmlEngine>

SessionStore &SessionStore::shared()
{
    static SessionStore *instance = new SessionStore; // lives as long as the process
    return *instance;
}

SessionStore *SessionStore::create(QQmlEngine *, QJSEngine *)
{
    SessionStore *instance = &shared();
    QJSEngine::setObjectOwnership(instance, QJSEngine::CppOwnership);
    return instance;
}

bool SessionStore::isLoggedIn() const
{
    return read(usernameItem).has_value() && read(passwordItem).has_value();
}

QString SessionStore::username() const
{
    return readOrEmpty(usernameItem);
}

std::optional<QString> SessionStore::read(const QString &item) const
{
    return Keychain::read(item);
}

QString SessionStore::readOrEmpty(const QString &item) const
{
    return read(item).value_or(QString());
}

void SessionStore::saveSignIn(const QString &username, const QString &password, const QString &serverUrl)
{
    changeObserved([&] {
        Keychain::write(username, usernameItem);
        Keychain::write(password, passwordItem);
        Keychain::write(username, lastUsernameItem);
        Keychain::write(password, lastPasswordItem);
        Keychain::write(serverUrl, serverUrlItem);
    });
}

void SessionStore::clearSignIn()
{
    changeObserved([] {
        Keychain::remove(usernameItem);
        Keychain::remove(passwordItem);
    });
}

void SessionStore::forgetCredentials()
{
    changeObserved([] {
        Keychain::remove(usernameItem);
        Keychain::remove(passwordItem);
        Keychain::remove(lastUsernameItem);
        Keychain::remove(lastPasswordItem);
    });
}

SessionStore::Observed SessionStore::observe() const
{
    return {isLoggedIn(), username()};
}

// Notifies the observed properties only when the keyring change really changed them.
template <typename Change> void SessionStore::changeObserved(Change &&change)
{
    const Observed before = observe();
    change();
    const Observed after = observe();
    if (after.isLoggedIn != before.isLoggedIn)
        Q_EMIT isLoggedInChanged();
    if (after.username != before.username)
        Q_EMIT usernameChanged();
}
