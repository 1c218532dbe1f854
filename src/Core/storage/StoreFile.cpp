#include "StoreFile.h"

#include "PrivateFiles.h"

#include <QFile>
#include <QFileInfo>
#include <QJsonDocument>

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
    return PrivateFiles::writeAtomically(m_path, bytes);
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

bool StoreFile::moveAside()
{
    if (!QFileInfo::exists(m_path))
        return true; // already gone (removed by the user): nothing to keep
    const QString aside = asidePath();
    if (QFileInfo::exists(aside) && !QFile::remove(aside))
        return false;
    return QFile::rename(m_path, aside);
}
