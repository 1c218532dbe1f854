#include "PendingRemovals.h"

#include "PrivateFiles.h"

#include <QFile>
#include <QFileInfo>
#include <QJsonArray>
#include <QJsonDocument>

namespace {
// A handful of account names; anything bigger is not ours.
constexpr qint64 maxBytes = 64 * 1024;
} // namespace

QString PendingRemovals::defaultPath()
{
    return PrivateFiles::dataFile(QStringLiteral("keyring-pending.json"));
}

PendingRemovals::PendingRemovals(QString path) : m_path(std::move(path)) {}

QStringList PendingRemovals::accounts(const QString &service) const
{
    if (!QFileInfo::exists(m_path)) // the usual case
        return {};
    QStringList names;
    for (const QJsonValue &name : load().value(service).toArray())
        names.append(name.toString());
    return names;
}

void PendingRemovals::add(const QString &service, const QString &account)
{
    QJsonObject lists = load();
    QJsonArray accounts = lists.value(service).toArray();
    if (accounts.contains(account))
        return;
    accounts.append(account);
    lists.insert(service, accounts);
    save(lists);
}

void PendingRemovals::drop(const QString &service, const QString &account)
{
    if (!QFileInfo::exists(m_path))
        return;
    QJsonObject lists = load();
    const QJsonArray listed = lists.value(service).toArray();
    if (!listed.contains(account))
        return;
    QJsonArray accounts;
    for (const QJsonValue &name : listed) {
        if (name != QJsonValue(account))
            accounts.append(name);
    }
    if (accounts.isEmpty())
        lists.remove(service);
    else
        lists.insert(service, accounts);
    save(lists);
}

QJsonObject PendingRemovals::load() const
{
    const std::optional<QByteArray> bytes = PrivateFiles::readAll(m_path, maxBytes);
    return bytes ? QJsonDocument::fromJson(*bytes).object() : QJsonObject();
}

void PendingRemovals::save(const QJsonObject &lists) const
{
    if (lists.isEmpty()) {
        QFile::remove(m_path);
        return;
    }
    PrivateFiles::ensureFolder(QFileInfo(m_path).path());
    PrivateFiles::writeAtomically(m_path, QJsonDocument(lists).toJson(QJsonDocument::Compact));
}
