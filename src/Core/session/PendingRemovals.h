#pragma once

#include <QJsonObject>
#include <QString>
#include <QStringList>

// Keyring items that were deleted while the keyring did not answer, by service and account name
// (never a value), in a small owner-only file in the app's data folder. While an item is listed
// it counts as gone, and the next call that reaches the keyring removes it.
class PendingRemovals
{
public:
    // "keyring-pending.json" in the app's data folder.
    static QString defaultPath();

    explicit PendingRemovals(QString path = defaultPath());

    // The accounts listed for the service (usually none, read without opening anything).
    QStringList accounts(const QString &service) const;
    void add(const QString &service, const QString &account);
    void drop(const QString &service, const QString &account);

private:
    QJsonObject load() const;
    void save(const QJsonObject &lists) const;

    QString m_path;
};
