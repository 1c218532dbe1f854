#include "CatalogScreen.h"

#include "CatalogSectionModel.h"
#include "PinGate.h"

CatalogScreen::CatalogScreen(QObject *parent) : SectionScreen(parent), m_pinGate(new PinGate(this)) {}

CatalogScreen::Pane CatalogScreen::paneFor(const QString &selectedId, bool isLoading, bool hasError,
                                           qsizetype listSize)
{
    if (selectedId == SectionRow::continueId)
        return Pane::Continue;
    if (isLoading)
        return selectedId == SectionRow::recentId ? Pane::CatalogLoading : Pane::Spinner;
    if (hasError)
        return Pane::Error;
    if (listSize > 0)
        return Pane::Grid;
    return selectedId == SectionRow::favoritesId ? Pane::FavoritesHint : Pane::EmptyList;
}

void CatalogScreen::setSection(CatalogSectionModel *section)
{
    if (m_section == section)
        return;
    if (m_section)
        disconnect(m_section, nullptr, this, nullptr);
    m_section = section;
    m_pinGate->setSection(section);
    if (section) {
        for (auto change :
             {&CatalogSectionModel::selectedCategoryIdChanged, &CatalogSectionModel::isLoadingListChanged,
              &CatalogSectionModel::listErrorChanged, &CatalogSectionModel::listChanged})
            connect(section, change, this, &CatalogScreen::update);
    }
    Q_EMIT sectionChanged();
    update();
}

void CatalogScreen::categoryClicked(const QString &categoryId)
{
    m_pinGate->categoryClicked(categoryId);
}

void CatalogScreen::retry()
{
    if (m_section && !m_section->selectedCategoryIdText().isEmpty())
        m_section->selectCategory(m_section->selectedCategoryIdText());
}

void CatalogScreen::update()
{
    const QString selected = m_section ? m_section->selectedCategoryIdText() : QString();
    const Pane pane = m_section ? paneFor(selected, m_section->isLoadingList(),
                                          !m_section->listError().isEmpty(), m_section->cards()->rowCount())
                                : Pane::EmptyList;
    QString hint;
    if (pane == Pane::FavoritesHint)
        hint = m_section->emptyFavoritesText();
    else if (pane == Pane::EmptyList)
        hint = selected.isEmpty() ? QStringLiteral("Elige una categoría.") : m_section->emptyCategoryText();
    if (pane != m_pane) {
        m_pane = pane;
        Q_EMIT paneChanged();
    }
    if (hint != m_hintText) {
        m_hintText = hint;
        Q_EMIT hintTextChanged();
    }
}
