#include "SearchScreen.h"

#include "ChannelRow.h"
#include "SearchModel.h"
#include "SeriesStream.h"
#include "VodStream.h"

SearchScreen::SearchScreen(QObject *parent) : SectionScreen(parent) {}

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

SearchScreen::DetailKind SearchScreen::detailKind() const
{
    const QMetaType type = detail().metaType();
    if (type == QMetaType::fromType<VodStream>())
        return DetailKind::Movie;
    if (type == QMetaType::fromType<SeriesStream>())
        return DetailKind::Series;
    if (type == QMetaType::fromType<ChannelRow>())
        return DetailKind::Channel;
    return DetailKind::None;
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

qsizetype SearchScreen::resultCount() const
{
    switch (m_model->kind()) {
    case SearchModel::Live:
        return m_model->channelResults().size();
    case SearchModel::Movies:
        return m_model->movieResults().size();
    case SearchModel::Series:
        return m_model->seriesResults().size();
    }
    return 0;
}

void SearchScreen::update()
{
    const Pane pane =
        !m_model ? Pane::Hint
                 : paneFor(m_model->isLoading(), !m_model->loadError().isEmpty(), m_model->isQueryTooShort(),
                           m_model->isQueryTooShort() ? 0 : resultCount());
    if (pane == m_pane)
        return;
    m_pane = pane;
    Q_EMIT paneChanged();
}
