#pragma once

#include <QByteArray>
#include <QJsonArray>
#include <QJsonObject>
#include <QList>
#include <QString>
#include <optional>
#include <utility>

// The JSON file of a store. A file that exists but could not be loaded is kept: before the first
// write over it, it is moved aside to "<name>.corrupt.<n>" (n counting up), so a damaged or
// foreign file never takes the user's data with it when the store writes its own. The newest
// `maxAsideCopies` copies are kept; an older "<name>.corrupt" counts as the oldest.
class StoreFile
{
public:
    // Far beyond any real store; a bigger file is not read into memory at all.
    static constexpr qint64 maxBytes = 32 * 1024 * 1024;

    explicit StoreFile(QString path);

    static constexpr int maxAsideCopies = 5;

    const QString &path() const { return m_path; }

    // Creates the file's folder (owner-only); failure is ignored, later writes then fail silently.
    void ensureFolder() const;

    // The file's bytes; none when it is missing or cannot be read.
    std::optional<QByteArray> read();

    // Tells that the bytes read could not be decoded: the file will be moved aside before a write.
    void markUnloadable() { m_keepBeforeWriting = true; }

    // Replaces the file atomically. False when nothing was written, also when a file that failed to
    // load could not be moved aside (it is never overwritten).
    bool write(const QByteArray &bytes);

    // The file as a JSON array of records, each read by Record::fromJson. None when the file is
    // missing, unreadable, not an array or holds one element that is not a record; all but a
    // missing file are marked unloadable.
    template <typename Record> std::optional<QList<Record>> readRecords()
    {
        const std::optional<QJsonArray> array = readArray();
        if (!array)
            return std::nullopt;
        QList<Record> records;
        records.reserve(array->size());
        for (const QJsonValue &value : *array) {
            std::optional<Record> record =
                value.isObject() ? Record::fromJson(value.toObject()) : std::nullopt;
            if (!record) {
                markUnloadable();
                return std::nullopt;
            }
            records.append(std::move(*record));
        }
        return records;
    }

    // Writes the records as a compact JSON array, each by its toJson().
    template <typename Range> bool writeRecords(const Range &records)
    {
        QJsonArray array;
        for (const auto &record : records)
            array.append(record.toJson());
        return writeArray(array);
    }

private:
    std::optional<QJsonArray> readArray();
    bool writeArray(const QJsonArray &array);
    bool moveAside();
    // The copies set aside so far with the number of each name, oldest first (0 for a plain
    // "<name>.corrupt").
    QList<std::pair<qint64, QString>> asideCopies() const;

    QString m_path;
    bool m_keepBeforeWriting = false;
};
