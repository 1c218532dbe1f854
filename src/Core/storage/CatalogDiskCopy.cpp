#include "storage/CatalogDiskCopy.h"

#include "provider/ProviderJson.h"
#include "storage/AppSettings.h"
#include "storage/DiskCatalogCache.h"
#include "storage/PrivateFiles.h"

#include <QCoroFuture>
#include <QtConcurrent/QtConcurrentRun>

CatalogDiskCopy::CatalogDiskCopy(QString fileName) : m_fileName(std::move(fileName)) {}

QString CatalogDiskCopy::path() const
{
    return DiskCatalogCache::dir() + QLatin1Char('/') + m_fileName;
}

qint64 CatalogDiskCopy::expectedSize() const
{
    return AppSettings::value(sizeKey(), 0).toLongLong();
}

void CatalogDiskCopy::rememberSize(qint64 bytes) const
{
    AppSettings::setValue(sizeKey(), bytes);
}

std::optional<double> CatalogDiskCopy::age() const
{
    return DiskCatalogCache::age(m_fileName);
}

bool CatalogDiskCopy::isOld(double maxAgeSeconds) const
{
    const std::optional<double> seconds = age();
    return !seconds || *seconds < 0 || *seconds > maxAgeSeconds;
}

QCoro::Task<std::optional<QByteArray>> CatalogDiskCopy::read() const
{
    // Named before the co_await: GCC 12 destroys a temporary inside one twice.
    QFuture<std::optional<QByteArray>> reading = QtConcurrent::run(
        [path = path()] { return PrivateFiles::readAll(path, maxBytes, ProviderJson::bodyPadding); });
    co_return co_await reading;
}

QCoro::Task<bool> CatalogDiskCopy::write(QByteArray body) const
{
    co_return co_await QtConcurrent::run(PrivateFiles::writeAtomically, path(), std::move(body));
}
