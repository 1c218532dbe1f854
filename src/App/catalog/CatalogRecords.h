#pragma once

#include "client/XtreamClient.h"
#include "storage/ProgressEntry.h"

#include <QAbstractItemModel>
#include <QByteArray>
#include <QCoroTask>
#include <QString>
#include <QVariant>
#include <optional>

class FavoritesStore;

// What a catalog section model asks of its records, whatever their type: the list on screen, the
// categories fetched during this visit and the whole catalog behind "Recién agregadas". Which list
// is shown when is the section model's rule; the records only hold, fetch and decode.
class CatalogRecords
{
public:
    // How many of the newest records "Recién agregadas" shows.
    static constexpr qsizetype recentCount = 60;

    virtual ~CatalogRecords() = default;

    // The list on screen for a lazy grid, reset whenever the list changes.
    virtual QAbstractItemModel *rows() const = 0;
    // The record of a row of the list (the detail it opens); invalid outside the list.
    virtual QVariant recordAt(int row) const = 0;
    // The record a continue-watching card opens.
    virtual QVariant recordOf(const ProgressEntry &entry) const = 0;
    // The rows' favourite marks follow the store.
    virtual void followFavorites(FavoritesStore *store) = 0;
    virtual void clearList() = 0;
    // Shows the cached list of the category; false when it was never fetched.
    virtual bool showCached(const QString &categoryId) = 0;
    // Fetches the list of one category into the cache: the failure's user message, or none.
    virtual QCoro::Task<std::optional<QString>> fetchCategory(XtreamClient client, QString categoryId) = 0;
    // Whether the whole catalog was read or downloaded during this visit.
    virtual bool hasWholeCatalog() const = 0;
    // Shows the newest records of the whole catalog; only once there is one.
    virtual void showRecent() = 0;
    // Decodes a whole-catalog body and keeps it: false when it does not decode.
    virtual QCoro::Task<bool> keepWholeCatalog(QByteArray body) = 0;
    // Whether a whole-catalog body decodes, needing no records: a download that ends after its
    // section closed is still checked, and kept on disk when it decodes.
    using BodyCheck = QCoro::Task<bool> (*)(QByteArray body);
    virtual BodyCheck bodyCheck() const = 0;

protected:
    CatalogRecords() = default;
    CatalogRecords(const CatalogRecords &) = delete;
    CatalogRecords &operator=(const CatalogRecords &) = delete;
};
