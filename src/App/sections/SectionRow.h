#pragma once

#include "provider/Category.h"

#include <QLatin1StringView>
#include <QMetaType>
#include <QString>
#include <QtQml/qqmlregistration.h>

// One row of a section's category column: one of the section's own rows ("Recién agregadas",
// "Favoritos", "Continuar viendo") or a provider category, with its lock.
class SectionRow
{
    Q_GADGET
    QML_VALUE_TYPE(sectionRow)
    Q_PROPERTY(QString id READ id CONSTANT FINAL)
    Q_PROPERTY(QString label READ label CONSTANT FINAL)
    // The symbol of a section's own row; "" for a category.
    Q_PROPERTY(QString icon READ icon CONSTANT FINAL)
    Q_PROPERTY(bool isLocked READ isLocked CONSTANT FINAL)

public:
    // The ids of the sections' own rows; no provider category uses double underscores.
    static constexpr QLatin1StringView recentId{"__recent__"};
    static constexpr QLatin1StringView favoritesId{"__favorites__"};
    static constexpr QLatin1StringView continueId{"__continue__"};

    SectionRow() = default;
    static SectionRow recent();
    static SectionRow favorites();
    static SectionRow continueWatching();
    static SectionRow of(const Category &category, bool locked);

    const QString &id() const { return m_id; }
    const QString &label() const { return m_label; }
    const QString &icon() const { return m_icon; }
    bool isLocked() const { return m_isLocked; }

    friend bool operator==(const SectionRow &, const SectionRow &) = default;

private:
    SectionRow(QString id, QString label, QString icon, bool locked);

    QString m_id;
    QString m_label;
    QString m_icon;
    bool m_isLocked = false;
};

Q_DECLARE_METATYPE(SectionRow)
