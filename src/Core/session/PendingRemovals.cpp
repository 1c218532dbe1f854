#include "session/PendingRemovals.h"

#include "storage/PrivateFiles.h"

#include <QFile>
#include <QFileInfo>
#include <QJsonArray>
#include <QJsonDocument>

namespace {
// A handful of account names; anything bigger is not ours.
constexpr qint64 maxBytes = 64 * 1024;

// An entry is the account's name (every item goes) or {"account", "keep"}.
PendingRemovals::Entry entryOf(const QJsonValue &value)
{
    if (value.isString())
        return {value.toString(), {}};
    const QJsonObject object = value.toObject();
    return {object.value(QLatin1String("account")).toString(),
            object.value(QLatin1String("keep")).toString()};
}
} // namespace

QString PendingRemovals::defaultPath()
{
    return PrivateFiles::dataFile(QStringLiteral("keyring-pending.json"));
}

PendingRemovals::PendingRemovals(QString path) : m_path(std::move(path)) {}

QList<PendingRemovals::Entry> PendingRemovals::entries(const QString &service) const
{
    if (!QFileInfo::exists(m_path)) // the usual case
        return {};
    QList<Entry> listed;
    for (const QJsonValue &value : load().value(service).toArray()) {
        Entry entry = entryOf(value);
        if (!entry.account.isEmpty())
            listed.append(std::move(entry));
    }
    return listed;
}

void PendingRemovals::add(const QString &service, const QString &account, const QString &keepPath)
{
    if (keepPath.isEmpty())
        replace(service, account, account);
    else
        replace(service, account,
                QJsonObject{{QLatin1String("account"), account}, {QLatin1String("keep"), keepPath}});
}

void PendingRemovals::drop(const QString &service, const QString &account)
{
    if (QFileInfo::exists(m_path))
        replace(service, account, QJsonValue::Undefined);
}

void PendingRemovals::replace(const QString &service, const QString &account, const QJsonValue &entry)
{
    QJsonObject lists = load();
    const QJsonArray listed = lists.value(service).toArray();
    QJsonArray kept;
    for (const QJsonValue &value : listed) {
        if (entryOf(value).account != account)
            kept.append(value);
    }
    if (!entry.isUndefined())
        kept.append(entry);
    if (kept == listed)
        return;
    if (kept.isEmpty())
        lists.remove(service);
    else
        lists.insert(service, kept);
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
