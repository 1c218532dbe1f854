#include "DetailRules.h"

#include "MovieDetailModel.h"
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

DetailRules *DetailRules::create(QQmlEngine *, QJSEngine *)
{
    static DetailRules *instance = new DetailRules; // stateless; shared by every engine
    QJSEngine::setObjectOwnership(instance, QJSEngine::CppOwnership);
    return instance;
}
