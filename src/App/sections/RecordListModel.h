#pragma once

#include <QAbstractListModel>
#include <QHash>
#include <QList>
#include <QMetaProperty>

// A list of provider records for a lazy grid: one row per record, one role per property of the
// record type (named as the property, so a delegate declares `required property string name`),
// plus the role "record" holding the whole value. Only the rows on screen are ever read, so a
// category of 100,000 records costs nothing beyond the list itself.
template <typename Record> class RecordListModel : public QAbstractListModel
{
public:
    static constexpr int RecordRole = Qt::UserRole;
    static constexpr int FirstPropertyRole = Qt::UserRole + 1;

    using QAbstractListModel::QAbstractListModel;

    const QList<Record> &records() const { return m_records; }

    void setRecords(const QList<Record> &records)
    {
        beginResetModel();
        m_records = records;
        endResetModel();
    }

    int rowCount(const QModelIndex &parent = QModelIndex()) const override
    {
        return parent.isValid() ? 0 : int(m_records.size());
    }

    QVariant data(const QModelIndex &index, int role) const override
    {
        if (!checkIndex(index, CheckIndexOption::IndexIsValid | CheckIndexOption::ParentIsInvalid))
            return {};
        const Record &record = m_records.at(index.row());
        if (role == RecordRole)
            return QVariant::fromValue(record);
        const QMetaObject &meta = Record::staticMetaObject;
        const int property = role - FirstPropertyRole + meta.propertyOffset();
        if (role < FirstPropertyRole || property >= meta.propertyCount())
            return {};
        return meta.property(property).readOnGadget(&record);
    }

    QHash<int, QByteArray> roleNames() const override
    {
        static const QHash<int, QByteArray> names = [] {
            QHash<int, QByteArray> table{{RecordRole, QByteArrayLiteral("record")}};
            const QMetaObject &meta = Record::staticMetaObject;
            for (int i = meta.propertyOffset(); i < meta.propertyCount(); ++i)
                table.insert(FirstPropertyRole + i - meta.propertyOffset(), meta.property(i).name());
            return table;
        }();
        return names;
    }

private:
    QList<Record> m_records;
};
