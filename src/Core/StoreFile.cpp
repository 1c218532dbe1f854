#include "StoreFile.h"

#include "PrivateFiles.h"

#include <QFile>
#include <QFileInfo>

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

bool StoreFile::moveAside()
{
    if (!QFileInfo::exists(m_path))
        return true; // already gone (removed by the user): nothing to keep
    const QString aside = asidePath();
    if (QFileInfo::exists(aside) && !QFile::remove(aside))
        return false;
    return QFile::rename(m_path, aside);
}
