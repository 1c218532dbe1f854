#pragma once

#include "catalog/CatalogRecords.h"
#include "catalog/CatalogSource.h"
#include "catalog/ContinueListModel.h"
#include "sections/CategorizedSectionModel.h"
#include "storage/CatalogDiskCopy.h"
#include "storage/ProgressStore.h"

#include <QAbstractItemModel>
#include <QCoroTask>
#include <QPointer>
#include <QString>
#include <QVariant>
#include <QtQml/qqmlregistration.h>
#include <functional>
#include <optional>

// A catalog section (movies or series): the categories, the selection with its reserved ids, the
// list on screen, "Recién agregadas" from the whole catalog (read from its disk copy, or
// downloaded with a byte counter, and refreshed in the background when the copy is old),
// "Continuar viendo" and the categories opened with the PIN. The records themselves, typed, are
// the section's CatalogRecords.
class CatalogSectionModel : public CategorizedSectionModel
{
    Q_OBJECT
    QML_ELEMENT
    QML_UNCREATABLE("A catalog section is the movies or the series model.")
    // The section's title: "Películas" or "Series".
    Q_PROPERTY(QString title READ title CONSTANT FINAL)
    Q_PROPERTY(qint64 downloadedBytes READ downloadedBytes NOTIFY downloadedBytesChanged FINAL)
    // A number from 0 to 0.99, or -1 when no size to expect is known.
    Q_PROPERTY(double downloadFraction READ downloadFractionOrNone NOTIFY downloadFractionChanged FINAL)
    // The list is loading because the whole catalog downloads in the foreground (not because a
    // category's list or the disk copy is on its way).
    Q_PROPERTY(bool isDownloadingCatalog READ isDownloadingCatalog NOTIFY isDownloadingCatalogChanged FINAL)
    // The cards of "Continuar viendo", filled while that row is selected.
    Q_PROPERTY(ContinueListModel *continueRows READ continueRows CONSTANT FINAL)
    // Whether a record can be a favourite in this section.
    Q_PROPERTY(bool offersFavorites READ offersFavorites CONSTANT FINAL)

public:
    static constexpr double maxDownloadFraction = 0.99;
    // A disk copy older than this is refreshed in the background when the section opens.
    static constexpr double defaultRefreshAgeSeconds = 10800;

    virtual QString title() const = 0;
    qint64 downloadedBytes() const { return m_downloadedBytes; }
    const std::optional<double> &downloadFraction() const { return m_downloadFraction; }
    double downloadFractionOrNone() const { return m_downloadFraction.value_or(-1.0); }
    bool isDownloadingCatalog() const { return m_isDownloadingCatalog; }
    QAbstractItemModel *rows() const override { return m_records->rows(); }
    ContinueListModel *continueRows() const { return m_continueRows; }
    virtual bool offersFavorites() const { return false; }
    // What the pane says over an empty list of a chosen category, and over an empty favourites row.
    virtual QString emptyCategoryText() const = 0;
    virtual QString emptyFavoritesText() const { return {}; }

    // Selects a category (reserved ids included) and fills the list.
    Q_INVOKABLE void selectCategory(const QString &categoryId) override;
    // The record that a card of the list opens, and that of a continue-watching card.
    QVariant recordAt(int row) const { return m_records->recordAt(row); }
    QVariant continueRecordAt(int row) const;
    // The favourite toggle of a card of the list (sections with favourites only).
    Q_INVOKABLE virtual void toggleFavoriteAt(int row);
    // "Quitar de Continuar viendo" on a continue-watching card.
    Q_INVOKABLE void removeContinueAt(int row);

Q_SIGNALS:
    void downloadedBytesChanged();
    void downloadFractionChanged();
    void isDownloadingCatalogChanged();

protected:
    CatalogSectionModel(const CatalogSource &source, ProgressStore *progress, QObject *parent);
    // From the section's constructor, with its records.
    void attach(CatalogRecords &records);

    QList<SectionRow> specialRows() const override;
    QString categoriesAction() const override { return QString(m_source.categoriesAction); }
    // The first successful category load also selects "__recent__".
    QCoro::Task<> categoriesLoaded() override;
    void clearList() override { m_records->clearList(); }
    // Shows a reserved id of the section itself; false when the id is not one.
    virtual bool showSectionSpecial(const QString &categoryId);

private:
    QCoro::Task<> runSelectCategory(QString categoryId);
    // Fetches the list of one category; shown only while it is the latest request.
    QCoro::Task<> fetchCategory(QString categoryId);
    // "Recién agregadas" from the whole catalog.
    QCoro::Task<> loadRecent();
    // Downloads the whole catalog; a body that decodes replaces the catalog and its disk copy.
    // The failure's user message of a foreground download, or none.
    QCoro::Task<std::optional<QString>> refreshAll(bool background);
    // The whole catalog has just been kept: "Recién agregadas" follows it while selected.
    void wholeCatalogKept();

    void setIsDownloadingCatalog(bool downloading);
    // Starts the byte counter of a whole-catalog download: 0 bytes, and a fraction of 0 when a
    // size to expect is known.
    void startDownloadCounter(qint64 expectedBytes);
    // Receives the running byte totals of that download on any thread and hands them to this
    // model on the main thread, unless the model is gone or a newer download has started.
    std::function<void(qint64)> downloadProgressRelay(qint64 expectedBytes);
    void showDownloaded(quint64 download, qint64 receivedBytes, qint64 expectedBytes);
    void setDownloadedBytes(qint64 bytes);
    void setDownloadFraction(std::optional<double> fraction);

    void progressChanged(const QString &key);

    const CatalogSource m_source;
    CatalogRecords *m_records = nullptr;
    CatalogDiskCopy m_diskCopy;
    // The read or download of the whole catalog on its way, as the request that shows it.
    std::optional<ListRequest> m_recentLoad;
    QPointer<ProgressStore> m_progress;
    ContinueListModel *m_continueRows;
    bool m_hasContinueRow = false;
    bool m_isDownloadingCatalog = false;
    qint64 m_downloadedBytes = 0;
    std::optional<double> m_downloadFraction;
    quint64 m_download = 0;
};
