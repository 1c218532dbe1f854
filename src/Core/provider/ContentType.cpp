#include "provider/ContentType.h"

QString contentTypeName(ContentType type)
{
    switch (type) {
    case ContentType::Live:
        return QStringLiteral("live");
    case ContentType::Movie:
        return QStringLiteral("movie");
    case ContentType::Series:
        return QStringLiteral("series");
    }
    return {};
}
