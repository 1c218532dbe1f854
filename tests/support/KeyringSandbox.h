#pragma once

#include <QProcess>
#include <QString>
#include <QTemporaryDir>
#include <memory>

namespace norvane::test {

// The environment of this process with the session bus at `busAddress` (unchanged when empty).
QProcessEnvironment onBus(const QString &busAddress);

// Stores an item under this process's service as another program does (secret-tool: an extra
// schema attribute, the bytes as given).
void storeWithSecretTool(const QString &account, const QByteArray &secret, const QString &busAddress = {});
// How many items answer to this process's service and the account (duplicates would be a fault).
int itemCount(const QString &account, const QString &busAddress = {});

// A keyring setting of one test's own, in a temporary folder: a private session bus (on which no
// service starts on demand unless one is given; the test talks to it under the folder's name) and
// a gnome-keyring daemon on it.
class KeyringSandbox
{
public:
    KeyringSandbox();
    ~KeyringSandbox();

    QString folder() const { return m_folder.path(); }
    QString busAddress() const { return m_busAddress; }
    // The bus; `secretsExec` makes the Secret Service a service the bus starts with that command.
    bool startBus(const QString &secretsExec = {});
    // A daemon on the bus, its keyring unlocked (password "x") or locked; any earlier one is stopped.
    bool startKeyring(bool unlocked);
    qint64 keyringPid() const { return m_keyring ? m_keyring->processId() : 0; }
    // From now on the bus refuses every call of this method (the caller gets an error); an empty
    // member lets every call through again.
    bool refuse(const QString &interface, const QString &member);

private:
    void stopKeyring();
    bool writeConfig(const QByteArray &rule);

    QTemporaryDir m_folder;
    QProcess m_bus;
    QString m_busAddress;
    QString m_secretsExec;
    std::unique_ptr<QProcess> m_keyring;
};

} // namespace norvane::test
