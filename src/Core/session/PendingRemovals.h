#pragma once

#include <QJsonObject>
#include <QList>
#include <QString>

// Keyring items the keyring did not remove when asked, by service and account name (never a
// value), in a small owner-only file in the app's data folder: an account that was deleted while
// the keyring did not answer (every item goes; until then it counts as gone), or one whose older
// items stayed beside a new value (every item but the new one goes; until then reads take the new
// one). The next call that reaches the keyring removes them.
class PendingRemovals
{
public:
    struct Entry
    {
        QString account;
        QString keepPath; // the item to keep (its D-Bus path); empty: every item goes
    };

    // "keyring-pending.json" in the app's data folder.
    static QString defaultPath();

    explicit PendingRemovals(QString path = defaultPath());

    // The entries listed for the service (usually none, read without opening anything).
    QList<Entry> entries(const QString &service) const;
    // Replaces any earlier entry of the account.
    void add(const QString &service, const QString &account, const QString &keepPath = {});
    void drop(const QString &service, const QString &account);

private:
    QJsonObject load() const;
    void save(const QJsonObject &lists) const;
    void replace(const QString &service, const QString &account, const QJsonValue &entry);

    QString m_path;
};
