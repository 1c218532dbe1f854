#include "catalog/ContinueListModel.h"

#include "storage/ProgressStore.h"

#include <algorithm>

ContinueListModel::ContinueListModel(ProgressStore *store, ContentType contentType, QObject *parent)
    : QAbstractListModel(parent), m_store(store), m_contentType(contentType)
{
    if (m_store)
        connect(m_store, &ProgressStore::entryChanged, this, &ContinueListModel::entryChanged);
}

int ContinueListModel::rowCount(const QModelIndex &parent) const
{
    return parent.isValid() ? 0 : count();
}

QVariant ContinueListModel::data(const QModelIndex &index, int role) const
{
    if (!checkIndex(index, CheckIndexOption::IndexIsValid | CheckIndexOption::ParentIsInvalid))
        return {};
    const ProgressEntry &entry = m_entries.at(index.row());
    switch (role) {
    case KeyRole:
        return entry.key();
    case Qt::DisplayRole:
    case TitleRole:
        return entry.name();
    case ArtworkRole:
        return entry.imageUrlText();
    case ProgressRole:
        return entry.watchedFraction();
    case EntryRole:
        return QVariant::fromValue(entry);
    default:
        return {};
    }
}

QHash<int, QByteArray> ContinueListModel::roleNames() const
{
    static const QHash<int, QByteArray> roles{{KeyRole, "key"},
                                              {TitleRole, "title"},
                                              {ArtworkRole, "artwork"},
                                              {ProgressRole, "progress"},
                                              {EntryRole, "entry"}};
    return roles;
}

int ContinueListModel::rowOfKey(const QString &key) const
{
    for (qsizetype i = 0; i < m_entries.size(); ++i) {
        if (m_entries.at(i).key() == key)
            return int(i);
    }
    return -1;
}

void ContinueListModel::setActive(bool active)
{
    if (active == m_active)
        return;
    m_active = active;
    refresh();
}

void ContinueListModel::entryChanged(const QString &key)
{
    if (!m_active)
        return;
    const std::optional<ProgressEntry> entry = m_store ? m_store->find(key) : std::nullopt;
    const bool listed = std::any_of(m_entries.cbegin(), m_entries.cend(),
                                    [&key](const ProgressEntry &e) { return e.key() == key; });
    if (listed || (entry && entry->contentType() == m_contentType))
        refresh();
}

void ContinueListModel::refresh()
{
    const QList<ProgressEntry> next =
        m_active && m_store ? m_store->inProgress(m_contentType) : QList<ProgressEntry>();
    const auto sameKeys = [&next, this] {
        return std::equal(next.cbegin(), next.cend(), m_entries.cbegin(), m_entries.cend(),
                          [](const ProgressEntry &a, const ProgressEntry &b) { return a.key() == b.key(); });
    };
    if (sameKeys()) {
        for (qsizetype i = 0; i < next.size(); ++i) {
            if (next.at(i) == m_entries.at(i))
                continue;
            m_entries[i] = next.at(i);
            const QModelIndex at = index(int(i));
            Q_EMIT dataChanged(at, at);
        }
        return;
    }
    const int before = count();
    beginResetModel();
    m_entries = next;
    endResetModel();
    if (count() != before)
        Q_EMIT countChanged();
}
