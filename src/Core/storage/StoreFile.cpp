#include "storage/StoreFile.h"

#include "storage/PrivateFiles.h"
#include "system/Logging.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QJsonDocument>
#include <algorithm>

namespace {

// Numbers of set-aside copies stay far from overflowing; a longer one is no copy of ours.
constexpr qsizetype maxNumberDigits = 9;

} // namespace

StoreFile::StoreFile(QString path) : m_path(std::move(path)) {}

void StoreFile::ensureFolder() const
{
    PrivateFiles::ensureFolder(QFileInfo(m_path).absolutePath());
}

std::optional<QByteArray> StoreFile::read()
{
    auto bytes = PrivateFiles::readAll(m_path, maxBytes);
    // Present but unreadable or oversized: as good as undecodable, and just as worth keeping.
    if (!bytes && QFileInfo::exists(m_path))
        m_keepBeforeWriting = true;
    return bytes;
}

bool StoreFile::write(const QByteArray &bytes)
{
    if (m_keepBeforeWriting && !moveAside())
        return false;
    m_keepBeforeWriting = false;
    const bool written = PrivateFiles::writeAtomically(m_path, bytes);
    if (!written)
        qCWarning(lcStorage) << "could not write" << m_path;
    return written;
}

std::optional<QJsonArray> StoreFile::readArray()
{
    const auto bytes = read();
    if (!bytes)
        return std::nullopt;
    const QJsonDocument document = QJsonDocument::fromJson(*bytes);
    if (!document.isArray()) {
        markUnloadable();
        return std::nullopt;
    }
    return document.array();
}

bool StoreFile::writeArray(const QJsonArray &array)
{
    return write(QJsonDocument(array).toJson(QJsonDocument::Compact));
}

QList<std::pair<qint64, QString>> StoreFile::asideCopies() const
{
    const QFileInfo file(m_path);
    const QString plain = file.fileName() + QLatin1String(".corrupt");
    QList<std::pair<qint64, QString>> copies;
    const QStringList names = file.dir().entryList({plain + QLatin1Char('*')}, QDir::Files | QDir::Hidden);
    for (const QString &name : names) {
        bool numbered = name == plain;
        qint64 number = 0;
        const QString suffix = name.mid(plain.size() + 1);
        if (!numbered && name.at(plain.size()) == QLatin1Char('.') && suffix.size() <= maxNumberDigits)
            number = suffix.toLongLong(&numbered);
        if (numbered && number >= 0)
            copies.append({number, file.dir().filePath(name)});
    }
    std::sort(copies.begin(), copies.end());
    return copies;
}

bool StoreFile::moveAside()
{
    if (!QFileInfo::exists(m_path))
        return true; // already gone (removed by the user): nothing to keep
    QList<std::pair<qint64, QString>> copies = asideCopies();
    const qint64 next = copies.isEmpty() ? 1 : copies.last().first + 1;
    // A number never used before: an earlier copy is never replaced.
    const QString aside = m_path + QLatin1String(".corrupt.") + QString::number(next);
    if (!QFile::rename(m_path, aside)) {
        qCWarning(lcStorage) << "could not set aside" << m_path << "- not overwritten";
        return false;
    }
    qCInfo(lcStorage) << "unloadable" << m_path << "kept as" << aside;
    // Only once the newest is safe, the oldest beyond the limit go.
    while (copies.size() >= maxAsideCopies)
        QFile::remove(copies.takeFirst().second);
    return true;
}
