#pragma once

#include <QMetaType>
#include <QString>
#include <QtQml/qqmlregistration.h>

// A row of a category list that is not a provider category ("Recién agregadas", favourites, ...):
// a reserved id that no provider category can have, the label shown and a symbol name.
class SpecialCategoryRow
{
    Q_GADGET
    QML_VALUE_TYPE(specialCategoryRow)
    Q_PROPERTY(QString id READ id CONSTANT FINAL)
    Q_PROPERTY(QString label READ label CONSTANT FINAL)
    Q_PROPERTY(QString icon READ icon CONSTANT FINAL)

public:
    SpecialCategoryRow() = default;
    SpecialCategoryRow(QString id, QString label, QString icon)
        : m_id(std::move(id)), m_label(std::move(label)), m_icon(std::move(icon))
    {
    }

    QString id() const { return m_id; }
    QString label() const { return m_label; }
    QString icon() const { return m_icon; }

    // Identified by its id.
    friend bool operator==(const SpecialCategoryRow &a, const SpecialCategoryRow &b) { return a.m_id == b.m_id; }

private:
    QString m_id;
    QString m_label;
    QString m_icon;
};

Q_DECLARE_METATYPE(SpecialCategoryRow)
