#pragma once

#include "client/XtreamClient.h"
#include "provider/Category.h"
#include "sections/SectionRow.h"
#include "session/ParentalLock.h"

#include <QAbstractItemModel>
#include <QCoroTask>
#include <QList>
#include <QObject>
#include <QString>
#include <QStringList>
#include <QtQml/qqmlregistration.h>
#include <optional>

// A section browsed by the provider's categories (live TV, movies, series): the client, the
// categories with their loading state and error, the adult categories unlocked with the PIN
// during this visit, and the one list state of every such section: the selected row, the list on
// screen with its loading state and error.
//
// The list on screen always shows the answer of the latest request made for it: an answer to an
// earlier request (for a category the user has left, or for the same category asked again) never
// replaces the list, the loading state or the error of a later one.
class CategorizedSectionModel : public QObject
{
    Q_OBJECT
    QML_ELEMENT
    QML_UNCREATABLE("A section model is one of the sections' own.")
    Q_PROPERTY(XtreamClient client READ client WRITE setClient NOTIFY clientChanged FINAL)
    Q_PROPERTY(QList<Category> categories READ categories NOTIFY categoriesChanged FINAL)
    Q_PROPERTY(bool isLoadingCategories READ isLoadingCategories NOTIFY isLoadingCategoriesChanged FINAL)
    // Null when the last category load did not fail.
    Q_PROPERTY(QString categoriesError READ categoriesError NOTIFY categoriesErrorChanged FINAL)
    Q_PROPERTY(QStringList unlockedCategories READ unlockedCategories NOTIFY unlockedCategoriesChanged FINAL)
    // What the category column lists: the section's own rows, then the categories with their locks.
    Q_PROPERTY(QList<SectionRow> categoryRows READ categoryRows NOTIFY categoryRowsChanged FINAL)
    // "" while nothing is selected; selectedRow tells that apart from a category whose id is "".
    Q_PROPERTY(QString selectedCategoryId READ selectedCategoryIdText NOTIFY selectedCategoryIdChanged FINAL)
    // The position of the selected row in categoryRows; -1 while none is.
    Q_PROPERTY(int selectedRow READ selectedRow NOTIFY selectedRowChanged FINAL)
    // The list on screen as rows for a lazy view, its loading state and its error (null when the
    // last load did not fail).
    Q_PROPERTY(QAbstractItemModel *rows READ rows CONSTANT FINAL)
    Q_PROPERTY(bool isLoadingList READ isLoadingList NOTIFY isLoadingListChanged FINAL)
    Q_PROPERTY(QString listError READ listError NOTIFY listErrorChanged FINAL)

public:
    XtreamClient client() const { return m_client; }
    void setClient(const XtreamClient &client);
    QList<Category> categories() const { return m_categories; }
    bool isLoadingCategories() const { return m_isLoadingCategories; }
    QString categoriesError() const { return m_categoriesError; }
    // Sorted, so that equal sets read the same.
    QStringList unlockedCategories() const;
    QList<SectionRow> categoryRows() const;

    const std::optional<QString> &selectedCategoryId() const { return m_selectedCategoryId; }
    QString selectedCategoryIdText() const { return m_selectedCategoryId.value_or(QString()); }
    bool hasSelection() const { return m_selectedCategoryId.has_value(); }
    int selectedRow() const { return m_selectedRow; }
    virtual QAbstractItemModel *rows() const = 0;
    bool isLoadingList() const { return m_isLoadingList; }
    QString listError() const { return m_listError; }

    Q_INVOKABLE void loadCategories();
    Q_INVOKABLE void unlock(const QString &categoryId);
    // Adult by its name and not unlocked during this visit.
    Q_INVOKABLE bool isLocked(const Category &category) const;
    // Shows the category's list (or one of the section's own rows).
    Q_INVOKABLE virtual void selectCategory(const QString &categoryId) = 0;
    // "Reintentar" under a failed list: the selected row is loaded again.
    Q_INVOKABLE void reloadList();

Q_SIGNALS:
    void clientChanged();
    void categoriesChanged();
    void isLoadingCategoriesChanged();
    void categoriesErrorChanged();
    void unlockedCategoriesChanged();
    void categoryRowsChanged();
    void selectedCategoryIdChanged();
    void selectedRowChanged();
    // The list on screen was replaced.
    void listChanged();
    void isLoadingListChanged();
    void listErrorChanged();

protected:
    // A request for the list on screen; only the latest one may change it.
    using ListRequest = quint64;

    explicit CategorizedSectionModel(QObject *parent);

    // The section's own rows above the categories; a section whose rows change emits
    // categoryRowsChanged.
    virtual QList<SectionRow> specialRows() const = 0;
    // The provider's action for the categories of this section.
    virtual QString categoriesAction() const = 0;
    // Runs after each successful category load, before the load counts as over.
    virtual QCoro::Task<> categoriesLoaded();
    // Empties the list on screen.
    virtual void clearList() = 0;

    // Optional texts compare with their absence too: a null text is not the same as an empty one.
    static bool sameOptionalText(const QString &a, const QString &b)
    {
        return a.isNull() == b.isNull() && a == b;
    }

    void setCategories(const QList<Category> &categories);
    void setSelectedCategoryId(const QString &categoryId);
    bool isSelectedCategory(QLatin1StringView categoryId) const
    {
        return m_selectedCategoryId == QString(categoryId);
    }
    bool isSelectedCategory(const QString &categoryId) const { return m_selectedCategoryId == categoryId; }

    // A new request for the list: an empty list, the loading state and no error until its answer.
    ListRequest startListRequest();
    // A request still on its way becomes the latest again (the user came back to what it loads).
    void resumeListRequest(ListRequest request);
    bool isLatest(ListRequest request) const { return request == m_latestRequest; }
    // The answer of a request: ends the loading state and shows the error (null for none), unless
    // a later request was made meanwhile. False when the answer came too late to be shown.
    bool finishListRequest(ListRequest request, const QString &error = QString());
    // A list that needs no request is on screen: nothing loads and nothing failed, and every
    // request still on its way has come too late.
    void showSettledList();
    // The list's model was given its rows anew.
    void watchRows(QAbstractItemModel *rows);

private:
    QCoro::Task<> runLoadCategories();
    void setIsLoadingCategories(bool loading);
    void setCategoriesError(const QString &text);
    void setIsLoadingList(bool loading);
    void setListError(const QString &text);
    void updateSelectedRow();

    XtreamClient m_client;
    QList<Category> m_categories;
    bool m_isLoadingCategories = false;
    QString m_categoriesError;
    ParentalLock m_lock;
    std::optional<QString> m_selectedCategoryId;
    int m_selectedRow = -1;
    bool m_isLoadingList = false;
    QString m_listError;
    ListRequest m_nextRequest = 0;
    ListRequest m_latestRequest = 0;
};
