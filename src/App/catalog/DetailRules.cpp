#include "DetailRules.h"

#include "MovieDetailModel.h"
#include "PlayerModel.h"
#include "SeriesDetailModel.h"

#include <QJSEngine>

QVariant DetailRules::barFraction(const QVariant &entry)
{
    return SeriesDetailModel::barFraction(entry);
}

bool DetailRules::isWatched(const QVariant &entry)
{
    return SeriesDetailModel::isWatched(entry);
}

VodStream DetailRules::movieFromEntry(const ProgressEntry &entry)
{
    return MovieDetailModel::movieFromEntry(entry);
}

SeriesStream DetailRules::seriesFromEntry(const ProgressEntry &entry)
{
    return SeriesDetailModel::seriesFromEntry(entry);
}

PlayerModel *DetailRules::playerFor(const PlayableItem &item, QObject *owner)
{
    return playerOf({item}, owner);
}

PlayerModel *DetailRules::playerOf(const QList<PlayableItem> &queue, QObject *owner)
{
    auto *player = new PlayerModel(owner);
    player->setQueue(queue);
    // The owner keeps it alive; the screen may still destroy() it once it has faded out.
    QJSEngine::setObjectOwnership(player, QJSEngine::JavaScriptOwnership);
    return player;
}

DetailRules *DetailRules::create(QQmlEngine *, QJSEngine *)
{
    static DetailRules *instance = new DetailRules; // stateless; shared by every engine
    QJSEngine::setObjectOwnership(instance, QJSEngine::CppOwnership);
    return instance;
}
