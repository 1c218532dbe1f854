#include "playback/PlayableItem.h"

size_t qHash(const PlayableItem &item, size_t seed)
{
    return qHashMulti(seed, item.title(), item.subtitle().value_or(QString()), item.subtitle().has_value(),
                      item.url(), item.progressKey(), int(item.contentType()), item.contentId(),
                      item.imageUrl().value_or(QString()), item.imageUrl().has_value(), item.startTimeMs());
}
