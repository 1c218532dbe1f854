#include "catalog/CatalogScreen.h"

#include "catalog/CatalogSectionModel.h"
#include "sections/PinGate.h"

CatalogScreen::CatalogScreen(QObject *parent) : SectionScreen(parent), m_pinGate(new PinGate(this)) {}

CatalogScreen::Pane CatalogScreen::paneFor(const QString &selectedId, bool isLoading,
                                           bool isDownloadingCatalog, bool hasError, qsizetype listSize)
{
    if (selectedId == SectionRow::continueId)
        return Pane::Continue;
    if (isLoading)
        return selectedId == SectionRow::recentId && isDownloadingCatalog ? Pane::CatalogLoading
                                                                          : Pane::Spinner;
    if (hasError)
        return Pane::Error;
    if (listSize > 0)
        return Pane::Grid;
    return selectedId == SectionRow::favoritesId ? Pane::FavoritesHint : Pane::EmptyList;
}

void CatalogScreen::setModel(CatalogSectionModel *model)
{
    if (m_model == model)
        return;
    if (m_model)
        disconnect(m_model, nullptr, this, nullptr);
    m_model = model;
    m_pinGate->setSection(model);
    if (model) {
        for (auto change :
             {&CatalogSectionModel::selectedCategoryIdChanged, &CatalogSectionModel::isLoadingListChanged,
              &CatalogSectionModel::listErrorChanged, &CatalogSectionModel::listChanged})
            connect(model, change, this, &CatalogScreen::update);
        connect(model, &CatalogSectionModel::isDownloadingCatalogChanged, this, &CatalogScreen::update);
    }
    Q_EMIT modelChanged();
    update();
}

void CatalogScreen::categoryClicked(const QString &categoryId)
{
    m_pinGate->categoryClicked(categoryId);
}

void CatalogScreen::retry()
{
    if (m_model)
        m_model->reloadList();
}

void CatalogScreen::openCard(int row)
{
    if (m_model && m_model->recordAt(row).isValid())
        setDetail(m_model->recordAt(row));
}

void CatalogScreen::openContinueCard(int row)
{
    if (m_model && m_model->continueRecordAt(row).isValid())
        setDetail(m_model->continueRecordAt(row));
}

void CatalogScreen::update()
{
    const QString selected = m_model ? m_model->selectedCategoryIdText() : QString();
    const Pane pane = m_model ? paneFor(selected, m_model->isLoadingList(), m_model->isDownloadingCatalog(),
                                        !m_model->listError().isEmpty(), m_model->rows()->rowCount())
                              : Pane::EmptyList;
    QString hint;
    if (pane == Pane::FavoritesHint)
        hint = m_model->emptyFavoritesText();
    else if (pane == Pane::EmptyList)
        hint = m_model && m_model->hasSelection() ? m_model->emptyCategoryText()
                                                  : QStringLiteral("Elige una categoría.");
    if (pane != m_pane) {
        m_pane = pane;
        Q_EMIT paneChanged();
    }
    if (hint != m_hintText) {
        m_hintText = hint;
        Q_EMIT hintTextChanged();
    }
}
