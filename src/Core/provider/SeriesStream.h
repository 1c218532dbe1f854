#pragma once

#include "provider/RecordText.h"

#include <QObject>
#include <QString>
#include <QtQml/qqmlregistration.h>

// A series of the catalog. Identity: seriesId. Optional fields are null QStrings when absent.
class SeriesStream
{
    Q_GADGET
    QML_VALUE_TYPE(seriesStream)
    Q_PROPERTY(QString name READ name CONSTANT FINAL)
    Q_PROPERTY(QString seriesId READ seriesId CONSTANT FINAL)
    Q_PROPERTY(QString cover READ cover CONSTANT FINAL)
    Q_PROPERTY(QString plot READ plot CONSTANT FINAL)
    Q_PROPERTY(QString genre READ genre CONSTANT FINAL)
    Q_PROPERTY(QString categoryId READ categoryId CONSTANT FINAL)
    Q_PROPERTY(QString rating READ rating CONSTANT FINAL)
    Q_PROPERTY(QString lastModified READ lastModified CONSTANT FINAL)
    Q_PROPERTY(qint64 lastModifiedEpoch READ lastModifiedEpoch CONSTANT FINAL)
public:
    enum Field { Name, SeriesId, Cover, Plot, Genre, CategoryId, Rating, LastModified, FieldCount };

    SeriesStream() = default;
    // `lastModifiedEpoch` is derived from `lastModified` by the caller.
    SeriesStream(RecordText<FieldCount> fields, qint64 lastModifiedEpoch)
        : m_fields(std::move(fields)), m_lastModifiedEpoch(lastModifiedEpoch)
    {
    }

    QString name() const { return m_fields.at(Name); }
    QString seriesId() const { return m_fields.at(SeriesId); }
    QString cover() const { return m_fields.at(Cover); }
    QString plot() const { return m_fields.at(Plot); }
    QString genre() const { return m_fields.at(Genre); }
    QString categoryId() const { return m_fields.at(CategoryId); }
    QString rating() const { return m_fields.at(Rating); }
    QString lastModified() const { return m_fields.at(LastModified); }
    // `lastModified` as seconds since 1970; 0 when absent, empty or not a plain integer.
    qint64 lastModifiedEpoch() const { return m_lastModifiedEpoch; }
    // Copy-free access for loops over whole catalogs (search, sorting).
    QStringView nameView() const { return m_fields.view(Name); }

    bool operator==(const SeriesStream &) const = default;
    friend size_t qHash(const SeriesStream &series, size_t seed = 0) { return series.m_fields.hash(seed); }

private:
    RecordText<FieldCount> m_fields;
    qint64 m_lastModifiedEpoch = 0;
};
