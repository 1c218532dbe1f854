#pragma once

#include "provider/RecordText.h"

#include <QObject>
#include <QString>
#include <QtQml/qqmlregistration.h>

// A movie of the catalog. Identity: streamId. Optional fields are null QStrings when absent.
class VodStream
{
    Q_GADGET
    QML_VALUE_TYPE(vodStream)
    Q_PROPERTY(QString name READ name CONSTANT FINAL)
    Q_PROPERTY(QString streamId READ streamId CONSTANT FINAL)
    Q_PROPERTY(QString streamIcon READ streamIcon CONSTANT FINAL)
    Q_PROPERTY(QString categoryId READ categoryId CONSTANT FINAL)
    Q_PROPERTY(QString containerExtension READ containerExtension CONSTANT FINAL)
    Q_PROPERTY(QString added READ added CONSTANT FINAL)
    Q_PROPERTY(qint64 addedEpoch READ addedEpoch CONSTANT FINAL)
public:
    enum Field { Name, StreamId, StreamIcon, CategoryId, ContainerExtension, Added, FieldCount };

    VodStream() = default;
    // `addedEpoch` is derived from `added` by the caller (the decoder reads it from the raw bytes).
    VodStream(RecordText<FieldCount> fields, qint64 addedEpoch)
        : m_fields(std::move(fields)), m_addedEpoch(addedEpoch)
    {
    }
    VodStream(const QString &name, const QString &streamId, const QString &streamIcon,
              const QString &categoryId, const QString &containerExtension, const QString &added);

    QString name() const { return m_fields.at(Name); }
    QString streamId() const { return m_fields.at(StreamId); }
    QString streamIcon() const { return m_fields.at(StreamIcon); }
    QString categoryId() const { return m_fields.at(CategoryId); }
    QString containerExtension() const { return m_fields.at(ContainerExtension); }
    QString added() const { return m_fields.at(Added); }
    // `added` as a count of seconds since 1970; 0 when absent, empty or not a plain integer.
    qint64 addedEpoch() const { return m_addedEpoch; }
    // Copy-free access for loops over whole catalogs (search, sorting).
    QStringView nameView() const { return m_fields.view(Name); }

    bool operator==(const VodStream &) const = default;
    friend size_t qHash(const VodStream &stream, size_t seed = 0) { return stream.m_fields.hash(seed); }

private:
    RecordText<FieldCount> m_fields;
    qint64 m_addedEpoch = 0;
};
