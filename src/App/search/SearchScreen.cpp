#include "search/SearchScreen.h"

#include "live/ChannelRow.h"
#include "search/SearchModel.h"

SearchScreen::SearchScreen(QObject *parent) : SectionScreen(parent) {}

SectionScreen::DetailKind SearchScreen::otherDetailKind(QMetaType type) const
{
    // A channel found here opens full screen over the results.
    return type == QMetaType::fromType<ChannelRow>() ? DetailKind::Channel : DetailKind::None;
}

SearchScreen::Pane SearchScreen::paneFor(bool isLoading, bool hasError, bool queryTooShort,
                                         qsizetype resultCount)
{
    if (isLoading)
        return Pane::Loading;
    if (hasError)
        return Pane::Error;
    if (queryTooShort)
        return Pane::Hint;
    return resultCount == 0 ? Pane::Empty : Pane::Results;
}

QString SearchScreen::hintFor(Pane pane)
{
    switch (pane) {
    case Pane::Hint:
        return QStringLiteral("Escribe al menos %1 letras para buscar.").arg(SearchModel::minimumQueryLength);
    case Pane::Empty:
        return QStringLiteral("Sin resultados.");
    default:
        return QString();
    }
}

void SearchScreen::setModel(SearchModel *model)
{
    if (m_model == model)
        return;
    if (m_model)
        disconnect(m_model, nullptr, this, nullptr);
    m_model = model;
    if (model) {
        // A new query or kind always announces new results too: one update (one filtering) per key.
        using Change = void (SearchModel::*)();
        for (Change change : {Change(&SearchModel::isLoadingChanged), &SearchModel::loadErrorChanged,
                              &SearchModel::resultsChanged})
            connect(model, change, this, &SearchScreen::update);
    }
    Q_EMIT modelChanged();
    update();
}

void SearchScreen::selectKind(int kind)
{
    if (!m_model || kind < SearchModel::Live || kind > SearchModel::Series)
        return;
    m_model->setKind(SearchModel::Kind(kind));
    m_model->ensureLoaded();
}

void SearchScreen::retry()
{
    if (m_model)
        m_model->ensureLoaded();
}

void SearchScreen::openResult(int row)
{
    if (m_model && m_model->resultAt(row).isValid())
        setDetail(m_model->resultAt(row));
}

void SearchScreen::update()
{
    const Pane pane = !m_model ? Pane::Hint
                               : paneFor(m_model->isLoading(), !m_model->loadError().isEmpty(),
                                         m_model->isQueryTooShort(), m_model->rows()->rowCount());
    if (pane == m_pane)
        return;
    m_pane = pane;
    Q_EMIT paneChanged();
}
