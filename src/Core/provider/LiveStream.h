#pragma once

#include "provider/RecordText.h"

#include <QObject>
#include <QString>
#include <QtQml/qqmlregistration.h>

// A live channel. Identity: streamId. Optional fields are null QStrings when absent.
class LiveStream
{
    Q_GADGET
    QML_VALUE_TYPE(liveStream)
    Q_PROPERTY(QString name READ name CONSTANT FINAL)
    Q_PROPERTY(QString num READ num CONSTANT FINAL)
    Q_PROPERTY(QString streamId READ streamId CONSTANT FINAL)
    Q_PROPERTY(QString streamIcon READ streamIcon CONSTANT FINAL)
    Q_PROPERTY(QString categoryId READ categoryId CONSTANT FINAL)
public:
    enum Field { Name, Num, StreamId, StreamIcon, CategoryId, FieldCount };

    LiveStream() = default;
    explicit LiveStream(RecordText<FieldCount> fields) : m_fields(std::move(fields)) {}
    LiveStream(const QString &name, const QString &num, const QString &streamId, const QString &streamIcon,
               const QString &categoryId)
        : m_fields(RecordText<FieldCount>::fromStrings({name, num, streamId, streamIcon, categoryId}))
    {
    }

    QString name() const { return m_fields.at(Name); }
    QString num() const { return m_fields.at(Num); }
    QString streamId() const { return m_fields.at(StreamId); }
    QString streamIcon() const { return m_fields.at(StreamIcon); }
    QString categoryId() const { return m_fields.at(CategoryId); }
    // Copy-free access for loops over whole lists (search, sorting).
    QStringView nameView() const { return m_fields.view(Name); }

    bool operator==(const LiveStream &) const = default;
    friend size_t qHash(const LiveStream &stream, size_t seed = 0) { return stream.m_fields.hash(seed); }

private:
    RecordText<FieldCount> m_fields;
};
