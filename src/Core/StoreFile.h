#pragma once

#include <QByteArray>
#include <QString>
#include <optional>

// The JSON file of a store. A file that exists but could not be loaded is kept: before the first
// write over it, it is moved aside to "<name>.corrupt" (replacing an older one), so a damaged or
// foreign file never takes the user's data with it when the store writes its own.
class StoreFile
{
public:
    // Far beyond any real store; a bigger file is not read into memory at all.
    static constexpr qint64 maxBytes = 32 * 1024 * 1024;

    explicit StoreFile(QString path);

    const QString &path() const { return m_path; }
    QString asidePath() const { return m_path + QLatin1String(".corrupt"); }

    // Creates the file's folder (owner-only); failure is ignored, later writes then fail silently.
    void ensureFolder() const;

    // The file's bytes; none when it is missing or cannot be read.
    std::optional<QByteArray> read();

    // Tells that the bytes read could not be decoded: the file will be moved aside before a write.
    void markUnloadable() { m_keepBeforeWriting = true; }

    // Replaces the file atomically. False when nothing was written, also when a file that failed to
    // load could not be moved aside (it is never overwritten).
    bool write(const QByteArray &bytes);

private:
    bool moveAside();

    QString m_path;
    bool m_keepBeforeWriting = false;
};
