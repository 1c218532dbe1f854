#include "storage/ProgressStore.h"

#include "storage/PrivateFiles.h"

#include <QCoreApplication>
#include <QDateTime>
#include <QJSEngine>
#include <QtConcurrent/QtConcurrentRun>
#include <algorithm>

ProgressStore::ProgressStore(const QString &filePath, QObject *parent) : QObject(parent), m_file(filePath)
{
    m_file.ensureFolder();
    load();
    connect(&m_writing, &QFutureWatcher<void>::finished, this, [this] {
        if (m_changedSinceWrite && !m_writing.isRunning())
            startWrite();
    });
    // The shared store lives on past the event loop: what it holds is written before the end.
    if (QCoreApplication *app = QCoreApplication::instance())
        connect(app, &QCoreApplication::aboutToQuit, this, &ProgressStore::flush);
}

ProgressStore::~ProgressStore()
{
    flush();
}

ProgressStore *ProgressStore::shared()
{
    static ProgressStore *instance = new ProgressStore(defaultFilePath());
    return instance;
}

ProgressStore *ProgressStore::create(QQmlEngine *, QJSEngine *)
{
    ProgressStore *store = shared();
    QJSEngine::setObjectOwnership(store, QJSEngine::CppOwnership);
    return store;
}

QString ProgressStore::defaultFilePath()
{
    return PrivateFiles::dataFile(QStringLiteral("progress.json"));
}

std::optional<ProgressEntry> ProgressStore::find(const QString &key) const
{
    const auto it = m_entries.constFind(key);
    if (it == m_entries.cend())
        return std::nullopt;
    return *it;
}

QVariant ProgressStore::entry(const QString &key) const
{
    const auto found = find(key);
    return found ? QVariant::fromValue(*found) : QVariant();
}

QList<ProgressEntry> ProgressStore::inProgress(ContentType contentType) const
{
    QList<ProgressEntry> list;
    for (const ProgressEntry &e : m_entries) {
        if (e.contentType() == contentType && e.isUnfinished())
            list.append(e);
    }
    // Ties are ordered by key so the listing does not depend on the hash's order.
    std::sort(list.begin(), list.end(), [](const ProgressEntry &a, const ProgressEntry &b) {
        if (a.updatedAt() != b.updatedAt())
            return a.updatedAt() > b.updatedAt();
        return a.key() < b.key();
    });
    return list;
}

void ProgressStore::recordPosition(const QString &key, ContentType contentType, const QString &contentId,
                                   const QString &name, const std::optional<QString> &imageUrl,
                                   const QString &url, qint64 positionMs, qint64 durationMs)
{
    if (positionMs < 1 || durationMs < 1)
        return;
    const double now = double(QDateTime::currentMSecsSinceEpoch());
    const ProgressEntry entry(key, contentType, contentId, name, imageUrl, positionMs, durationMs, now, url);
    if (const auto old = m_entries.constFind(key); old != m_entries.cend())
        countUnfinished(*old, -1);
    countUnfinished(entry, +1);
    m_entries.insert(key, entry);
    Q_EMIT entriesChanged();
    Q_EMIT entryChanged(key);
    persist();
}

void ProgressStore::removeEntry(const QString &key)
{
    if (const auto old = m_entries.constFind(key); old != m_entries.cend()) {
        countUnfinished(*old, -1);
        m_entries.erase(old);
        Q_EMIT entriesChanged();
        Q_EMIT entryChanged(key);
    }
    persist();
}

void ProgressStore::load()
{
    const auto loaded = m_file.readRecords<ProgressEntry>();
    if (!loaded)
        return;
    // A key written twice (by another program) keeps its later record: keys stay unique.
    for (const ProgressEntry &entry : *loaded)
        m_entries.insert(entry.key(), entry);
    for (const ProgressEntry &entry : std::as_const(m_entries))
        countUnfinished(entry, +1);
}

void ProgressStore::countUnfinished(const ProgressEntry &entry, int step)
{
    if (entry.isUnfinished())
        m_unfinished[entry.contentTypeName()] += step;
}

void ProgressStore::persist()
{
    m_changedSinceWrite = true;
    if (!m_writing.isRunning())
        startWrite();
}

void ProgressStore::startWrite()
{
    m_changedSinceWrite = false;
    // A failed write keeps this run's positions in memory only.
    m_writing.setFuture(
        QtConcurrent::run([file = &m_file, entries = m_entries] { file->writeRecords(entries); }));
}

void ProgressStore::flush()
{
    m_writing.waitForFinished();
    if (!m_changedSinceWrite)
        return;
    m_changedSinceWrite = false;
    m_file.writeRecords(m_entries);
}

QVariantMap ProgressStore::entriesForQml() const
{
    QVariantMap map;
    for (auto it = m_entries.cbegin(); it != m_entries.cend(); ++it)
        map.insert(it.key(), QVariant::fromValue(it.value()));
    return map;
}
