#pragma once

#include "provider/RecordText.h"

#include <QObject>
#include <QString>
#include <QtQml/qqmlregistration.h>

// A category of live channels, movies or series. Identity: categoryId.
class Category
{
    Q_GADGET
    QML_VALUE_TYPE(category)
    Q_PROPERTY(QString categoryId READ categoryId CONSTANT FINAL)
    Q_PROPERTY(QString categoryName READ categoryName CONSTANT FINAL)
public:
    enum Field { CategoryId, CategoryName, FieldCount };

    Category() = default;
    explicit Category(RecordText<FieldCount> fields) : m_fields(std::move(fields)) {}
    Category(const QString &categoryId, const QString &categoryName)
        : m_fields(RecordText<FieldCount>::fromStrings({categoryId, categoryName}))
    {
    }

    QString categoryId() const { return m_fields.at(CategoryId); }
    QString categoryName() const { return m_fields.at(CategoryName); }

    bool operator==(const Category &) const = default;
    friend size_t qHash(const Category &category, size_t seed = 0) { return category.m_fields.hash(seed); }

private:
    RecordText<FieldCount> m_fields;
};
