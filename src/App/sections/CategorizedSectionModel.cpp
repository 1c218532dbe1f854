#include "sections/CategorizedSectionModel.h"

#include "client/NorvaneError.h"

#include <QPointer>

CategorizedSectionModel::CategorizedSectionModel(QObject *parent) : QObject(parent)
{
    connect(this, &CategorizedSectionModel::categoriesChanged, this,
            &CategorizedSectionModel::categoryRowsChanged);
    connect(this, &CategorizedSectionModel::unlockedCategoriesChanged, this,
            &CategorizedSectionModel::categoryRowsChanged);
    connect(this, &CategorizedSectionModel::categoryRowsChanged, this,
            &CategorizedSectionModel::updateSelectedRow);
    connect(this, &CategorizedSectionModel::selectedCategoryIdChanged, this,
            &CategorizedSectionModel::updateSelectedRow);
}

void CategorizedSectionModel::setClient(const XtreamClient &client)
{
    if (m_client == client)
        return;
    m_client = client;
    Q_EMIT clientChanged();
}

QStringList CategorizedSectionModel::unlockedCategories() const
{
    QStringList ids = m_lock.unlockedCategoryList();
    ids.sort();
    return ids;
}

void CategorizedSectionModel::loadCategories()
{
    runLoadCategories();
}

void CategorizedSectionModel::unlock(const QString &categoryId)
{
    if (m_lock.unlock(categoryId))
        Q_EMIT unlockedCategoriesChanged();
}

bool CategorizedSectionModel::isLocked(const Category &category) const
{
    return m_lock.isLocked(category.categoryId(), category.categoryName());
}

QList<SectionRow> CategorizedSectionModel::categoryRows() const
{
    QList<SectionRow> rows = specialRows();
    rows.reserve(rows.size() + m_categories.size());
    for (const Category &category : m_categories)
        rows.append(SectionRow::of(category, isLocked(category)));
    return rows;
}

void CategorizedSectionModel::reloadList()
{
    if (m_selectedCategoryId)
        selectCategory(*m_selectedCategoryId);
}

QCoro::Task<> CategorizedSectionModel::categoriesLoaded()
{
    co_return;
}

QCoro::Task<> CategorizedSectionModel::runLoadCategories()
{
    const QPointer<CategorizedSectionModel> self(this);
    setIsLoadingCategories(true);
    setCategoriesError(QString());
    const XtreamClient client = m_client;
    const Result<QList<Category>> fetched = co_await client.fetch<QList<Category>>(categoriesAction());
    if (!self)
        co_return;
    if (fetched) {
        setCategories(*fetched);
        co_await categoriesLoaded();
        if (!self)
            co_return;
    } else {
        setCategoriesError(NorvaneError::message(fetched.failure()));
    }
    setIsLoadingCategories(false);
}

void CategorizedSectionModel::setCategories(const QList<Category> &categories)
{
    if (m_categories == categories)
        return;
    m_categories = categories;
    Q_EMIT categoriesChanged();
}

void CategorizedSectionModel::setSelectedCategoryId(const QString &categoryId)
{
    if (m_selectedCategoryId && sameOptionalText(*m_selectedCategoryId, categoryId))
        return;
    m_selectedCategoryId = categoryId;
    Q_EMIT selectedCategoryIdChanged();
}

CategorizedSectionModel::ListRequest CategorizedSectionModel::startListRequest()
{
    m_latestRequest = ++m_nextRequest;
    setIsLoadingList(true);
    setListError(QString());
    clearList();
    return m_latestRequest;
}

void CategorizedSectionModel::resumeListRequest(ListRequest request)
{
    m_latestRequest = request;
    setIsLoadingList(true);
    setListError(QString());
    clearList();
}

bool CategorizedSectionModel::finishListRequest(ListRequest request, const QString &error)
{
    if (!isLatest(request))
        return false;
    setListError(error);
    setIsLoadingList(false);
    return true;
}

void CategorizedSectionModel::showSettledList()
{
    m_latestRequest = ++m_nextRequest;
    setIsLoadingList(false);
    setListError(QString());
}

void CategorizedSectionModel::watchRows(QAbstractItemModel *rows)
{
    connect(rows, &QAbstractItemModel::modelReset, this, &CategorizedSectionModel::listChanged);
}

void CategorizedSectionModel::setIsLoadingCategories(bool loading)
{
    if (m_isLoadingCategories == loading)
        return;
    m_isLoadingCategories = loading;
    Q_EMIT isLoadingCategoriesChanged();
}

void CategorizedSectionModel::setCategoriesError(const QString &text)
{
    if (sameOptionalText(m_categoriesError, text))
        return;
    m_categoriesError = text;
    Q_EMIT categoriesErrorChanged();
}

void CategorizedSectionModel::setIsLoadingList(bool loading)
{
    if (m_isLoadingList == loading)
        return;
    m_isLoadingList = loading;
    Q_EMIT isLoadingListChanged();
}

void CategorizedSectionModel::setListError(const QString &text)
{
    if (sameOptionalText(m_listError, text))
        return;
    m_listError = text;
    Q_EMIT listErrorChanged();
}

void CategorizedSectionModel::updateSelectedRow()
{
    int row = -1;
    if (m_selectedCategoryId) {
        const QList<SectionRow> rows = categoryRows();
        for (qsizetype i = 0; i < rows.size() && row < 0; ++i) {
            if (rows.at(i).id() == *m_selectedCategoryId)
                row = int(i);
        }
    }
    if (row == m_selectedRow)
        return;
    m_selectedRow = row;
    Q_EMIT selectedRowChanged();
}
