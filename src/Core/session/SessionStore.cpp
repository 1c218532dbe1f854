#include "session/SessionStore.h"

#include "session/Keychain.h"

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
    m_seen.isLoggedIn = read(usernameItem).has_value() && read(passwordItem).has_value();
    return m_seen.isLoggedIn;
}

QString SessionStore::username() const
{
    m_seen.username = readOrEmpty(usernameItem);
    return m_seen.username;
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

// Notifies the observed properties only when the keyring change changed what they last answered.
// The change goes first, before any read: a keyring that stalls on a read must not cost a
// sign-out its deletes.
template <typename Change> void SessionStore::changeObserved(Change &&change)
{
    change();
    const Observed before = m_seen;
    isLoggedIn();
    username();
    if (m_seen.isLoggedIn != before.isLoggedIn)
        Q_EMIT isLoggedInChanged();
    if (m_seen.username != before.username)
        Q_EMIT usernameChanged();
}
