#include "SectionTestHome.h"

#include "TestFiles.h"
#include "storage/DiskCatalogCache.h"
#include "system/AppInfo.h"

#include <QDateTime>
#include <QFile>
#include <QSettings>
#include <QtTest>

namespace norvane::test {

SectionTestHome::SectionTestHome()
{
    qputenv("HOME", m_dir.path().toLocal8Bit());
    QSettings::setPath(QSettings::NativeFormat, QSettings::UserScope,
                       m_dir.path() + QLatin1String("/config"));
}

QString SectionTestHome::catalogPath(const QString &fileName)
{
    return DiskCatalogCache::dir() + QLatin1Char('/') + fileName;
}

void SectionTestHome::forgetCatalog(const QString &fileName)
{
    QFile::remove(catalogPath(fileName));
    QSettings(AppInfo::folderName, AppInfo::folderName).remove(QLatin1String("size_") + fileName);
}

void SectionTestHome::storeCatalog(const QString &fileName, const QByteArray &body)
{
    writeFile(catalogPath(fileName), body);
}

void SectionTestHome::storeExpectedSize(const QString &fileName, qint64 bytes)
{
    QSettings(AppInfo::folderName, AppInfo::folderName).setValue(QLatin1String("size_") + fileName, bytes);
}

qint64 SectionTestHome::expectedSize(const QString &fileName)
{
    return QSettings(AppInfo::folderName, AppInfo::folderName)
        .value(QLatin1String("size_") + fileName, 0)
        .toLongLong();
}

void SectionTestHome::ageCatalog(const QString &fileName, qint64 seconds)
{
    QFile file(catalogPath(fileName));
    QVERIFY(file.open(QIODevice::ReadWrite));
    QVERIFY(
        file.setFileTime(QDateTime::currentDateTime().addSecs(-seconds), QFileDevice::FileModificationTime));
}

namespace {

int countRequests(const SampleProvider &provider, const QString &action,
                  const std::function<bool(const ProviderRequest &)> &matches)
{
    const QList<ProviderRequest> requests = provider.requests(action);
    return int(std::count_if(requests.cbegin(), requests.cend(), matches));
}

} // namespace

int wholeCatalogRequests(const SampleProvider &provider, const QString &action)
{
    return countRequests(provider, action, [](const ProviderRequest &r) {
        return !r.query.contains(QStringLiteral("category_id"));
    });
}

int categoryRequests(const SampleProvider &provider, const QString &action, const QString &categoryId)
{
    return countRequests(provider, action, [&](const ProviderRequest &r) {
        return r.query.value(QStringLiteral("category_id")) == categoryId;
    });
}

} // namespace norvane::test
