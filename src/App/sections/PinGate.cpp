#include "sections/PinGate.h"

#include "sections/CategorizedSectionModel.h"
#include "session/ParentalControl.h"

PinGate::PinGate(QObject *parent) : QObject(parent) {}

void PinGate::setSection(CategorizedSectionModel *section)
{
    if (m_section == section)
        return;
    m_section = section;
    Q_EMIT sectionChanged();
}

void PinGate::categoryClicked(const QString &categoryId)
{
    if (!m_section)
        return;
    for (const Category &category : m_section->categories()) {
        if (category.categoryId() == categoryId && m_section->isLocked(category)) {
            setCategory(category);
            return;
        }
    }
    m_section->selectCategory(categoryId);
}

bool PinGate::submitPin(const QString &pin)
{
    if (!m_category)
        return false;
    if (!ParentalControl::acceptsPin(pin))
        return false;
    const QString categoryId = m_category->categoryId();
    setCategory(std::nullopt);
    if (m_section) {
        m_section->unlock(categoryId);
        m_section->selectCategory(categoryId);
    }
    return true;
}

void PinGate::cancelPin()
{
    setCategory(std::nullopt);
}

void PinGate::setCategory(const std::optional<Category> &category)
{
    if (m_category == category)
        return;
    m_category = category;
    Q_EMIT categoryChanged();
}

QVariant PinGate::categoryForQml() const
{
    return m_category ? QVariant::fromValue(*m_category) : QVariant();
}
