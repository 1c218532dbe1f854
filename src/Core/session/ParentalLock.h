#pragma once

#include <QSet>
#include <QString>
#include <QStringList>

// The adult categories one section has opened with the PIN. Each section model holds its own,
// created empty with the model and never shrunk, so leaving a section locks everything again and
// an unlock in one section opens nothing in another.
class ParentalLock
{
public:
    const QSet<QString> &unlockedCategories() const { return m_unlocked; }
    // For a QML property of the model (order carries no meaning).
    QStringList unlockedCategoryList() const { return QStringList(m_unlocked.cbegin(), m_unlocked.cend()); }

    // True when the id was not unlocked before: the model then announces the change.
    bool unlock(const QString &categoryId);
    bool isUnlocked(const QString &categoryId) const { return m_unlocked.contains(categoryId); }
    // Adult by its name and not yet unlocked here.
    bool isLocked(const QString &categoryId, const QString &categoryName) const;

private:
    QSet<QString> m_unlocked;
};
