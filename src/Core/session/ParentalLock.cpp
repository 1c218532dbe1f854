#include "session/ParentalLock.h"

#include "session/ParentalControl.h"

bool ParentalLock::unlock(const QString &categoryId)
{
    if (m_unlocked.contains(categoryId))
        return false;
    m_unlocked.insert(categoryId);
    return true;
}

bool ParentalLock::isLocked(const QString &categoryId, const QString &categoryName) const
{
    return ParentalControl::isBlocked(categoryName) && !m_unlocked.contains(categoryId);
}
