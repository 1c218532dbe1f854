#pragma once

#include "storage/ProgressEntry.h"

#include <QAbstractListModel>
#include <QList>
#include <QPointer>
#include <QString>
#include <QtQml/qqmlregistration.h>

class ProgressStore;

// The cards of "Continuar viendo": the unfinished progress entries of one content type, most
// recently played first, each with its title, artwork and watched share. The list is read from
// the store only while it is on screen (a store of thousands of entries is not walked on every
// save otherwise); a change of one of its entries changes that card alone as long as the order
// stays, and an entry that finishes, goes or moves reorders the list.
class ContinueListModel : public QAbstractListModel
{
    Q_OBJECT
    QML_ANONYMOUS
    Q_PROPERTY(int count READ count NOTIFY countChanged FINAL)

public:
    enum Role { KeyRole = Qt::UserRole + 1, TitleRole, ArtworkRole, ProgressRole, EntryRole };

    ContinueListModel(ProgressStore *store, ContentType contentType, QObject *parent);

    int rowCount(const QModelIndex &parent = {}) const override;
    QVariant data(const QModelIndex &index, int role) const override;
    QHash<int, QByteArray> roleNames() const override;

    int count() const { return int(m_entries.size()); }
    const QList<ProgressEntry> &entries() const { return m_entries; }
    // The row of the entry under the key; -1 when it is not listed.
    Q_INVOKABLE int rowOfKey(const QString &key) const;
    // Whether the list is on screen: it is read from the store now and follows it; an inactive
    // list is empty.
    void setActive(bool active);

Q_SIGNALS:
    void countChanged();

private:
    void entryChanged(const QString &key);
    void refresh();

    QPointer<ProgressStore> m_store;
    ContentType m_contentType;
    bool m_active = false;
    QList<ProgressEntry> m_entries;
};
