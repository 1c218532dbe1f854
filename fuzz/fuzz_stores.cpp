// The two store files as found on disk (written by an older version, another program or a
// damaged disk): the first byte chooses the store, the rest is the file. After loading, one
// change is written, as the app would on the next click, which moves an unloadable file aside.
#include "storage/FavoritesStore.h"
#include "FuzzSupport.h"
#include "storage/ProgressStore.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QTemporaryDir>

namespace {

QString placeFile(const QString &name, const QByteArray &bytes)
{
    static QTemporaryDir dir(QDir::tempPath() + QLatin1String("/norvane-fuzz-XXXXXX"));
    const QString path = dir.filePath(name);
    QFile::remove(path + QLatin1String(".corrupt"));
    QFile file(path);
    if (file.open(QIODevice::WriteOnly | QIODevice::Truncate))
        file.write(bytes);
    return path;
}

void loadProgress(const QByteArray &bytes)
{
    ProgressStore store(placeFile(QStringLiteral("progress.json"), bytes));
    for (const auto &entry : store.entries())
        FuzzSupport::readAll(entry);
    for (const ContentType type : {ContentType::Movie, ContentType::Series}) {
        for (const ProgressEntry &entry : store.inProgress(type))
            (void)entry.resumePositionMs();
    }
    store.recordPosition(QStringLiteral("movie:1"), ContentType::Movie, QStringLiteral("1"),
                         QStringLiteral("n"), std::nullopt, QStringLiteral("u"), 1000, 2000);
}

void loadFavorites(const QByteArray &bytes)
{
    FavoritesStore store(placeFile(QStringLiteral("favorites.json"), bytes));
    for (const ContentType type : {ContentType::Live, ContentType::Series}) {
        for (const Favorite &favorite : store.items(type))
            FuzzSupport::readAll(favorite);
    }
    store.add(
        FavoritesStore::makeFavorite(ContentType::Live, QStringLiteral("1"), QStringLiteral("n"), QString()));
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    if (size < 1)
        return 0;
    static int argc = 1;
    static char name[] = "fuzz_stores";
    static char *argv[] = {name, nullptr};
    static QCoreApplication app(argc, argv); // QCollator and the JSON readers want one
    const QByteArray bytes = FuzzSupport::rest(data, size);
    if (data[0] % 2 == 0)
        loadProgress(bytes);
    else
        loadFavorites(bytes);
    return 0;
}
