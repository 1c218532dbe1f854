#include "sections/SectionRow.h"

SectionRow::SectionRow(QString id, QString label, QString icon, bool locked)
    : m_id(std::move(id)), m_label(std::move(label)), m_icon(std::move(icon)), m_isLocked(locked)
{
}

SectionRow SectionRow::recent()
{
    return SectionRow(QString(recentId), QStringLiteral("Recién agregadas"), QStringLiteral("sparkles"),
                      false);
}

SectionRow SectionRow::favorites()
{
    return SectionRow(QString(favoritesId), QStringLiteral("Favoritos"), QStringLiteral("star.fill"), false);
}

SectionRow SectionRow::continueWatching()
{
    return SectionRow(QString(continueId), QStringLiteral("Continuar viendo"), QStringLiteral("play.circle"),
                      false);
}

SectionRow SectionRow::of(const Category &category, bool locked)
{
    return SectionRow(category.categoryId(), category.categoryName(), QString(), locked);
}
