#pragma once

#include "CatalogDiskCopy.h"
#include "CatalogRecords.h"
#include "CatalogSource.h"
#include "CategorizedSectionModel.h"
#include "ProgressEntry.h"
#include "ProgressStore.h"

#include <QAbstractItemModel>
#include <QCoroTask>
#include <QList>
#include <QPointer>
#include <QSet>
#include <QString>
#include <QStringList>
#include <QVariant>
#include <QtQml/qqmlregistration.h>
#include <functional>
#include <optional>

// A catalog section (movies or series): the categories, the selection with its reserved ids, the
// state of the list on screen, "Recién agregadas" from the whole catalog (read from its disk copy,
// or downloaded with a byte counter, and refreshed in the background when the copy is old) and the
// categories opened with the PIN. The records themselves, typed, are the section's CatalogRecords.
//
// The list on screen always belongs to the selected category: an answer for a category the user
// has left only fills the cache, so a slow category can never replace the list, the spinner or
// the error of the one chosen after it.
class CatalogSectionModel : public CategorizedSectionModel
{
    Q_OBJECT
    QML_ELEMENT
    QML_UNCREATABLE("A catalog section is the movies or the series model.")
    Q_PROPERTY(ProgressStore *progress READ progress CONSTANT FINAL)
    // "" while nothing is selected.
    Q_PROPERTY(QString selectedCategoryId READ selectedCategoryIdText NOTIFY selectedCategoryIdChanged FINAL)
    Q_PROPERTY(qint64 downloadedBytes READ downloadedBytes NOTIFY downloadedBytesChanged FINAL)
    // A number from 0 to 0.99, or undefined when no size to expect is known.
    Q_PROPERTY(QVariant downloadFraction READ downloadFractionValue NOTIFY downloadFractionChanged FINAL)
    // The list on screen, its loading flag and its error under the same names in every catalog
    // section (each section also publishes them to QML under its own names).
    Q_PROPERTY(QAbstractItemModel *cards READ cards CONSTANT FINAL)
    Q_PROPERTY(bool isLoadingList READ isLoadingList NOTIFY isLoadingListChanged FINAL)
    Q_PROPERTY(QString listError READ listError NOTIFY listErrorChanged FINAL)
    // The unfinished progress entries of the section's content type, newest first.
    Q_PROPERTY(QList<ProgressEntry> continueEntries READ continueEntries NOTIFY continueEntriesChanged FINAL)
    // Whether a record can be a favourite in this section.
    Q_PROPERTY(bool offersFavorites READ offersFavorites CONSTANT FINAL)

public:
    static constexpr double maxDownloadFraction = 0.99;
    static constexpr double defaultRefreshAgeSeconds = 10800;

    ProgressStore *progress() const { return m_progress; }
    const std::optional<QString> &selectedCategoryId() const { return m_selectedCategoryId; }
    QString selectedCategoryIdText() const { return m_selectedCategoryId.value_or(QString()); }
    qint64 downloadedBytes() const { return m_downloadedBytes; }
    const std::optional<double> &downloadFraction() const { return m_downloadFraction; }
    QVariant downloadFractionValue() const;
    bool isLoadingList() const { return m_isLoadingList; }
    QString listError() const { return m_listError; }
    QAbstractItemModel *cards() const { return m_records->cards(); }
    QList<ProgressEntry> continueEntries() const;
    virtual bool offersFavorites() const { return false; }
    // What the pane says over an empty list of a chosen category, and over an empty favourites row.
    virtual QString emptyCategoryText() const = 0;
    virtual QString emptyFavoritesText() const { return {}; }

    // A disk copy older than this is refreshed in the background when the section opens.
    double refreshAgeSeconds() const { return m_refreshAgeSeconds; }
    void setRefreshAgeSeconds(double seconds) { m_refreshAgeSeconds = seconds; }

    // Selects a category (reserved ids included) and fills the list.
    Q_INVOKABLE void selectCategory(const QString &categoryId) override;
    // The favourite mark of a record of the list, and its toggle (sections with favourites only).
    Q_INVOKABLE virtual bool isFavoriteRecord(const QVariant &record) const;
    // The picture of a record of the list (its poster or cover).
    Q_INVOKABLE QString artworkOf(const QVariant &record) const { return m_records->artworkOf(record); }
    Q_INVOKABLE virtual void toggleFavoriteRecord(const QVariant &record);

Q_SIGNALS:
    void selectedCategoryIdChanged();
    void downloadedBytesChanged();
    void downloadFractionChanged();
    // The list on screen and its state, under the common names above and each section's own.
    void listChanged();
    void isLoadingListChanged();
    void listErrorChanged();
    void continueEntriesChanged();

protected:
    CatalogSectionModel(const CatalogSource &source, ProgressStore *progress, QObject *parent);
    // From the section's constructor, with its records.
    void attach(CatalogRecords &records);

    QList<SectionRow> specialRows() const override;
    QString categoriesAction() const override { return QString(m_source.categoriesAction); }
    // The first successful category load also selects "__recent__".
    QCoro::Task<> categoriesLoaded() override;
    // Shows a reserved id of the section itself; false when the id is not one.
    virtual bool showSectionSpecial(const QString &categoryId);

    bool isSelected(QLatin1StringView categoryId) const
    {
        return m_selectedCategoryId == QString(categoryId);
    }
    bool isSelected(const QString &categoryId) const { return m_selectedCategoryId == categoryId; }

private:
    enum class RecentLoad { Idle, ReadingDisk, Downloading };

    QCoro::Task<> runSelectCategory(QString categoryId);
    // Fetches the list of one category; shown only while that category is still selected.
    QCoro::Task<> fetchCategory(QString categoryId);
    // "Recién agregadas" from the whole catalog.
    QCoro::Task<> loadRecent();
    // Downloads the whole catalog; a body that decodes replaces the catalog and its disk copy.
    QCoro::Task<> refreshAll(bool background);
    // The whole catalog has just been kept: "Recién agregadas" follows it while selected.
    void wholeCatalogKept();
    // A foreground download that failed, shown only while there is nothing else to show.
    void showCatalogFailure(const QString &text);
    // A list that needs no request is shown: nothing loads and nothing failed.
    void showSettledList();

    void setIsLoadingList(bool loading);
    void setListError(const QString &text);
    // Starts the byte counter of a whole-catalog download: 0 bytes, and a fraction of 0 when a
    // size to expect is known.
    void startDownloadCounter(qint64 expectedBytes);
    // Receives the running byte totals of that download on any thread and hands them to this
    // model on the main thread, unless the model is gone or a newer download has started.
    std::function<void(qint64)> downloadProgressRelay(qint64 expectedBytes);

    void setSelectedCategoryId(const QString &categoryId);
    void showDownloaded(quint64 download, qint64 receivedBytes, qint64 expectedBytes);
    void setDownloadedBytes(qint64 bytes);
    void setDownloadFraction(std::optional<double> fraction);

    void progressChanged();

    const CatalogSource m_source;
    CatalogRecords *m_records = nullptr;
    CatalogDiskCopy m_diskCopy;
    QSet<QString> m_fetching;
    RecentLoad m_recentLoad = RecentLoad::Idle;
    QPointer<ProgressStore> m_progress;
    mutable bool m_hasContinueEntries = false;
    std::optional<QString> m_selectedCategoryId;
    bool m_isLoadingList = false;
    QString m_listError;
    qint64 m_downloadedBytes = 0;
    std::optional<double> m_downloadFraction;
    quint64 m_download = 0;
    double m_refreshAgeSeconds = defaultRefreshAgeSeconds;
};
