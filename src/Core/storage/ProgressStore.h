#pragma once

#include "storage/ProgressEntry.h"
#include "storage/StoreFile.h"

#include <QFuture>
#include <QFutureWatcher>
#include <QHash>
#include <QObject>
#include <QUrl>
#include <QVariantMap>
#include <QtQml/qqmlregistration.h>
#include <optional>

class QJSEngine;
class QQmlEngine;

// Where each movie and episode stopped, kept in "progress.json" and written after every change.
// One instance for the process (shared()); main thread only.
//
// A store of thousands of entries takes tens of milliseconds to encode and write, and the player
// saves every five seconds: the file is encoded and written beside the main thread, from a shared
// copy of the entries, one write at a time. Changes made during a write are written together
// right after it. flush() waits until every change is on disk; the store flushes when it goes
// and when the application quits.
class ProgressStore : public QObject
{
    Q_OBJECT
    QML_ELEMENT
    QML_SINGLETON
    // Key -> progressEntry.
    Q_PROPERTY(QVariantMap entries READ entriesForQml NOTIFY entriesChanged FINAL)
    Q_PROPERTY(QUrl fileURL READ fileURL CONSTANT FINAL)

public:
    using Entry = ProgressEntry;

    // A store over the given file, loaded at once (tests use their own files).
    explicit ProgressStore(const QString &filePath, QObject *parent = nullptr);
    ~ProgressStore() override;

    static ProgressStore *shared();
    static ProgressStore *create(QQmlEngine *, QJSEngine *);
    // "Norvane/progress.json" in the user's data folder.
    static QString defaultFilePath();

    const QHash<QString, ProgressEntry> &entries() const { return m_entries; }
    QUrl fileURL() const { return QUrl::fromLocalFile(m_file.path()); }

    std::optional<ProgressEntry> find(const QString &key) const;
    // The entry under the key as a progressEntry, undefined when there is none.
    Q_INVOKABLE QVariant entry(const QString &key) const;

    // The unfinished entries of one content type, most recently updated first.
    QList<ProgressEntry> inProgress(ContentType contentType) const;
    // Whether one entry of the content type is unfinished, without a look at every entry.
    bool hasUnfinished(ContentType contentType) const
    {
        return m_unfinished.value(contentTypeName(contentType)) > 0;
    }

    // Remembers where the item stopped. Ignored unless both times are at least 1 ms.
    void recordPosition(const QString &key, ContentType contentType, const QString &contentId,
                        const QString &name, const std::optional<QString> &imageUrl, const QString &url,
                        qint64 positionMs, qint64 durationMs);
    Q_INVOKABLE void removeEntry(const QString &key);
    // Returns once every change so far is written (or its write has failed).
    void flush();

    // The derived rules, for screens that hold an entry.
    Q_INVOKABLE static bool isUnfinished(const ProgressEntry &entry) { return entry.isUnfinished(); }
    Q_INVOKABLE static qint64 resumePositionMs(const ProgressEntry &entry)
    {
        return entry.resumePositionMs();
    }
    Q_INVOKABLE static double watchedFraction(const ProgressEntry &entry) { return entry.watchedFraction(); }

Q_SIGNALS:
    void entriesChanged();
    // The entry under the key was recorded or removed; emitted after entriesChanged, so that a
    // row can follow its own entry without reading the whole store.
    void entryChanged(const QString &key);

private:
    void load();
    // Writes the entries: now, or after the write under way.
    void persist();
    void startWrite();
    // Counts the entry in (+1) or out (-1) of its type's unfinished entries.
    void countUnfinished(const ProgressEntry &entry, int step);
    QVariantMap entriesForQml() const;

    StoreFile m_file;
    QHash<QString, ProgressEntry> m_entries;
    // Content type to its number of unfinished entries.
    // By the type's stored name (a file may name types this app does not know).
    QHash<QString, int> m_unfinished;
    // The write under way (the file is touched by it alone), and whether changes wait for the next.
    QFutureWatcher<void> m_writing;
    bool m_changedSinceWrite = false;
};
